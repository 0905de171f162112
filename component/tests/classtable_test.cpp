// Class tables, class objects and the entry points a library exports.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SampleClasses.h"
#include "component/LibraryExports.h"
#include "component/calls.h"
#include "runtime/text.h"

namespace velmora::test {
namespace {

constexpr const char16_t* kSampleClsid = u"{6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5B}";
constexpr const char16_t* kOtherClsid = u"{6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5C}";

ClassTable makeTestTable() {
    return ClassTable(u"Testware")
        .add<Sample>(kSampleClsid, u"Testware.Sample")
        .add<Other>(kOtherClsid, u"Testware.Other")
        .enumeration(u"AccessRights", {{u"GENERIC_READ", static_cast<std::int32_t>(0x80000000u)},
                                       {u"GENERIC_WRITE", 0x40000000}});
}

}  // namespace
}  // namespace velmora::test

VELMORA_EXPORT_CLASS_TABLE(velmora::test::makeTestTable)

namespace velmora::test {
namespace {

TEST(ClassTableTest, FindsClassesByIdCaseInsensitively) {
    const ClassTable table = makeTestTable();
    ASSERT_NE(table.findByClsid(u"{6f1c2b3a-4d5e-4f60-8a9b-0c1d2e3f4a5b}"), nullptr);
    EXPECT_EQ(table.findByClsid(u"{6f1c2b3a-4d5e-4f60-8a9b-0c1d2e3f4a5b}")->progId, u"Testware.Sample");
    EXPECT_EQ(table.findByProgId(u"testware.other")->clsid, kOtherClsid);
    EXPECT_EQ(table.findByProgId(u"Testware.Missing"), nullptr);
    EXPECT_EQ(table.classes().size(), 2u);
    EXPECT_EQ(table.library().classes().size(), 2u);
    EXPECT_EQ(table.library().findEnum(u"AccessRights")->valueOf(u"GENERIC_READ"),
              static_cast<std::int32_t>(0x80000000u));
}

TEST(ClassTableTest, RefusesMalformedOrRepeatedIdentities) {
    EXPECT_THROW(ClassTable(u"T").add<Sample>(u"6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5B", u"T.Sample"),
                 std::logic_error);
    EXPECT_THROW(ClassTable(u"T").add<Sample>(kSampleClsid, u""), std::logic_error);
    EXPECT_THROW(ClassTable(u"T").add<Sample>(kSampleClsid, u"T.A").add<Other>(kSampleClsid, u"T.B"),
                 std::logic_error);
    EXPECT_THROW(ClassTable(u"T").add<Sample>(kSampleClsid, u"T.A").add<Other>(kOtherClsid, u"t.a"),
                 std::logic_error);
}

TEST(ClassTableTest, GuidTextNeedsBracesDashesAndHexDigits) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"{6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5B}", true},
        {u"{6f1c2b3a-4d5e-4f60-8a9b-0c1d2e3f4a5b}", true},
        {u"{6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5}", false},
        {u"{6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5BB}", false},
        {u"{6F1C2B3A+4D5E-4F60-8A9B-0C1D2E3F4A5B}", false},
        {u"{6F1C2B3G-4D5E-4F60-8A9B-0C1D2E3F4A5B}", false},
        {u"(6F1C2B3A-4D5E-4F60-8A9B-0C1D2E3F4A5B)", false},
        {u"", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(isGuidText(text), valid) << toUtf8(text);
}

TEST(ClassTableTest, ExportedClassObjectCreatesInstances) {
    ClassFactory* raw = nullptr;
    ASSERT_EQ(DllGetClassObject(kSampleClsid, &raw), hr::Ok);
    ASSERT_NE(raw, nullptr);
    Ref<ClassFactory> factory(raw);
    raw->release();  // the entry point handed over one reference; the Ref holds its own

    const ObjectRef instance = factory->createInstance();
    EXPECT_EQ(instance->typeName(), u"Sample");
    EXPECT_EQ(call(instance, u"Add", 2, 3).toLong(), 5);
    // The class object itself answers late-bound calls, as a remote client would make them.
    EXPECT_EQ(call(factory, u"CreateInstance").toObject()->typeName(), u"Sample");
}

TEST(ClassTableTest, ExportedEntryPointsReportFailuresAsStatusCodes) {
    ClassFactory* raw = reinterpret_cast<ClassFactory*>(1);
    EXPECT_EQ(DllGetClassObject(u"{00000000-0000-0000-0000-000000000000}", &raw), hr::ClassNotAvailable);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(DllGetClassObject(nullptr, &raw), hr::ClassNotAvailable);
    EXPECT_EQ(DllGetClassObject(kSampleClsid, nullptr), hr::NullPointer);

    ASSERT_NE(DllGetClassTable(), nullptr);
    EXPECT_EQ(DllGetClassTable()->libraryName(), u"Testware");
    EXPECT_EQ(DllGetClassTable(), DllGetClassTable());

    // A table that fails to build is a status, never an exception out of an entry point.
    const ClassTableAccessor broken = []() -> const ClassTable& {
        throw std::logic_error("bad declaration");
    };
    EXPECT_EQ(getClassObject(broken, kSampleClsid, &raw), hr::Failed);
    EXPECT_EQ(classTableOf(broken), nullptr);
    EXPECT_EQ(registerClassTable(broken), hr::Failed);
}

}  // namespace
}  // namespace velmora::test
