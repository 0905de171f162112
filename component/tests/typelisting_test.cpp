// Type descriptions: members in interface order with kinds, parameters and defaults; library listings;
// and declarations the builder must refuse.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "SampleClasses.h"
#include "component/LibraryInfo.h"
#include "component/typelisting.h"
#include "runtime/text.h"

namespace velmora::test {
namespace {

class Listed : public Dispatchable<Listed> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<Listed>(u"Listed")
                .property(u"Name", &Listed::name, &Listed::setName)
                .property(u"Item", &Listed::item, &Listed::setItem, {u"Index"})
                .asDefault()
                .property(u"Partner", &Listed::partner, &Listed::setPartner)
                .method(u"Scale", &Listed::scale, {u"Value", opt(u"Factor", 2)})
                .method(u"Quote", &Listed::quote, {opt(u"Text", u"say \"hi\"")})
                .method(u"Swap", &Listed::swap, {u"a", u"b"})
                .method(u"Clear", &Listed::clear)
                .method(u"Bytes", &Listed::bytes, {u"Data"})
                .event(u"Progress", {arg(u"Percent", VarType::Long), arg(u"Note", VarType::String, false)})
                .build();
        return info;
    }
    std::u16string name() const { return {}; }
    void setName(const std::u16string&) {}
    Variant item(std::int16_t) const { return {}; }
    void setItem(std::int16_t, const Variant&) {}
    ObjectRef partner() const { return {}; }
    void setPartner(ObjectRef) {}
    double scale(double value, double factor) const { return value * factor; }
    std::u16string quote(std::u16string text) { return text; }
    void swap(Variant&, Variant&) {}
    void clear() noexcept {}
    std::vector<std::uint8_t> bytes(const std::vector<std::uint8_t>& data) { return data; }
};

TEST(TypeListingTest, ClassListsItsMembersInInterfaceOrder) {
    EXPECT_EQ(toUtf8(listClass(Listed::describe())),
              "Class Listed\n"
              "    Property Get Name() As String\n"
              "    Property Let Name(ByVal RHS As String)\n"
              "    [Default] Property Get Item(ByVal Index As Integer) As Variant\n"
              "    [Default] Property Let Item(ByVal Index As Integer, ByVal RHS As Variant)\n"
              "    Property Get Partner() As Object\n"
              "    Property Set Partner(ByVal RHS As Object)\n"
              "    Function Scale(ByVal Value As Double, Optional ByVal Factor As Double = 2) As Double\n"
              "    Function Quote(Optional ByVal Text As String = \"say \"\"hi\"\"\") As String\n"
              "    Sub Swap(ByRef a As Variant, ByRef b As Variant)\n"
              "    Sub Clear()\n"
              "    Function Bytes(ByVal Data As Byte()) As Byte()\n"
              "    Event Progress(ByRef Percent As Long, ByVal Note As String)\n"
              "End Class\n");
}

TEST(TypeListingTest, MemberTableIsWalkableData) {
    const ClassInfo& info = Sample::describe();
    const MemberInfo* scale = info.find(u"Scale", InvokeMethod);
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(info.members()[info.indexOf(*scale)].name, u"Scale");
    ASSERT_EQ(scale->params.size(), 2u);
    EXPECT_FALSE(scale->params[0].optional);
    EXPECT_TRUE(scale->params[1].optional);
    EXPECT_EQ(scale->params[1].defaultValue, Variant(2));
    EXPECT_EQ(scale->result, TypeDesc(VarType::Long));

    const MemberInfo* swap = info.find(u"Swap", InvokeMethod);
    ASSERT_NE(swap, nullptr);
    EXPECT_TRUE(swap->params[0].byRef);
    EXPECT_TRUE(info.find(u"Increment", InvokeMethod)->params[0].byRef);
    EXPECT_FALSE(info.find(u"Add", InvokeMethod)->params[0].byRef);

    ASSERT_NE(info.findEvent(u"progress"), nullptr);
    EXPECT_EQ(info.find(u"Progress", InvokeMethod), nullptr);
}

TEST(TypeListingTest, LibraryListsClassesAndEnumerations) {
    LibraryInfo library(u"Diskware");
    library.addClass(Other::describe());
    library.addEnum(
        EnumInfo{u"DeleteType", {{u"vKill", 0}, {u"vRecycle", 1}, {u"vDestroy", 2}, {u"vWipe", 3}}});
    EXPECT_EQ(library.findEnum(u"deletetype")->valueOf(u"VWIPE"), 3);
    EXPECT_FALSE(library.findEnum(u"DeleteType")->valueOf(u"vShred").has_value());
    EXPECT_EQ(library.findClass(u"OTHER"), &Other::describe());
    EXPECT_EQ(toUtf8(listLibrary(library)),
              "Library Diskware\n"
              "\n"
              "Class Other\n"
              "    Property Get Id() As Long\n"
              "End Class\n"
              "\n"
              "Enum DeleteType\n"
              "    vKill = 0\n"
              "    vRecycle = 1\n"
              "    vDestroy = 2\n"
              "    vWipe = 3\n"
              "End Enum\n");
    EXPECT_THROW(library.addClass(Other::describe()), std::logic_error);
}

struct Faulty : Dispatchable<Faulty> {
    static const ClassInfo& describe();
    std::int32_t two(std::int32_t a, std::int32_t b) { return a + b; }
    void none() {}
};

TEST(TypeListingTest, FaultyDeclarationsAreRefused) {
    using Build = std::function<void()>;
    const std::vector<std::pair<const char*, Build>> cases = {
        {"too few names", [] { ClassBuilder<Faulty>(u"F").method(u"Two", &Faulty::two, {u"a"}); }},
        {"too many names", [] { ClassBuilder<Faulty>(u"F").method(u"None", &Faulty::none, {u"a"}); }},
        {"required after optional",
         [] {
             ClassBuilder<Faulty>(u"F").method(u"Two", &Faulty::two, {opt(u"a"), u"b"});
         }},
        {"no member name", [] { ClassBuilder<Faulty>(u"F").method(u"", &Faulty::none); }},
        {"assignment without a value", [] { ClassBuilder<Faulty>(u"F").propertyLet(u"P", &Faulty::none); }},
        {"same name and kind twice",
         [] { ClassBuilder<Faulty>(u"F").method(u"X", &Faulty::none).method(u"x", &Faulty::none).build(); }},
        {"two default members",
         [] {
             ClassBuilder<Faulty>(u"F")
                 .method(u"X", &Faulty::none)
                 .asDefault()
                 .method(u"Y", &Faulty::none)
                 .asDefault()
                 .build();
         }},
    };
    for (const auto& [why, build] : cases) EXPECT_THROW(build(), std::logic_error) << why;

    // A get and a let of one name are one property, not a clash.
    EXPECT_NO_THROW(ClassBuilder<Faulty>(u"F")
                        .propertyGet(u"P", &Faulty::two, {u"a", u"b"})
                        .propertyLet(u"P", &Faulty::two, {u"a"})
                        .build());
}

}  // namespace
}  // namespace velmora::test
