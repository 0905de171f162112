// Rounding half to even.
#include "runtime/numbers.h"

#include <cmath>

#include "runtime/Error.h"

namespace velmora {

double roundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    double whole = std::floor(x);
    double rest = x - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    return whole;
}

std::int64_t roundScaledHalfEven(std::int64_t value, std::int64_t divisor) {
    std::int64_t q = value / divisor;
    std::int64_t r = value % divisor;  // same sign as value
    std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > divisor || (twice == divisor && q % 2 != 0)) q += value < 0 ? -1 : 1;
    return q;
}

double Round(double x, int digits) {
    if (digits < 0) raise(err::InvalidProcedureCall);
    if (digits > 22 || !std::isfinite(x)) return x;
    double scale = std::pow(10.0, digits);
    double scaled = x * scale;
    if (!std::isfinite(scaled)) return x;
    return roundHalfEven(scaled) / scale;
}

double Int(double x) {
    return std::floor(x);
}
double Fix(double x) {
    return std::trunc(x);
}

}  // namespace velmora
