// StringObject: padding limits, NUL handling and FormatSize in two locales.
#include <gtest/gtest.h>

#include "StringObject.h"
#include "TextkitTestSupport.h"

using namespace velmora;
using velmora::test::errorNumberOf;
using velmora::test::ScopedNumericLocale;

namespace {

class StringObjectTest : public ::testing::Test {
  protected:
    Ref<StringObject> obj = makeObject<StringObject>();
};

TEST_F(StringObjectTest, FixLengthPadsWithNulsAndTrimNullUndoesIt) {
    std::int16_t length = 4;
    std::u16string padded = obj->FixLength(u"ab", length);
    EXPECT_EQ(padded, std::u16string(u"ab\0\0", 4));
    EXPECT_EQ(obj->TrimNull(padded), u"ab");
    std::u16string exact = u"abcd";
    EXPECT_EQ(obj->FixLength(exact, length), u"abcd");
    std::u16string inner(u"a\0b\0", 4);
    EXPECT_EQ(obj->TrimNull(inner), u"a");
    std::u16string none = u"plain";
    EXPECT_EQ(obj->TrimNull(none), u"plain");
}

TEST_F(StringObjectTest, TooLongTextsFailWithError3) {
    struct Case {
        std::u16string text;
        std::int16_t length;
    };
    for (const Case& c : {Case{u"12345", 4}, Case{u"a", 0}, Case{u"", -1}}) {
        std::int16_t length = c.length;
        std::u16string text = c.text;
        try {
            obj->FixLength(text, length);
            ADD_FAILURE() << "FixLength accepted " << toUtf8(c.text);
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), 3);
            EXPECT_EQ(error.source(), u"RIVAverido");
            EXPECT_EQ(error.description(), u"Data length is longer then allowed");
        }
        EXPECT_EQ(errorNumberOf([&] { obj->AddZeros(text, length); }), 3);
    }
}

TEST_F(StringObjectTest, AddZerosPadsInFront) {
    std::u16string seven = u"7";
    std::int16_t three = 3;
    EXPECT_EQ(obj->AddZeros(seven, three), u"007");
    std::u16string full = u"123";
    EXPECT_EQ(obj->AddZeros(full, three), u"123");
    EXPECT_EQ(seven, u"7");  // by reference, yet unchanged
}

TEST_F(StringObjectTest, NullHandling) {
    EXPECT_EQ(obj->NoNull(Variant::null()), u"");
    EXPECT_EQ(obj->NoNull(Variant(std::int32_t{42})), u"42");
    EXPECT_EQ(obj->NoNull(Variant()), u"");
    EXPECT_TRUE(obj->NoZero(u"   ").isNull());
    EXPECT_TRUE(obj->NoZero(u"").isNull());
    EXPECT_EQ(obj->NoZero(u" x "), Variant(u" x "));
}

TEST_F(StringObjectTest, FormatSizeInEnglishLocale) {
    ScopedNumericLocale locale("en_US.UTF-8");
    ASSERT_TRUE(locale.ok()) << "scripts/setup generates en_US.UTF-8";
    struct Case {
        Variant size;
        std::u16string text;
    };
    const Case cases[] = {
        {std::int32_t{0}, u"0 b"},
        {std::int32_t{1000}, u"1,000 b"},
        {std::int32_t{1023}, u"1,023 b"},
        {std::int32_t{-5}, u"-5 b"},
        {std::int32_t{1024}, u"1.000 Kb"},
        {std::int32_t{1536}, u"1.500 Kb"},
        {std::int32_t{102400}, u"100.0 Kb"},
        {std::int32_t{1024000}, u"0.977 Mb"},
        {std::int32_t{1536000}, u"1.465 Mb"},
        {1073741824.0, u"1.000 Gb"},
        {u"2048", u"2.000 Kb"},
        {1e27, u"827.2 Yb"},
        {1.1e27, u"Out of bounds"},
        {u"lots", u""},
        {Variant::null(), u""},
        {Variant(std::vector<std::uint8_t>{1, 2}), u""},
    };
    for (const Case& c : cases) EXPECT_EQ(obj->FormatSize(c.size), c.text) << toUtf8(c.text);
}

TEST_F(StringObjectTest, FormatSizeFollowsTheNumericLocale) {
    ScopedNumericLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.ok()) << "scripts/setup generates de_DE.UTF-8";
    EXPECT_EQ(obj->FormatSize(std::int32_t{1023}), u"1.023 b");
    EXPECT_EQ(obj->FormatSize(std::int32_t{1536000}), u"1,465 Mb");
}

}  // namespace
