// RegistryObject against the real registry: both conversion tables, the handle collection, the one-call
// methods and their failure results.
#include <gtest/gtest.h>

#include "CollectionObject.h"
#include "HivekeepTestSupport.h"
#include "RegistryObject.h"
#include "component/calls.h"
#include "platform/systeminfo.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr char kPath[] = "Software\\Velmora\\RegistryObjectTest";

class RegistryObjectTest : public ::testing::Test {
  protected:
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kPath); }

    std::int32_t setKeyValue(const char16_t* name, Variant value) {
        std::int32_t root = HkeyCurrentUser;
        return reg->SetKeyValue(root, fromUtf8(kPath), name, std::move(value));
    }
    std::u16string getKeyValue(const char16_t* name) {
        std::int32_t root = HkeyCurrentUser;
        return reg->GetKeyValue(root, fromUtf8(kPath), name);
    }
    Variant getValue(const char16_t* name, Variant defaultValue = Variant::missing()) {
        const std::int32_t key = reg->OpenKey(HkeyCurrentUser, fromUtf8(kPath), u"");
        Variant value = reg->GetValue(key, name, defaultValue);
        reg->closeKey(Variant(key));
        return value;
    }
    RawValue raw(const char* name) { return rawValue(HKEY_CURRENT_USER, kPath, name).value_or(RawValue{}); }

    Ref<RegistryObject> reg = makeObject<RegistryObject>();
};

Variant stringArrayOf(std::vector<std::u16string> parts) {
    return stringArray(parts);
}

TEST_F(RegistryObjectTest, WritingConvertsByTheValuesType) {
    struct Case {
        const char16_t* name;
        Variant value;
        RawValue stored;
    };
    const Case cases[] = {
        {u"Dword", std::int32_t{300}, {REG_DWORD, {0x2C, 0x01, 0, 0}}},
        {u"Small", std::int32_t{200}, {REG_BINARY, {200}}},
        {u"Zero", std::int16_t{0}, {REG_BINARY, {0}}},
        {u"Negative", std::int16_t{-1}, {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}},
        {u"Byte", std::uint8_t{7}, {REG_BINARY, {7}}},
        {u"True", true, {REG_BINARY, {1}}},
        {u"False", false, {REG_BINARY, {0}}},
        {u"Text", u"hi", {REG_SZ, {'h', 'i', 0}}},
        {u"Empty text", u"", {REG_SZ, {0}}},
        {u"Umlaut", u"\u00e4", {REG_SZ, {0xC3, 0xA4, 0}}},  // the full UTF-8 length, nothing cut off
        {u"Double", 2.5, {REG_SZ, {'2', '.', '5', 0}}},
        {u"Multi", stringArrayOf({u"a", u"b"}), {REG_MULTI_SZ, {'a', 0, 'b', 0, 0}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setKeyValue(c.name, c.value), 0) << toUtf8(c.name);
        EXPECT_EQ(raw(toUtf8(c.name).c_str()), c.stored) << toUtf8(c.name);
    }
}

TEST_F(RegistryObjectTest, ValuesWithoutRegistryFormAreNotWritten) {
    for (const Variant& value : {Variant(), Variant::null(), Variant(std::vector<std::uint8_t>{1, 2, 3}),
                                 Variant(ObjectRef(makeObject<CollectionObject>()))}) {
        EXPECT_EQ(setKeyValue(u"Nothing", value), static_cast<std::int32_t>(ERROR_INVALID_PARAMETER));
        EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, kPath, "Nothing"));
    }
}

