// objcall's argument and step syntax, and the form it prints values in.
#include <gtest/gtest.h>

#include "../objcall/ValueSyntax.h"
#include "runtime/Error.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::objcall;

TEST(ObjcallSyntax, ValuesParseToTheirTypes) {
    struct Case {
        const char* text;
        Variant expected;
    };
    const Case cases[] = {
        {"i16:5", Variant(std::int16_t{5})},
        {"i32:-7", Variant(std::int32_t{-7})},
        {" 42 ", Variant(std::int32_t{42})},
        {"u8:255", Variant(std::uint8_t{255})},
        {"d:1.5", Variant(1.5)},
        {"f32:0.25", Variant(0.25f)},
        {"b:true", Variant(true)},
        {"b:false", Variant(false)},
        {"s:C:\\dir\\file.txt", Variant(u"C:\\dir\\file.txt")},
        {"s:", Variant(u"")},
        {"\"a, (b) \"\"c\"\"\"", Variant(u"a, (b) \"c\"")},
        {"bytes:0a0B0c", Variant(std::vector<std::uint8_t>{10, 11, 12})},
        {"bytes:", Variant(std::vector<std::uint8_t>{})},
        {"empty", Variant::missing()},
        {"null", Variant::null()},
    };
    for (const Case& c : cases) EXPECT_EQ(parseValue(c.text).value, c.expected) << c.text;
    EXPECT_TRUE(parseValue("sink").isSink);
}

TEST(ObjcallSyntax, DatesRoundTripThroughThePrintedForm) {
    Variant date = parseValue("date:2024-03-05T14:30:00").value;
    EXPECT_EQ(date.type(), VarType::Date);
    EXPECT_EQ(formatValue(date), "date:2024-03-05T14:30:00");
}

TEST(ObjcallSyntax, BadValuesAreErrorsNotCrashes) {
    for (const char* text : {"i16:40000", "u8:256", "i32:x", "bytes:abc", "bytes:zz", "b:maybe", "\"open",
                             "date:2024-13-01T00:00:00", "what", "d:inf"}) {
        EXPECT_THROW(parseValue(text), RuntimeError) << text;
    }
    EXPECT_THROW(parseValue("bytes@/nonexistent/file"), RuntimeError);
}

TEST(ObjcallSyntax, StepsSplitIntoNameKindAndArguments) {
    Step get = parseStep("MethodName");
    EXPECT_EQ(get.name, "MethodName");
    EXPECT_EQ(get.kind, StepKind::Get);

    Step let = parseStep("Key=s:pass word");
    EXPECT_EQ(let.kind, StepKind::Let);
    EXPECT_EQ(let.args, std::vector<std::string>{"s:pass word"});

    Step set = parseStep("IEventHandler:=sink");
    EXPECT_EQ(set.kind, StepKind::Set);
    EXPECT_EQ(set.args, std::vector<std::string>{"sink"});

    Step call = parseStep("EncryptFile( s:C:\\a b.txt , \"x,(y)\" ,empty, i32:3)");
    EXPECT_EQ(call.kind, StepKind::Call);
    EXPECT_EQ(call.args, (std::vector<std::string>{"s:C:\\a b.txt", "\"x,(y)\"", "empty", "i32:3"}));

    EXPECT_TRUE(parseStep("Refresh()").args.empty());
    EXPECT_EQ(parseStep("Item(1)=s:x").args.size(), 2u);

    for (const char* bad : {"", "(1)", "Name(1", "Name(\"x)", "Name x", "Name(\"a\" b)"})
        EXPECT_THROW(parseStep(bad), RuntimeError) << bad;
}

TEST(ObjcallSyntax, WaitIsObjcallsOwnStep) {
    for (const auto& [text, ms] :
         {std::pair{"@wait(550)", 550u}, {" @wait( 0 ) ", 0u}, {"@wait(2147483647)", 2147483647u}}) {
        const Step wait = parseStep(text);
        EXPECT_EQ(wait.kind, StepKind::Wait) << text;
        EXPECT_EQ(wait.waitMs, ms) << text;
        EXPECT_TRUE(wait.args.empty()) << text;
    }
    // A member may be called wait: only the @ makes the step objcall's own.
    EXPECT_EQ(parseStep("wait(5)").kind, StepKind::Call);
    for (const char* bad : {"@wait", "@wait(", "@wait()", "@wait(x)", "@wait(-5)", "@wait(5)=1", "@wai(5)"})
        EXPECT_THROW(parseStep(bad), RuntimeError) << bad;
    try {
        parseStep("@wait(4294967296)");
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
}

TEST(ObjcallSyntax, ValuesPrintAsTypeColonValue) {
    EXPECT_EQ(formatValue(Variant()), "empty");
    EXPECT_EQ(formatValue(Variant::null()), "null");
    EXPECT_EQ(formatValue(Variant(std::int16_t{-3})), "i16:-3");
    EXPECT_EQ(formatValue(Variant(7)), "i32:7");
    EXPECT_EQ(formatValue(Variant(0.1)), "d:0.1");
    EXPECT_EQ(formatValue(Variant(true)), "b:true");
    EXPECT_EQ(formatValue(Variant(u"a\\b\n\t\r" + std::u16string(1, u'\0') + u"\x01")),
              "s:a\\\\b\\n\\t\\r\\0\\x01");
    EXPECT_EQ(formatValue(Variant(std::vector<std::uint8_t>{0, 0xab, 0x10})), "bytes:00ab10");
    EXPECT_EQ(formatValue(Variant::nothing()), "obj:Nothing");

    SafeArray list(VarType::Variant, {{1, 2}});
    const std::int32_t first[] = {1}, second[] = {2};
    list.set(first, Variant(u"x"));
    list.set(second, Variant(5));
    EXPECT_EQ(formatValue(Variant(std::move(list))), "array(1..2)\n  [1] s:x\n  [2] i32:5");
    EXPECT_EQ(formatValue(Variant::unallocatedArray(VarType::Byte)), "array(unallocated)");
}
