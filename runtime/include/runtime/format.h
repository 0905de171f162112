// Format and FormatNumber: numbers with the process locale's decimal point and digit grouping
// (LC_NUMERIC, as localeconv reports it), dates with English month and day names and the fixed
// separators "/" and ":".
#pragma once

#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace velmora {

// Format(value, pattern):
// - no pattern: the text form (CStr) with the locale's decimal point;
// - named formats: "General Number", "Fixed", "Standard", "Percent", "Scientific", "Yes/No",
//   "True/False", "On/Off", "General Date", "Long Date", "Medium Date", "Short Date", "Long Time",
//   "Medium Time", "Short Time" (case-insensitive);
// - date patterns (letters case-insensitive): d dd ddd dddd ddddd dddddd, w ww, m mm mmm mmmm (m/mm right
//   after an hour or right before a second are minutes), q, y yy yyyy, h hh (12-hour with AM/PM),
//   n nn, s ss, ttttt, c, AM/PM am/pm A/P a/p AMPM;
// - number patterns: 0 # . , % E+ E- e+ e-, up to four sections "positive;negative;zero;null";
//   a comma between digit placeholders groups thousands, commas right before the decimal point (or the
//   end of the digits) divide by 1000 each. Halves round away from zero, on the value's first 15
//   significant digits.
// Literals: "\x", "quoted text", and every other character. A text value that is not a number (or not a
// date, for date patterns) is returned unchanged; Null formats as "" unless a fourth section says more.
std::u16string Format(const Variant& value, std::u16string_view pattern = {});

// FormatNumber-like: the value rounded (halves away from zero) to `decimals` places (0..99), with the
// locale's decimal point and, when `groupDigits`, its digit grouping (none in the "C" locale), and a
// leading "-" for negative values; error 5 for decimals outside 0..99.
std::u16string FormatNumber(double value, int decimals = 2, bool groupDigits = true);

}  // namespace velmora