TEST_F(RegistryObjectTest, ReadingConvertsByTheRegistryType) {
    struct Case {
        const char* name;
        RawValue stored;
        Variant value;
    };
    const Case cases[] = {
        {"Sz", {REG_SZ, bytes(std::string("text\0", 5))}, u"text"},
        {"SzNoNul", {REG_SZ, bytes("text")}, u"text"},
        {"Dword", {REG_DWORD, {0x2C, 0x01, 0, 0}}, std::int32_t{300}},
        {"ShortDword", {REG_DWORD, {5}}, std::int32_t{5}},
        {"Bin4", {REG_BINARY, {1, 0, 0, 0x80}}, static_cast<std::int32_t>(0x80000001u)},
        {"Bin2", {REG_BINARY, {0xFF, 0xFF}}, std::int16_t{-1}},
        {"Bin1", {REG_BINARY, {200}}, std::uint8_t{200}},
        {"Bin3", {REG_BINARY, {1, 2, 3}}, Variant(std::vector<std::uint8_t>{1, 2, 3})},
        {"Bin5", {REG_BINARY, {1, 2, 3, 4, 5}}, Variant(std::vector<std::uint8_t>{1, 2, 3, 4, 5})},
        {"Expand",
         {REG_EXPAND_SZ, bytes(std::string("%HOME%\0", 7))},
         Variant(std::u16string(u"%HOME%\0", 7))},
        {"Qword", {REG_QWORD, bytes("ABCDEFGH")}, u"ABCDEFGH"},
    };
    for (const Case& c : cases) {
        writeRaw(HKEY_CURRENT_USER, kPath, c.name, c.stored.type, c.stored.bytes);
        EXPECT_EQ(getValue(fromUtf8(c.name).c_str()), c.value) << c.name;
    }
}

TEST_F(RegistryObjectTest, SmallIntegersComeBackAsBytes) {
    setKeyValue(u"Count", std::int32_t{300});
    EXPECT_EQ(getKeyValue(u"Count"), u"300");
    setKeyValue(u"Count", std::int32_t{200});
    EXPECT_EQ(getKeyValue(u"Count"), u"200");
    EXPECT_EQ(getValue(u"Count"), Variant(std::uint8_t{200}));
    setKeyValue(u"Flag", true);
    EXPECT_EQ(getValue(u"Flag"), Variant(std::uint8_t{1}));
}

TEST_F(RegistryObjectTest, MissingValueTakesTheDefaultAndKeepsIt) {
    EXPECT_TRUE(getValue(u"Absent").isEmpty());
    EXPECT_EQ(getValue(u"Absent", u"fallback"), Variant(u"fallback"));
    EXPECT_EQ(raw("Absent"), (RawValue{REG_SZ, bytes(std::string("fallback\0", 9))}));
    EXPECT_EQ(getValue(u"Absent", u"other"), Variant(u"fallback"));  // now stored, the default is not used
    writeRaw(HKEY_CURRENT_USER, kPath, "Hollow", REG_BINARY, {});
    EXPECT_EQ(getValue(u"Hollow", std::int32_t{1000}), Variant(std::int32_t{1000}));
    EXPECT_EQ(raw("Hollow").type, REG_DWORD);
}

TEST_F(RegistryObjectTest, MultiStringRoundTrips) {
    Variant ab = stringArrayOf({u"a", u"b"});
    EXPECT_EQ(reg->ToMultiSZ(ab), std::u16string(u"a\0b\0\0", 5));
    EXPECT_EQ(reg->GetMultiSZ(std::u16string(u"a\0b\0", 4)), stringArrayOf({u"", u"a", u"b", u""}));
    EXPECT_EQ(reg->GetMultiSZ(u""), stringArrayOf({u"", u""}));
    Variant empty = stringArrayOf({});
    EXPECT_EQ(reg->ToMultiSZ(empty), std::u16string(u"\0", 1));
    Variant notArray = u"a";
    EXPECT_EQ(errorNumberOf([&] { reg->ToMultiSZ(notArray); }), 13);

    setKeyValue(u"Multi", ab);
    EXPECT_EQ(getValue(u"Multi"), stringArrayOf({u"", u"a", u"b", u"", u""}));
    EXPECT_EQ(getKeyValue(u"Multi"), u"Error");
}

