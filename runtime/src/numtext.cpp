// Reading numbers from text with the platform's rules: blanks around, a sign, '.' as the decimal point,
// an exponent (E or D), and the &H / &O literals.
#include "numtext.h"

#include <charconv>
#include <limits>

namespace velmora::detail {

namespace {

// More significant digits than any target type can hold; the rest only shifts the exponent.
constexpr std::size_t kMaxDigits = 40;
constexpr int kMaxExponent = 100000;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int radixDigit(char16_t c, int base) {
    int d = -1;
    if (c >= u'0' && c <= u'9')
        d = c - u'0';
    else if (c >= u'a' && c <= u'f')
        d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        d = c - u'A' + 10;
    return d < base ? d : -1;
}

std::size_t scanRadix(std::u16string_view t, std::size_t i, NumberText& n) {
    int base = 8;
    if (i < t.size() && (t[i] == u'H' || t[i] == u'h')) {
        base = 16;
        ++i;
    } else if (i < t.size() && (t[i] == u'O' || t[i] == u'o')) {
        ++i;
    }
    std::size_t start = i;
    std::uint64_t value = 0;
    bool tooBig = false;
    for (int d; i < t.size() && (d = radixDigit(t[i], base)) >= 0; ++i) {
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) tooBig = true;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (i == start) return 0;
    n.radix = true;
    n.radixValue = tooBig ? std::numeric_limits<std::uint64_t>::max() : value;
    return i;
}

void appendDigit(NumberText& n, char16_t c, bool fraction) {
    if (n.digits.empty() && c == u'0') {
        if (fraction) --n.exponent;
        return;
    }
    if (n.digits.size() < kMaxDigits) {
        n.digits += static_cast<char>(c);
        if (fraction) --n.exponent;
    } else if (!fraction) {
        ++n.exponent;
    }
}

std::size_t scanExponent(std::u16string_view t, std::size_t i, NumberText& n) {
    if (i >= t.size()) return i;
    char16_t c = t[i];
    if (c != u'E' && c != u'e' && c != u'D' && c != u'd') return i;
    std::size_t j = i + 1;
    bool negative = false;
    if (j < t.size() && (t[j] == u'+' || t[j] == u'-')) negative = t[j++] == u'-';
    if (j >= t.size() || !isDigit(t[j])) return i;  // "1E" is the number 1 followed by text
    int value = 0;
    for (; j < t.size() && isDigit(t[j]); ++j)
        if (value < kMaxExponent) value = value * 10 + (t[j] - u'0');
    n.exponent += negative ? -value : value;
    return j;
}

}  // namespace

std::size_t parseNumberPrefix(std::u16string_view t, NumberText& out) {
    NumberText n;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) n.negative = t[i++] == u'-';
    if (i < t.size() && t[i] == u'&') {
        std::size_t end = scanRadix(t, i + 1, n);
        if (end) out = n;
        return end;
    }
    bool anyDigit = false;
    for (; i < t.size() && isDigit(t[i]); ++i, anyDigit = true) appendDigit(n, t[i], false);
    if (i < t.size() && t[i] == u'.') {
        std::size_t j = i + 1;
        bool fractionDigit = false;
        for (; j < t.size() && isDigit(t[j]); ++j, fractionDigit = true) appendDigit(n, t[j], true);
        if (anyDigit || fractionDigit) i = j;
        anyDigit = anyDigit || fractionDigit;
    }
    if (!anyDigit) return 0;
    i = scanExponent(t, i, n);
    out = n;
    return i;
}

bool parseNumberText(std::u16string_view text, NumberText& out) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    std::u16string_view body = text.substr(begin, end - begin);
    if (body.empty()) return false;
    NumberText n;
    if (parseNumberPrefix(body, n) != body.size()) return false;
    out = n;
    return true;
}

double decimalToDouble(const NumberText& n) {
    if (n.digits.empty()) return 0.0;
    std::string text = n.digits + "e" + std::to_string(n.exponent);
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: decide between overflow and underflow by magnitude.
        bool huge = static_cast<long>(n.digits.size()) + n.exponent > 0;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return n.negative ? -value : value;
}

bool decimalToScaled(const NumberText& n, std::int64_t& scaled) {
    using Wide = __int128;
    const Wide limit = static_cast<Wide>(std::numeric_limits<std::int64_t>::max()) + (n.negative ? 1 : 0);
    if (n.digits.empty()) {
        scaled = 0;
        return true;
    }
    long shift = static_cast<long>(n.exponent) + 4;
    long keep = static_cast<long>(n.digits.size()) + shift;  // digits left of the scaled point
    if (keep > 20) return false;
    Wide value = 0;
    for (long i = 0; i < keep && i < static_cast<long>(n.digits.size()); ++i)
        value = value * 10 + (n.digits[static_cast<std::size_t>(i)] - '0');
    for (long i = static_cast<long>(n.digits.size()); i < keep; ++i) value *= 10;
    if (keep < static_cast<long>(n.digits.size())) {
        // Round the dropped digits half to even.
        std::string_view rest =
            std::string_view(n.digits).substr(static_cast<std::size_t>(std::max(keep, 0L)));
        bool belowHalf = keep < 0 || rest[0] < '5';
        bool exactHalf =
            !belowHalf && rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string_view::npos;
        if (!belowHalf && (!exactHalf || value % 2 != 0)) ++value;
    }
    if (value > limit) return false;
    scaled = static_cast<std::int64_t>(n.negative ? -value : value);
    return true;
}

bool radixToLong(const NumberText& n, bool wrap16, std::int32_t& value) {
    std::int64_t v;
    if (wrap16 && n.radixValue <= 0xFFFF)
        v = static_cast<std::int16_t>(static_cast<std::uint16_t>(n.radixValue));
    else if (n.radixValue <= 0xFFFFFFFF)
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(n.radixValue));
    else
        return false;
    if (n.negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace velmora::detail
