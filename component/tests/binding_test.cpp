// Late binding by name: arguments, omitted optionals, by-reference write-back, properties and errors.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "SampleClasses.h"
#include "component/calls.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora::test {
namespace {

class BindingTest : public ::testing::Test {
  protected:
    Variant invoke(std::u16string_view name, InvokeKind kind, std::vector<Variant> args) {
        return m_sample->invoke(name, kind, args);
    }
    Ref<Sample> m_sample = makeObject<Sample>();
};

TEST_F(BindingTest, ByReferenceArgumentsComeBackToTheCaller) {
    std::vector<Variant> swapArgs{Variant(1), Variant(u"two")};
    m_sample->invoke(u"Swap", InvokeMethod, swapArgs);
    EXPECT_EQ(swapArgs[0], Variant(u"two"));
    EXPECT_EQ(swapArgs[1], Variant(1));

    std::vector<Variant> textArgs{Variant(u"report.txt")};
    m_sample->invoke(u"AppendSuffix", InvokeMethod, textArgs);
    EXPECT_EQ(textArgs[0], Variant(u"report.txt.zqf"));

    // A typed by-reference parameter converts in and writes back in its own type.
    std::vector<Variant> numberArgs{Variant(u"41")};
    m_sample->invoke(u"Increment", InvokeMethod, numberArgs);
    EXPECT_EQ(numberArgs[0], Variant(42));
}

TEST_F(BindingTest, ByValueArgumentsAreLeftAlone) {
    std::vector<Variant> args{Variant(u"40"), Variant(2)};
    EXPECT_EQ(m_sample->invoke(u"Add", InvokeMethod, args), Variant(42));
    EXPECT_EQ(args[0], Variant(u"40"));
}

TEST_F(BindingTest, OmittedOptionalArgumentsTakeTheirDefaults) {
    struct Case {
        const char16_t* member;
        std::vector<Variant> args;
        Variant expected;
    };
    const std::vector<Case> cases = {
        {u"Scale", {Variant(5)}, Variant(10)},
        {u"Scale", {Variant(5), Variant::missing()}, Variant(10)},
        {u"Scale", {Variant(5), Variant(3)}, Variant(15)},
        {u"Join", {Variant(u"a"), Variant::missing(), Variant(u"b")}, Variant(u"a-b")},
        {u"Join", {Variant(u"a")}, Variant(u"a-")},  // a String without a default gets ""
        {u"Join", {Variant(u"a"), Variant(u"+"), Variant(u"b")}, Variant(u"a+b")},
        {u"IsMissing", {}, Variant(true)},
        {u"IsMissing", {Variant::missing()}, Variant(true)},
        {u"IsMissing", {Variant()}, Variant(false)},
    };
    for (const Case& c : cases) {
        std::vector<Variant> args = c.args;
        EXPECT_EQ(m_sample->invoke(c.member, InvokeMethod, args), c.expected)
            << toUtf8(c.member) << " with " << c.args.size() << " arguments";
    }
}

TEST_F(BindingTest, ByReferenceWriteBackSurvivesAnOmittedArgumentBeforeIt) {
    // The slow path (defaults filled in) must still copy by-reference arguments back, and only those the
    // caller actually passed.
    std::vector<Variant> args{Variant(u"a"), Variant::missing(), Variant(1)};
    m_sample->invoke(u"Decorate", InvokeMethod, args);
    EXPECT_EQ(args[0], Variant(u"#a"));
    EXPECT_TRUE(args[1].isMissing());
    EXPECT_EQ(args[2], Variant(2));

    std::vector<Variant> shortArgs{Variant(u"b")};
    m_sample->invoke(u"Decorate", InvokeMethod, shortArgs);
    EXPECT_EQ(shortArgs[0], Variant(u"#b"));
}

TEST_F(BindingTest, BindingErrorsCarryTheirStandardNumbers) {
    const Ref<Sample> otherSample = makeObject<Sample>();
    struct Case {
        const char* why;
        const char16_t* member;
        InvokeKind kind;
        std::vector<Variant> args;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {"unknown member", u"NoSuchMember", InvokeMethod, {}, err::NoSuchMember},
        {"an event is not callable", u"Progress", InvokeMethod, {Variant(1)}, err::NoSuchMember},
        {"no let for a method", u"Add", InvokePropertyLet, {Variant(1), Variant(2)}, err::NoSuchMember},
        {"too many arguments",
         u"Add",
         InvokeMethod,
         {Variant(1), Variant(2), Variant(3)},
         err::WrongArgumentCount},
        {"too many for an optional",
         u"IsMissing",
         InvokeMethod,
         {Variant(1), Variant(2)},
         err::WrongArgumentCount},
        {"assignment without a value", u"Name", InvokePropertyLet, {}, err::WrongArgumentCount},
        {"required argument left out", u"Add", InvokeMethod, {Variant(1)}, err::ArgumentNotOptional},
        {"required argument missing",
         u"Add",
         InvokeMethod,
         {Variant::missing(), Variant(1)},
         err::ArgumentNotOptional},
        {"required by-reference missing",
         u"Swap",
         InvokeMethod,
         {Variant::missing(), Variant(1)},
         err::ArgumentNotOptional},
        {"index left out of an assignment",
         u"Item",
         InvokePropertyLet,
         {Variant(u"v")},
         err::ArgumentNotOptional},
        {"text that is no number", u"Add", InvokeMethod, {Variant(u"x"), Variant(1)}, err::TypeMismatch},
        {"an object of another class",
         u"OtherId",
         InvokeMethod,
         {Variant(ObjectRef(otherSample))},
         err::TypeMismatch},
        {"a value where an object goes", u"Partner", InvokePropertySet, {Variant(5)}, err::TypeMismatch},
        {"a number out of range", u"Half", InvokeMethod, {Variant(100000)}, err::Overflow},
    };
    for (const Case& c : cases) {
        std::vector<Variant> args = c.args;
        EXPECT_EQ(errorNumberOf([&] { m_sample->invoke(c.member, c.kind, args); }), c.number) << c.why;
    }
    std::vector<Variant> none;
    EXPECT_EQ(errorNumberOf([&] { callByName(ObjectRef(), u"Add", InvokeMethod, none); }), err::ObjectNotSet);
    EXPECT_EQ(errorNumberOf([&] { call(Ref<Sample>(), u"Add", 1, 2); }), err::ObjectNotSet);
}

TEST_F(BindingTest, ErrorsRaisedInsideAMemberPassThroughUnchanged) {
    std::vector<Variant> args{Variant(vbObjectError + 5)};
    try {
        m_sample->invoke(u"Fail", InvokeMethod, args);
        FAIL() << "Fail returned";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), vbObjectError + 5);
        EXPECT_EQ(error.description(), u"Sample failed on purpose");
        EXPECT_EQ(error.source(), u"Sample:Fail");
    }
}