TEST_F(RegistryObjectTest, HandleCollectionKeys) {
    const std::int32_t first = reg->OpenKey(HkeyCurrentUser, fromUtf8(kPath), u"mine");
    const std::int32_t second = reg->OpenKey(HkeyCurrentUser, fromUtf8(kPath), u"mine");
    const std::int32_t third = reg->OpenKey(HkeyCurrentUser, fromUtf8(kPath), u"");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(reg->Count(), 2);  // the second "mine" is not tracked
    EXPECT_EQ(reg->Item(u"MINE"), first);
    EXPECT_EQ(reg->Item(std::int32_t{2}), third);
    EXPECT_EQ(reg->Item(Hex(Variant(third)) + u"_H"), third);
    EXPECT_EQ(reg->Item(u"none"), -1);
    EXPECT_EQ(reg->Item(std::int32_t{3}), -1);
    reg->setItem(u"mine", 12345);
    EXPECT_EQ(reg->Item(u"mine"), first);

    reg->closeKey(Variant(Hex(Variant(third)) + u"_H"));
    EXPECT_EQ(reg->Count(), 1);
    HKEY closed = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(third));
    EXPECT_EQ(RegQueryValueExA(closed, "", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);

    reg->closeKey(Variant(first));  // by number, though tracked by name
    EXPECT_EQ(reg->Count(), 0);
    reg->closeKey(Variant(second));
    reg->closeKey(Variant(second));  // already closed: ignored
    reg->closeKey(Variant(u"mine"));
    reg->closeKey(Variant(2.0));
    EXPECT_EQ(reg->Count(), 0);
}

TEST_F(RegistryObjectTest, ReleaseClosesTrackedKeys) {
    std::int32_t handle;
    {
        auto scoped = makeObject<RegistryObject>();
        handle = scoped->OpenKey(HkeyCurrentUser, fromUtf8(kPath), u"");
        ASSERT_GT(handle, 0);
    }
    HKEY key = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(handle));
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryObjectTest, EnumerationListsEveryType) {
    const std::string path = std::string(kPath) + "\\Enum";
    setenv("HIVEKEEP_TEST_DIR", "/some/long/folder/name", 1);
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "", REG_SZ, bytes(std::string("default\0", 8)));
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "sz", REG_SZ, bytes(std::string("abc\0", 4)));
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "empty", REG_SZ, {});
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "expand", REG_EXPAND_SZ,
             bytes(std::string("%HIVEKEEP_TEST_DIR%\\x\0", 22)));
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "bin", REG_BINARY, {1, 10, 255});
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF});
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "multi", REG_MULTI_SZ, bytes(std::string("a\0b\0\0", 5)));
    writeRaw(HKEY_CURRENT_USER, path.c_str(), "other", 42, {1, 2});
    const std::string longName(300, 'n');
    writeRaw(HKEY_CURRENT_USER, path.c_str(), longName.c_str(), REG_BINARY,
             std::vector<std::uint8_t>(5000, 0xAB));
    writeRaw(HKEY_CURRENT_USER, (path + "\\Zeta").c_str(), "v", REG_SZ, {0});
    writeRaw(HKEY_CURRENT_USER, (path + "\\alpha").c_str(), "v", REG_SZ, {0});

    auto values = Ref<CollectionObject>(
        static_cast<CollectionObject*>(reg->EnumRegistryValues(HkeyCurrentUser, fromUtf8(path)).get()));
    ASSERT_EQ(values->Count(), 9);
    const auto valueOf = [&](const std::u16string& name) {
        const Variant pair = values->Item(name);
        EXPECT_EQ(pair.arrayRef().items()[0], Variant(name));
        return pair.arrayRef().items()[1];
    };
    EXPECT_EQ(valueOf(u""), Variant(u"default"));
    EXPECT_EQ(valueOf(u"sz"), Variant(u"abc"));
    EXPECT_EQ(valueOf(u"empty"), Variant(u""));
    EXPECT_EQ(valueOf(u"expand"), Variant(u"/some/long/folder/name\\x"));
    EXPECT_EQ(valueOf(u"bin"), Variant(u"01 0A FF"));
    EXPECT_EQ(valueOf(u"dword"), Variant(std::int32_t{-1}));
    EXPECT_EQ(valueOf(u"multi"), Variant(u"a,b"));
    EXPECT_TRUE(valueOf(u"other").isEmpty());
    EXPECT_EQ(valueOf(fromUtf8(longName)).stringRef().size(), 5000u * 3 - 1);

    auto keys = Ref<CollectionObject>(
        static_cast<CollectionObject*>(reg->EnumRegistryKeys(HkeyCurrentUser, fromUtf8(path)).get()));
    ASSERT_EQ(keys->Count(), 2);
    EXPECT_EQ(keys->Item(std::int32_t{1}), Variant(u"alpha"));
    EXPECT_EQ(keys->Item(u"zeta"), Variant(u"Zeta"));

    // Keys that cannot be opened, and handles already closed, list nothing.
    EXPECT_EQ(
        static_cast<CollectionObject*>(reg->EnumRegistryKeys(HkeyCurrentUser, u"No\\Such").get())->Count(),
        0);
    const std::int32_t stale = reg->OpenKey(HkeyCurrentUser, fromUtf8(path), u"");
    reg->closeKey(Variant(stale));
    EXPECT_EQ(static_cast<CollectionObject*>(reg->EnumRegistryKeys(stale, u"").get())->Count(), 0);
    EXPECT_EQ(static_cast<CollectionObject*>(reg->EnumRegistryValues(stale, u"").get())->Count(), 0);

    for (const char* sub : {"\\Zeta", "\\alpha", ""}) RegDeleteKeyA(HKEY_CURRENT_USER, (path + sub).c_str());
}

