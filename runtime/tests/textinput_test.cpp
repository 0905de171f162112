// Text the runtime reads from outside (numbers, dates, patterns) never crashes it: any input either
// converts or raises a run-time error. A fixed seed keeps the run deterministic.
#include <gtest/gtest.h>

#include <random>

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "runtime/datetime.h"
#include "runtime/format.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

std::u16string randomText(std::mt19937& random, std::u16string_view alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength), pick(0, alphabet.size() - 1);
    std::u16string text(length(random), u' ');
    for (char16_t& c : text) c = alphabet[pick(random)];
    return text;
}

// The run-time error an action raises (0 for none); anything else thrown escapes and fails the test.
using test::errorNumberOf;

// Text converts, or fails as a conversion fails: type mismatch, or overflow for a number out of range.
bool isConversionOutcome(std::int32_t number) {
    return number == 0 || number == err::TypeMismatch || number == err::Overflow;
}

TEST(TextInput, ConversionsOfArbitraryText) {
    std::mt19937 random(20240305);
    constexpr std::u16string_view alphabet = u"0123456789+-.eEdD&HhOo ,:/\tAPMapmJanMar9999\u00e9\uFFFF";
    int converted = 0;
    for (int i = 0; i < 4000; ++i) {
        Variant text(randomText(random, alphabet, 24));
        const std::string shown = toUtf8(text.stringRef());
        const std::int32_t asDouble = errorNumberOf([&] { text.toDouble(); });
        for (std::int32_t number :
             {asDouble, errorNumberOf([&] { text.toSingle(); }), errorNumberOf([&] { text.toInteger(); }),
              errorNumberOf([&] { text.toLong(); }), errorNumberOf([&] { text.toByte(); }),
              errorNumberOf([&] { text.toCurrency(); }), errorNumberOf([&] { text.toBool(); })})
            EXPECT_TRUE(isConversionOutcome(number)) << shown << ": error " << number;
        // Val reads what it can and fails only on a number out of range; Hex fails only as the conversion
        // to a number does.
        const std::int32_t val = errorNumberOf([&] { Val(text.stringRef()); });
        EXPECT_TRUE(val == 0 || val == err::Overflow) << shown << ": error " << val;
        EXPECT_TRUE(isConversionOutcome(errorNumberOf([&] { Hex(text); }))) << shown;
        // The tests agree with the conversions they stand for.
        const std::int32_t asDate = errorNumberOf([&] { text.toDate(); });
        EXPECT_EQ(IsDate(text), asDate == 0) << shown << ": error " << asDate;
        if (text.isNumeric()) {
            EXPECT_NE(asDouble, err::TypeMismatch) << shown;
        }
        if (asDouble == 0) ++converted;
    }
    // The alphabet is meant to reach the converting paths, not only the failing ones.
    EXPECT_GT(converted, 100);
}

TEST(TextInput, ArbitraryPatterns) {
    std::mt19937 random(7);
    constexpr std::u16string_view alphabet = u"0#.,%E+-;\\\"dmyhnswqcAMP/:t[]!*?ab ";
    const Variant values[] = {Variant(0.0),  Variant(-1234.5678), Variant(1e300), Variant(Date{45356.6}),
                              Variant(u"x"), Variant::null(),     Variant(1e-300)};
    for (int i = 0; i < 3000; ++i) {
        std::u16string pattern = randomText(random, alphabet, 16);
        const std::string shown = toUtf8(pattern);
        // Any pattern formats every value, but for a number beyond the dates' range in a date pattern
        // (overflow); a pattern is never an argument error.
        for (const Variant& value : values) {
            const std::int32_t format = errorNumberOf([&] { Format(value, pattern); });
            EXPECT_TRUE(format == 0 || format == err::Overflow) << shown << ": error " << format;
        }
        // A malformed pattern (an unclosed "[", a reversed range) is error 93; nothing else fails.
        const std::int32_t like = errorNumberOf([&] { Like(u"ab12[]*", pattern, i % 2); });
        EXPECT_TRUE(like == 0 || like == 93) << shown << ": error " << like;
    }
}

}  // namespace
}  // namespace velmora
