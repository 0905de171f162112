// Number patterns of Format and FormatNumber, with the locale's decimal point and digit grouping.
#include <algorithm>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <vector>

#include "formatting.h"
#include "runtime/Error.h"
#include "runtime/format.h"
#include "runtime/text.h"

namespace velmora::detail {

namespace {

// The decimal digits of a non-negative value rounded half away from zero to `decimals` places, taken
// from its first 15 significant digits (so 1.005 shows as 1.01, as the platform shows it).
struct Digits {
    std::string whole;     // without leading zeros: "" for values below 1
    std::string fraction;  // exactly `decimals` digits
};

Digits decimalDigits(double value, int decimals) {
    Digits d;
    d.fraction.assign(static_cast<std::size_t>(decimals), '0');
    if (value == 0 || !std::isfinite(value)) return d;
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.') digits += c;
    int exponent = std::stoi(std::string(text.substr(e + 1)));  // weight of digits[0] is 10^exponent
    long keep = static_cast<long>(exponent) + 1 + decimals;
    if (keep < 0) return d;
    if (keep < static_cast<long>(digits.size())) {
        bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        long i = keep - 1;
        for (; up && i >= 0; --i) {
            if (digits[static_cast<std::size_t>(i)] == '9') {
                digits[static_cast<std::size_t>(i)] = '0';
            } else {
                ++digits[static_cast<std::size_t>(i)];
                up = false;
            }
        }
        if (up) {
            digits.insert(digits.begin(), '1');
            ++exponent;
        }
    }
    // Place the digits around the decimal point.
    for (long w = exponent, i = 0; w >= -decimals; --w, ++i) {
        char c = i < static_cast<long>(digits.size()) && i >= 0 ? digits[static_cast<std::size_t>(i)] : '0';
        if (w >= 0) {
            if (!(d.whole.empty() && c == '0')) d.whole += c;
        } else {
            d.fraction[static_cast<std::size_t>(-w - 1)] = c;
        }
    }
    return d;
}

// Digit groups from the right with the locale's group sizes; each piece is glued to the digit on its
// left so that a placeholder takes a digit with its separator.
std::vector<std::u16string> groupedDigits(const std::string& whole, const NumericLocale& locale, bool group) {
    std::vector<std::u16string> pieces;  // right to left while building
    pieces.reserve(whole.size());
    std::size_t groupIndex = 0;
    int inGroup = 0;
    int size = locale.grouping.empty() ? 0 : locale.grouping[0];
    for (std::size_t i = whole.size(); i-- > 0;) {
        std::u16string piece(1, static_cast<char16_t>(whole[i]));
        if (group && size > 0 && size != CHAR_MAX && inGroup == size && !locale.thousandsSeparator.empty()) {
            piece += locale.thousandsSeparator;
            inGroup = 0;
            if (groupIndex + 1 < locale.grouping.size()) size = locale.grouping[++groupIndex];
        }
        ++inGroup;
        pieces.push_back(std::move(piece));
    }
    std::reverse(pieces.begin(), pieces.end());
    return pieces;
}

// One section of a number pattern, parsed.
struct Section {
    std::vector<std::u16string> intItems;  // "0", "#" or literal text, left to right
    std::vector<std::u16string> fracItems;
    std::u16string prefix;  // literals before the first placeholder
    std::u16string suffix;  // literals after the digits (including %), or after the exponent
    bool hasPoint = false;
    bool group = false;
    int scaleThousands = 0;
    int percent = 0;
    bool scientific = false;
    bool exponentPlus = false;
    int exponentDigits = 0;
    std::u16string exponentLetter;
};

bool isDigitPlaceholder(char16_t c) {
    return c == u'0' || c == u'#';
}

Section parseSection(std::u16string_view p) {
    Section s;
    bool seenDigit = false, afterDigits = false;
    std::size_t pendingCommas = 0;
    auto literal = [&](std::u16string_view text) {
        if (!seenDigit)
            s.prefix.append(text);
        else if (afterDigits || s.scientific)
            s.suffix.append(text);
        else if (s.hasPoint)
            s.fracItems.emplace_back(text);
        else
            s.intItems.emplace_back(text);
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        if (c != u',' && pendingCommas) {
            // Commas between digit placeholders group; commas before the point or the end scale.
            if (isDigitPlaceholder(c) && !s.hasPoint)
                s.group = true;
            else
                s.scaleThousands += static_cast<int>(pendingCommas);
            pendingCommas = 0;
        }
        if (isDigitPlaceholder(c) && !afterDigits && !s.scientific) {
            seenDigit = true;
            (s.hasPoint ? s.fracItems : s.intItems).emplace_back(1, c);
        } else if (c == u'.' && !s.hasPoint && !afterDigits && !s.scientific) {
            s.hasPoint = true;
            seenDigit = true;
        } else if (c == u',' && seenDigit && !s.hasPoint && !afterDigits) {
            ++pendingCommas;
        } else if ((c == u'E' || c == u'e') && seenDigit && !s.scientific && i + 1 < p.size() &&
                   (p[i + 1] == u'+' || p[i + 1] == u'-')) {
            s.scientific = true;
            s.exponentLetter = std::u16string(1, c);
            s.exponentPlus = p[i + 1] == u'+';
            for (i += 2; i < p.size() && isDigitPlaceholder(p[i]); ++i) ++s.exponentDigits;
            --i;
        } else if (c == u'%') {
            ++s.percent;
            afterDigits = afterDigits || seenDigit;
            literal(u"%");
        } else if (c == u'\\' && i + 1 < p.size()) {
            afterDigits = afterDigits || (seenDigit && !isDigitPlaceholder(p[i + 1]));
            literal(p.substr(++i, 1));
        } else if (c == u'"') {
            std::size_t end = p.find(u'"', i + 1);
            if (end == std::u16string_view::npos) end = p.size();
            literal(p.substr(i + 1, end - i - 1));
            i = end;
        } else {
            // A literal inside the digits stays there ("000-0000"); after the last placeholder it trails.
            bool moreDigits = p.find_first_of(u"0#", i) != std::u16string_view::npos;
            if (seenDigit && !moreDigits) afterDigits = true;
            literal(p.substr(i, 1));
        }
    }
    if (pendingCommas) s.scaleThousands += static_cast<int>(pendingCommas);
    return s;
}

int countPlaceholders(const std::vector<std::u16string>& items) {
    int n = 0;
    for (const auto& item : items) n += item == u"0" || item == u"#";
    return n;
}

// The integer part: digits fill the placeholders from the right, the leftmost takes the rest.
std::u16string renderWhole(const Section& s, const std::string& whole, const NumericLocale& locale) {
    int minDigits = 0;
    bool zeroSeen = false;
    for (const auto& item : s.intItems) {
        zeroSeen = zeroSeen || item == u"0";
        if (zeroSeen && (item == u"0" || item == u"#")) ++minDigits;
    }
    std::string padded = whole;
    if (static_cast<int>(padded.size()) < minDigits) padded.insert(0, minDigits - padded.size(), '0');
    std::vector<std::u16string> pieces = groupedDigits(padded, locale, s.group);
    // From the right, every placeholder takes one digit (with its separator); the leftmost takes the rest,
    // and a pattern without integer placeholders still shows the whole part (".00" shows 12.5 as 12.50).
    auto placeholders = static_cast<std::size_t>(countPlaceholders(s.intItems));
    std::vector<std::size_t> takes(placeholders, 0);
    std::size_t remaining = pieces.size();
    for (std::size_t k = placeholders; k-- > 1;) {
        takes[k] = std::min<std::size_t>(1, remaining);
        remaining -= takes[k];
    }
    std::u16string out;
    std::size_t next = 0;
    if (placeholders == 0)
        while (next < pieces.size()) out += pieces[next++];
    else
        takes[0] = remaining;
    std::size_t placeholder = 0;
    for (const auto& item : s.intItems) {
        if (item != u"0" && item != u"#") {
            out += item;
            continue;
        }
        for (std::size_t n = takes[placeholder++]; n > 0; --n) out += pieces[next++];
    }
    return out;
}

std::u16string renderFraction(const Section& s, const std::string& fraction) {
    // Trailing zeros under "#" placeholders are dropped.
    std::size_t last = fraction.size();
    for (std::size_t k = s.fracItems.size(); k-- > 0 && last > 0;) {
        if (s.fracItems[k] == u"#") {
            if (fraction[last - 1] != '0') break;
            --last;
        } else if (s.fracItems[k] == u"0") {
            break;
        }
    }
    std::u16string out;
    std::size_t digit = 0;
    for (const auto& item : s.fracItems) {
        if (item == u"0" || item == u"#") {
            if (digit < last) out += static_cast<char16_t>(fraction[digit]);
            ++digit;
        } else {
            out += item;
        }
    }
    return out;
}

std::u16string renderFixed(const Section& s, double magnitude, const NumericLocale& locale, bool& allZero) {
    int decimals = countPlaceholders(s.fracItems);
    Digits d = decimalDigits(magnitude, decimals);
    allZero = d.whole.empty() && d.fraction.find_first_not_of('0') == std::string::npos;
    std::u16string out = renderWhole(s, d.whole, locale);
    std::u16string fraction = renderFraction(s, d.fraction);
    if (s.hasPoint) out += locale.decimalPoint + fraction;
    return out;
}

std::u16string renderScientific(const Section& s, double magnitude, const NumericLocale& locale,
                                bool& allZero) {
    int wholeDigits = std::max(1, countPlaceholders(s.intItems));
    int decimals = countPlaceholders(s.fracItems);
    int exponent = 0;
    if (magnitude != 0) {
        exponent = static_cast<int>(std::floor(std::log10(magnitude))) - (wholeDigits - 1);
        Digits check = decimalDigits(magnitude / std::pow(10.0, exponent), decimals);
        if (static_cast<int>(check.whole.size()) > wholeDigits) ++exponent;  // 9.99 rounded up to 10.0
    }
    double mantissa = magnitude == 0 ? 0 : magnitude / std::pow(10.0, exponent);
    std::u16string out = renderFixed(s, mantissa, locale, allZero);
    std::u16string digits = fromUtf8(std::to_string(std::abs(exponent)));
    if (static_cast<int>(digits.size()) < s.exponentDigits)
        digits.insert(0, s.exponentDigits - digits.size(), u'0');
    out += s.exponentLetter;
    if (exponent < 0)
        out += u'-';
    else if (s.exponentPlus)
        out += u'+';
    return out + digits;
}

std::vector<std::u16string_view> splitSections(std::u16string_view pattern) {
    std::vector<std::u16string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'\\')
            ++i;
        else if (pattern[i] == u'"') {
            std::size_t end = pattern.find(u'"', i + 1);
            i = end == std::u16string_view::npos ? pattern.size() : end;
        } else if (pattern[i] == u';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(std::min(start, pattern.size())));
    return sections;
}

}  // namespace

NumericLocale numericLocale() {
    const std::lconv* conv = std::localeconv();
    NumericLocale locale;
    locale.decimalPoint = conv && *conv->decimal_point ? fromUtf8(conv->decimal_point) : u".";
    locale.thousandsSeparator = conv ? fromUtf8(conv->thousands_sep) : u"";
    locale.grouping = conv && conv->grouping ? conv->grouping : "";
    return locale;
}

std::u16string formatNumberPattern(double value, bool isNull, std::u16string_view pattern) {
    std::vector<std::u16string_view> sections = splitSections(pattern);
    if (isNull) return sections.size() >= 4 ? Format(Variant(), sections[3]) : std::u16string();
    std::u16string_view chosen = sections[0];
    bool sign = value < 0;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        chosen = sections[1];
        sign = false;  // the negative section writes its own sign, if any
    } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        chosen = sections[2];
    }
    Section s = parseSection(chosen);
    NumericLocale locale = numericLocale();
    // A pattern with commas as digit grouping but no grouping in the locale still groups by thousands.
    if (s.group && (locale.thousandsSeparator.empty() || locale.grouping.empty())) {
        if (locale.thousandsSeparator.empty())
            locale.thousandsSeparator = locale.decimalPoint == u"," ? u"." : u",";
        locale.grouping = "\3";
    }
    double magnitude = std::fabs(value) * std::pow(100.0, s.percent) / std::pow(1000.0, s.scaleThousands);
    bool allZero = true;
    std::u16string body = s.scientific ? renderScientific(s, magnitude, locale, allZero)
                                       : renderFixed(s, magnitude, locale, allZero);
    // A value that rounds to zero shows no minus sign.
    return (sign && !allZero ? u"-" : u"") + s.prefix + body + s.suffix;
}

}  // namespace velmora::detail

namespace velmora {

std::u16string FormatNumber(double value, int decimals, bool groupDigits) {
    if (decimals < 0 || decimals > 99) raise(err::InvalidProcedureCall);
    if (!std::isfinite(value)) raise(err::Overflow);
    detail::NumericLocale locale = detail::numericLocale();
    detail::Digits d = detail::decimalDigits(std::fabs(value), decimals);
    std::string whole = d.whole.empty() ? "0" : d.whole;
    std::u16string out;
    for (const auto& piece : detail::groupedDigits(whole, locale, groupDigits)) out += piece;
    if (decimals) out += locale.decimalPoint + fromUtf8(d.fraction);
    bool zero = d.whole.empty() && d.fraction.find_first_not_of('0') == std::string::npos;
    return value < 0 && !zero ? u"-" + out : out;
}

}  // namespace velmora
