// String functions with 1-based positions and the platform's argument errors.
#include "runtime/stringfunctions.h"

#include <algorithm>
#include <cmath>

#include "numtext.h"
#include "runtime/Error.h"
#include "runtime/ascii.h"

namespace velmora {

namespace {

constexpr std::int32_t kInvalidPattern = 93;

void requireNonNegative(std::int32_t n) {
    if (n < 0) raise(err::InvalidProcedureCall);
}

void requireCompare(int compare) {
    if (compare != vbBinaryCompare && compare != vbTextCompare) raise(err::InvalidProcedureCall);
}

bool sameChar(char16_t a, char16_t b, int compare) {
    return a == b || (compare == vbTextCompare && lowerChar(a) == lowerChar(b));
}

bool matchesAt(std::u16string_view s, std::size_t at, std::u16string_view find, int compare) {
    for (std::size_t i = 0; i < find.size(); ++i)
        if (!sameChar(s[at + i], find[i], compare)) return false;
    return true;
}

// The 0-based position of find in s at or after from, or npos.
std::size_t findFrom(std::u16string_view s, std::u16string_view find, std::size_t from, int compare) {
    if (compare == vbBinaryCompare) return s.find(find, from);
    if (find.size() > s.size()) return std::u16string_view::npos;
    for (std::size_t at = from; at + find.size() <= s.size(); ++at)
        if (matchesAt(s, at, find, compare)) return at;
    return std::u16string_view::npos;
}

// The bits Hex and Oct print: a number of its own width, as unsigned.
std::uint32_t radixBits(const Variant& number) {
    if (number.isObject()) return radixBits(Variant(number.toDouble()));
    if (number.isNull()) raise(err::InvalidUseOfNull);
    switch (number.isArray() ? VarType::Variant : number.type()) {
        case VarType::Empty:
            return 0;
        case VarType::Byte:
            return number.toByte();
        case VarType::Integer:
        case VarType::Boolean:
            return static_cast<std::uint16_t>(number.toInteger());
        default:
            return static_cast<std::uint32_t>(number.toLong());
    }
}

std::u16string inRadix(std::uint32_t value, unsigned base) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string out;
    do {
        out += digits[value % base];
        value /= base;
    } while (value);
    std::reverse(out.begin(), out.end());
    return out;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// One "[...]" list of a Like pattern starting after the "["; returns the position after the "]".
std::size_t matchList(std::u16string_view pattern, std::size_t i, char16_t c, int compare, bool& matched) {
    bool negate = i < pattern.size() && pattern[i] == u'!';
    if (negate) ++i;
    bool hit = false;
    for (bool first = true; i < pattern.size() && (pattern[i] != u']' || first); first = false) {
        char16_t low = pattern[i++];
        char16_t high = low;
        if (i + 1 < pattern.size() && pattern[i] == u'-' && pattern[i + 1] != u']') {
            high = pattern[i + 1];
            i += 2;
            if (high < low) raise(kInvalidPattern, u"Invalid pattern string", {});
        }
        char16_t x = compare == vbTextCompare ? lowerChar(c) : c;
        if (compare == vbTextCompare)
            hit = hit || (x >= lowerChar(low) && x <= lowerChar(high)) || (c >= low && c <= high);
        else
            hit = hit || (c >= low && c <= high);
    }
    if (i >= pattern.size()) raise(kInvalidPattern, u"Invalid pattern string", {});
    matched = hit != negate;
    return i + 1;
}

// Whether the one-character token of a pattern at pi matches c; next is the position after the token.
bool tokenMatches(std::u16string_view p, std::size_t pi, char16_t c, int compare, std::size_t& next) {
    char16_t token = p[pi];
    next = pi + 1;
    if (token == u'?') return true;
    if (token == u'#') return isDigit(c);
    if (token == u'[') {
        bool matched = false;
        next = matchList(p, pi + 1, c, compare, matched);
        return matched;
    }
    return sameChar(c, token, compare);
}

// Every token but "*" matches exactly one character, so one remembered "*" is enough to backtrack:
// the match takes time proportional to the lengths' product, never exponential time.
bool likeMatch(std::u16string_view s, std::u16string_view p, int compare) {
    for (std::size_t i = 0; i < p.size(); ++i)  // a malformed list is an error whatever the text
        if (p[i] == u'[') {
            bool ignored;
            i = matchList(p, i + 1, u'\0', compare, ignored) - 1;
        }
    std::size_t si = 0, pi = 0, starP = std::u16string_view::npos, starS = 0;
    while (si < s.size()) {
        std::size_t next = 0;
        if (pi < p.size() && p[pi] == u'*') {
            while (pi < p.size() && p[pi] == u'*') ++pi;
            starP = pi;
            starS = si;
        } else if (pi < p.size() && tokenMatches(p, pi, s[si], compare, next)) {
            pi = next;
            ++si;
        } else if (starP != std::u16string_view::npos) {
            pi = starP;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'*') ++pi;
    return pi == p.size();
}

}  // namespace

// ---- case ------------------------------------------------------------------------------------

char16_t lowerChar(char16_t c) {
    if (c < 0x80) return lowerAscii(c);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c == 0x178) return 0xFF;
    // Latin Extended-A: upper and lower case alternate (the even or the odd code is the capital).
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c % 2 ? static_cast<char16_t>(c + 1) : c;
    return c;
}

char16_t upperChar(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c & ~1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c % 2 ? c : static_cast<char16_t>(c - 1);
    return c;
}

std::u16string LCase(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = lowerChar(c);
    return out;
}

std::u16string UCase(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = upperChar(c);
    return out;
}

std::u16string ProperCase(std::u16string_view s) {
    std::u16string out(s);
    bool wordStart = true;
    for (char16_t& c : out) {
        c = wordStart ? upperChar(c) : lowerChar(c);
        wordStart =
            c == u' ' || c == u'\0' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
    }
    return out;
}

// ---- pieces ----------------------------------------------------------------------------------

std::int32_t Len(std::u16string_view s) {
    return static_cast<std::int32_t>(s.size());
}

std::u16string Left(std::u16string_view s, std::int32_t length) {
    requireNonNegative(length);
    return std::u16string(s.substr(0, static_cast<std::size_t>(length)));
}

std::u16string Right(std::u16string_view s, std::int32_t length) {
    requireNonNegative(length);
    std::size_t n = std::min(s.size(), static_cast<std::size_t>(length));
    return std::u16string(s.substr(s.size() - n));
}

std::u16string Mid(std::u16string_view s, std::int32_t start) {
    if (start < 1) raise(err::InvalidProcedureCall);
    auto from = static_cast<std::size_t>(start - 1);
    return from >= s.size() ? std::u16string() : std::u16string(s.substr(from));
}

std::u16string Mid(std::u16string_view s, std::int32_t start, std::int32_t length) {
    if (start < 1) raise(err::InvalidProcedureCall);
    requireNonNegative(length);
    auto from = static_cast<std::size_t>(start - 1);
    return from >= s.size() ? std::u16string()
                            : std::u16string(s.substr(from, static_cast<std::size_t>(length)));
}

void MidAssign(std::u16string& target, std::int32_t start, std::u16string_view replacement,
               std::int32_t length) {
    if (start < 1 || static_cast<std::size_t>(start) > target.size() || length < -1)
        raise(err::InvalidProcedureCall);
    auto from = static_cast<std::size_t>(start - 1);
    std::size_t n = std::min(replacement.size(), target.size() - from);
    if (length >= 0) n = std::min(n, static_cast<std::size_t>(length));
    std::copy_n(replacement.begin(), n, target.begin() + static_cast<std::ptrdiff_t>(from));
}

// ---- search ----------------------------------------------------------------------------------

std::int32_t InStr(std::int32_t start, std::u16string_view s, std::u16string_view find, int compare) {
    if (start < 1) raise(err::InvalidProcedureCall);
    requireCompare(compare);
    auto from = static_cast<std::size_t>(start - 1);
    if (from >= s.size()) return 0;
    if (find.empty()) return start;
    std::size_t at = findFrom(s, find, from, compare);
    return at == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::int32_t InStr(std::u16string_view s, std::u16string_view find, int compare) {
    return InStr(1, s, find, compare);
}

std::int32_t InStrRev(std::u16string_view s, std::u16string_view find, std::int32_t start, int compare) {
    if (start == 0 || start < -1) raise(err::InvalidProcedureCall);
    requireCompare(compare);
    if (s.empty()) return 0;
    if (start == -1) start = Len(s);
    if (static_cast<std::size_t>(start) > s.size()) return 0;
    if (find.empty()) return start;
    if (find.size() > static_cast<std::size_t>(start)) return 0;
    for (std::size_t at = static_cast<std::size_t>(start) - find.size() + 1; at-- > 0;)
        if (matchesAt(s, at, find, compare)) return static_cast<std::int32_t>(at + 1);
    return 0;
}

int StrComp(std::u16string_view a, std::u16string_view b, int compare) {
    requireCompare(compare);
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t x = compare == vbTextCompare ? lowerChar(a[i]) : a[i];
        char16_t y = compare == vbTextCompare ? lowerChar(b[i]) : b[i];
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// ---- trimming and building -------------------------------------------------------------------

std::u16string LTrim(std::u16string_view s) {
    std::size_t first = s.find_first_not_of(u' ');
    return first == std::u16string_view::npos ? std::u16string() : std::u16string(s.substr(first));
}

std::u16string RTrim(std::u16string_view s) {
    std::size_t last = s.find_last_not_of(u' ');
    return last == std::u16string_view::npos ? std::u16string() : std::u16string(s.substr(0, last + 1));
}

std::u16string Trim(std::u16string_view s) {
    return LTrim(RTrim(s));
}

std::u16string Replace(std::u16string_view s, std::u16string_view find, std::u16string_view with,
                       std::int32_t start, std::int32_t count, int compare) {
    if (start < 1 || count < -1) raise(err::InvalidProcedureCall);
    requireCompare(compare);
    auto from = static_cast<std::size_t>(start - 1);
    if (from >= s.size()) return {};
    std::u16string_view rest = s.substr(from);
    if (find.empty() || count == 0) return std::u16string(rest);
    std::u16string out;
    std::size_t pos = 0;
    for (std::int32_t done = 0; count == -1 || done < count; ++done) {
        std::size_t at = findFrom(rest, find, pos, compare);
        if (at == std::u16string_view::npos) break;
        out.append(rest.substr(pos, at - pos)).append(with);
        pos = at + find.size();
    }
    out.append(rest.substr(pos));
    return out;
}

std::u16string Space(std::int32_t count) {
    requireNonNegative(count);
    return std::u16string(static_cast<std::size_t>(count), u' ');
}

std::u16string String(std::int32_t count, std::u16string_view character) {
    requireNonNegative(count);
    if (character.empty()) raise(err::InvalidProcedureCall);
    return std::u16string(static_cast<std::size_t>(count), character.front());
}

std::u16string String(std::int32_t count, std::int32_t code) {
    requireNonNegative(count);
    return std::u16string(static_cast<std::size_t>(count), static_cast<char16_t>(code & 0xFFFF));
}

std::u16string StrReverse(std::u16string_view s) {
    return std::u16string(s.rbegin(), s.rend());
}

std::vector<std::u16string> Split(std::u16string_view s, std::u16string_view delimiter, std::int32_t limit,
                                  int compare) {
    if (limit < -1) raise(err::InvalidProcedureCall);
    requireCompare(compare);
    std::vector<std::u16string> parts;
    if (s.empty() || limit == 0) return parts;
    std::size_t pos = 0;
    while (!delimiter.empty() && (limit == -1 || static_cast<std::int32_t>(parts.size()) < limit - 1)) {
        std::size_t at = findFrom(s, delimiter, pos, compare);
        if (at == std::u16string_view::npos) break;
        parts.emplace_back(s.substr(pos, at - pos));
        pos = at + delimiter.size();
    }
    parts.emplace_back(s.substr(pos));
    return parts;
}

std::u16string Join(const std::vector<std::u16string>& parts, std::u16string_view delimiter) {
    std::u16string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out.append(delimiter);
        out.append(parts[i]);
    }
    return out;
}

Variant stringArray(const std::vector<std::u16string>& parts) {
    SafeArray array(VarType::String, {{0, static_cast<std::int32_t>(parts.size())}});
    for (std::size_t i = 0; i < parts.size(); ++i) array.items()[i] = Variant(parts[i]);
    return Variant(std::move(array));
}

std::u16string Join(const Variant& array, std::u16string_view delimiter) {
    const SafeArray& a = array.arrayRef();
    if (a.dimensions() != 1) raise(err::InvalidProcedureCall);
    std::vector<std::u16string> parts;
    parts.reserve(a.size());
    if (a.isBytes())
        for (std::uint8_t b : a.bytes()) parts.push_back(Variant(b).toString());
    else
        for (const Variant& item : a.items()) parts.push_back(item.toString());
    return Join(parts, delimiter);
}

// ---- character codes -------------------------------------------------------------------------

std::u16string Chr(std::int32_t code) {
    if (code < 0 || code > 255) raise(err::InvalidProcedureCall);
    return std::u16string(1, static_cast<char16_t>(code));
}

std::u16string ChrW(std::int32_t code) {
    if (code < -32768 || code > 65535) raise(err::InvalidProcedureCall);
    return std::u16string(1, static_cast<char16_t>(code & 0xFFFF));
}

std::int32_t Asc(std::u16string_view s) {
    if (s.empty()) raise(err::InvalidProcedureCall);
    return s.front() <= 0xFF ? s.front() : u'?';
}

std::int32_t AscW(std::u16string_view s) {
    if (s.empty()) raise(err::InvalidProcedureCall);
    return static_cast<std::int16_t>(s.front());
}

// ---- numbers as text -------------------------------------------------------------------------

std::u16string Hex(const Variant& number) {
    return inRadix(radixBits(number), 16);
}
std::u16string Oct(const Variant& number) {
    return inRadix(radixBits(number), 8);
}

double Val(std::u16string_view s) {
    std::u16string packed;
    for (char16_t c : s)
        if (!detail::isBlank(c)) packed += c;
    detail::NumberText n;
    if (detail::parseNumberPrefix(packed, n) == 0) return 0;
    if (n.radix) {
        std::int32_t value = 0;
        if (!detail::radixToLong(n, true, value)) raise(err::Overflow);
        return value;
    }
    double value = detail::decimalToDouble(n);
    if (std::isinf(value)) raise(err::Overflow);
    return value;
}

std::u16string Str(const Variant& number) {
    if (number.isNull()) raise(err::InvalidUseOfNull);
    Variant value = number;
    if (number.isString() || number.isObject()) value = Variant(number.toDouble());
    std::u16string text = value.toString();
    bool numeric = value.type() != VarType::Boolean && value.type() != VarType::Date;
    return numeric && (text.empty() || text.front() != u'-') ? u" " + text : text;
}

bool Like(std::u16string_view s, std::u16string_view pattern, int compare) {
    requireCompare(compare);
    return likeMatch(s, pattern, compare);
}

}  // namespace velmora
