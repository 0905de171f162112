// Reading numbers from text, shared by the conversions, IsNumeric and Val. Private to the runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::detail {

// A number as written: either decimal digits with a power of ten, or an &H / &O literal.
struct NumberText {
    bool negative = false;
    bool radix = false;            // written as &H... or &O...
    std::uint64_t radixValue = 0;  // the bits of a radix literal
    std::string digits;            // decimal digits without leading zeros ("" for zero)
    int exponent = 0;              // value = digits * 10^exponent
};

// Blanks the platform skips around numbers and inside Val.
constexpr bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The whole text (blanks around it allowed) as a number; false when it is not one.
bool parseNumberText(std::u16string_view text, NumberText& out);

// The longest leading number of a text whose blanks were removed (Val); returns the characters used.
std::size_t parseNumberPrefix(std::u16string_view text, NumberText& out);

// The decimal value as a double: may be +-infinity when out of range.
double decimalToDouble(const NumberText& number);

// The value scaled by 10^4 and rounded half to even (Currency); false when it does not fit 64 bits.
bool decimalToScaled(const NumberText& number, std::int64_t& scaled);

// A radix literal read as the platform reads it in a given width: values that fit 16 bits are
// Integers (so &HFFFF is -1) when wrap16 is set, values that fit 32 bits are Longs. False: overflow.
bool radixToLong(const NumberText& number, bool wrap16, std::int32_t& value);

}  // namespace velmora::detail
