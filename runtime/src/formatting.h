// Pieces of Format shared by its number and date halves. Private to the runtime.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace velmora::detail {

// The LC_NUMERIC conventions in force.
struct NumericLocale {
    std::u16string decimalPoint;
    std::u16string thousandsSeparator;
    std::string grouping;  // localeconv's group sizes
};
NumericLocale numericLocale();

// True when a pattern has date or time placeholders and no digit placeholders.
bool isDatePattern(std::u16string_view pattern);

std::u16string formatDatePattern(Date date, std::u16string_view pattern);
std::u16string formatNumberPattern(double value, bool isNull, std::u16string_view pattern);

}  // namespace velmora::detail
