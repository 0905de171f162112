// Rounding as the platform does it: halves go to the even neighbour (CInt, CLng, Round, Currency).
#pragma once

#include <cstdint>

namespace velmora {

// The nearest whole number, halves to the even one: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfEven(double x);
// value / divisor rounded half to even (divisor > 0), exactly, for scaled integers such as Currency.
std::int64_t roundScaledHalfEven(std::int64_t value, std::int64_t divisor);
// Round(x, digits): half to even at the given number of decimals; error 5 for negative digits.
double Round(double x, int digits = 0);
// Int: the largest whole number not above x (Int(-2.5) = -3). Fix: towards zero (Fix(-2.5) = -2).
double Int(double x);
double Fix(double x);

}  // namespace velmora