TEST_F(BindingTest, NamesMatchWhateverTheCase) {
    EXPECT_EQ(invoke(u"aDD", InvokeMethod, {Variant(1), Variant(2)}), Variant(3));
    EXPECT_EQ(invoke(u"ADD", InvokeMethod, {Variant(1), Variant(2)}), Variant(3));
}

TEST_F(BindingTest, PropertiesGetLetAndSet) {
    invoke(u"Name", InvokePropertyLet, {Variant(u"Shredwell")});
    EXPECT_EQ(invoke(u"name", InvokePropertyGet, {}), Variant(u"Shredwell"));
    // A plain call of a property name reads it, as "x = obj.Name" does.
    EXPECT_EQ(invoke(u"Name", InvokeMethod, {}), Variant(u"Shredwell"));

    const Ref<Sample> partner = makeObject<Sample>();
    invoke(u"Partner", InvokePropertySet, {Variant(ObjectRef(partner))});
    EXPECT_EQ(m_sample->partner(), partner);
    EXPECT_EQ(invoke(u"Partner", InvokePropertyGet, {}).toObject(), ObjectRef(partner));

    // Clients that only know "put" reach the set of an object property, and Nothing clears it.
    invoke(u"Partner", InvokePropertyLet, {Variant::nothing()});
    EXPECT_FALSE(m_sample->partner());
}

TEST_F(BindingTest, EmptyNameReachesTheDefaultMember) {
    invoke(u"", InvokePropertyLet, {Variant(2), Variant(u"second")});
    EXPECT_EQ(invoke(u"", InvokePropertyGet, {Variant(2)}), Variant(u"second"));
    EXPECT_EQ(invoke(u"Item", InvokePropertyGet, {Variant(2)}), Variant(u"second"));
    std::vector<Variant> none;
    EXPECT_EQ(errorNumberOf([&] { makeObject<Other>()->invoke(u"", InvokePropertyGet, none); }),
              err::NoSuchMember);
}

TEST_F(BindingTest, ByteArraysCrossAsArrays) {
    const Variant result = invoke(u"Reversed", InvokeMethod, {Variant(std::vector<std::uint8_t>{1, 2, 3})});
    EXPECT_EQ(result.toBytes(), (std::vector<std::uint8_t>{3, 2, 1}));
    EXPECT_EQ(invoke(u"Reversed", InvokeMethod, {Variant::unallocatedArray(VarType::Byte)}).toBytes().size(),
              0u);
}

TEST_F(BindingTest, CallHelpersWriteBackVariablesPassedByReference) {
    Variant a = 1;
    Variant b = u"two";
    call(m_sample, u"Swap", a, b);
    EXPECT_EQ(a, Variant(u"two"));
    EXPECT_EQ(b, Variant(1));

    std::u16string path = u"notes";
    call(m_sample, u"AppendSuffix", byRef(path));
    EXPECT_EQ(path, u"notes.zqf");

    // A typed variable passed plainly is a temporary: the callee's change is not seen.
    call(m_sample, u"AppendSuffix", path);
    EXPECT_EQ(path, u"notes.zqf");

    EXPECT_EQ(call(m_sample, u"Scale", 4).toLong(), 8);
    letProperty(m_sample, u"Name", u"Sealdesk");
    EXPECT_EQ(getProperty(m_sample, u"Name").toString(), u"Sealdesk");
    letProperty(m_sample, u"Item", 0, 3.5);
    EXPECT_EQ(getProperty(m_sample, u"Item", 0), Variant(3.5));
    setProperty(m_sample, u"Partner", m_sample);
    EXPECT_EQ(m_sample->partner(), m_sample);
    m_sample->setPartner({});  // break the cycle
}

}  // namespace
}  // namespace velmora::test