TEST_F(RegistryObjectTest, KeysAndValuesGoAway) {
    std::int32_t root = HkeyCurrentUser;
    const std::u16string path = fromUtf8(kPath);
    setKeyValue(u"Doomed", u"x");
    reg->DeleteValue(root, path, u"Doomed");
    EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, kPath, "Doomed"));
    reg->DeleteValue(root, path, u"Doomed");  // a second time: nothing to report

    setKeyValue(u"v", u"x");
    std::int32_t child = reg->OpenKey(HkeyCurrentUser, path + u"\\Child", u"");
    reg->closeKey(Variant(child));
    EXPECT_TRUE(reg->DeleteKey(root, path).isEmpty());
    EXPECT_TRUE(reg->DoesKeyExist(root, path));  // a key with subkeys stays
    reg->DeleteKey(root, path + u"\\Child");
    reg->DeleteKey(root, path);
    EXPECT_FALSE(reg->DoesKeyExist(root, path));
    EXPECT_EQ(reg->Count(), 0);
}

TEST_F(RegistryObjectTest, ReadOnlyRootFailsAsDescribed) {
    std::int32_t root = HKeyPerformanceData;
    EXPECT_EQ(reg->OpenKey(root, u"Anything", u""), -1);
    EXPECT_EQ(reg->Count(), 0);
    EXPECT_EQ(reg->GetKeyValue(root, u"Anything", u"v"), u"");
    EXPECT_NE(reg->SetKeyValue(root, u"Anything", u"v", std::int32_t{1}), 0);
    EXPECT_EQ(reg->Count(), 0);
}

TEST_F(RegistryObjectTest, LateBoundOptionalArguments) {
    ObjectRef obj = reg;
    const Variant handle = call(obj, u"OpenKey", HkeyCurrentUser, fromUtf8(kPath));
    Variant value = u"late";
    EXPECT_EQ(call(obj, u"SetValue", handle, u"v", value), Variant(std::int32_t{0}));
    EXPECT_EQ(call(obj, u"GetValue", handle, u"v"), Variant(u"late"));
    EXPECT_EQ(call(obj, u"SetValue", handle, u"v"), Variant(std::int32_t{0}));  // omitted: deleted
    EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, kPath, "v"));
    call(obj, u"closeKey", handle);
    EXPECT_EQ(getProperty(obj, u"Count"), Variant(std::int32_t{0}));
}

}  // namespace
