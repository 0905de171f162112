// Text the runtime reads from outside (numbers, dates, patterns) never crashes it: any input either
// converts or raises a run-time error. A fixed seed keeps the run deterministic.
#include <gtest/gtest.h>

#include <random>

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "runtime/datetime.h"
#include "runtime/format.h"
#include "runtime/strings.h"

namespace velmora {
namespace {

std::u16string randomText(std::mt19937& random, std::u16string_view alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength), pick(0, alphabet.size() - 1);
    std::u16string text(length(random), u' ');
    for (char16_t& c : text) c = alphabet[pick(random)];
    return text;
}

template <class F>
void survives(F&& action) {
    try {
        action();
    } catch (const RuntimeError&) {
    }
}

TEST(TextInput, ConversionsOfArbitraryText) {
    std::mt19937 random(20240305);
    constexpr std::u16string_view alphabet = u"0123456789+-.eEdD&HhOo ,:/\tAPMapmJanMar9999\u00e9\uFFFF";
    for (int i = 0; i < 4000; ++i) {
        Variant text(randomText(random, alphabet, 24));
        survives([&] { text.toDouble(); });
        survives([&] { text.toSingle(); });
        survives([&] { text.toInteger(); });
        survives([&] { text.toLong(); });
        survives([&] { text.toByte(); });
        survives([&] { text.toCurrency(); });
        survives([&] { text.toBool(); });
        survives([&] { text.toDate(); });
        survives([&] { Val(text.stringRef()); });
        survives([&] { Hex(text); });
        text.isNumeric();
        IsDate(text);
    }
}

TEST(TextInput, ArbitraryPatterns) {
    std::mt19937 random(7);
    constexpr std::u16string_view alphabet = u"0#.,%E+-;\\\"dmyhnswqcAMP/:t[]!*?ab ";
    const Variant values[] = {Variant(0.0),  Variant(-1234.5678), Variant(1e300), Variant(Date{45356.6}),
                              Variant(u"x"), Variant::null(),     Variant(1e-300)};
    for (int i = 0; i < 3000; ++i) {
        std::u16string pattern = randomText(random, alphabet, 16);
        for (const Variant& value : values) survives([&] { Format(value, pattern); });
        survives([&] { Like(u"ab12[]*", pattern, i % 2); });
    }
}

}  // namespace
}  // namespace velmora
