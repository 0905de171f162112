// objcall's argument syntax and its printed value form.
#include "ValueSyntax.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "runtime/Error.h"
#include "runtime/datetime.h"
#include "runtime/text.h"

namespace velmora::objcall {

namespace {

[[noreturn]] void badSyntax(std::string_view what, std::string_view text) {
    raise(err::InvalidProcedureCall, fromUtf8(std::string(what) + ": " + std::string(text)), u"objcall");
}

std::string_view trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

template <class T>
T parseInteger(std::string_view digits, std::string_view whole) {
    T value{};
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range) raise(err::Overflow, u"objcall");
    if (ec != std::errc() || end != digits.data() + digits.size()) badSyntax("not a whole number", whole);
    return value;
}

double parseReal(std::string_view digits, std::string_view whole) {
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        badSyntax("not a number", whole);
    return value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<std::uint8_t> parseHex(std::string_view hex, std::string_view whole) {
    if (hex.size() % 2) badSyntax("odd number of hex digits", whole);
    std::vector<std::uint8_t> bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int hi = hexDigit(hex[2 * i]), lo = hexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) badSyntax("not a hex digit", whole);
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

std::vector<std::uint8_t> readFile(std::string_view path) {
    std::ifstream in(std::string(path), std::ios::binary);
    if (!in)
        raise(err::FileNotFound, fromUtf8(std::string("File not found: ") + std::string(path)), u"objcall");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool parseBool(std::string_view text, std::string_view whole) {
    if (text == "true" || text == "True" || text == "1" || text == "-1") return true;
    if (text == "false" || text == "False" || text == "0") return false;
    badSyntax("not a true/false value", whole);
}

// A double-quoted text with "" for a quote character.
std::string unquote(std::string_view text, std::string_view whole) {
    if (text.size() < 2 || text.back() != '"') badSyntax("unterminated quoted text", whole);
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"') {
            if (text[i + 1] != '"' || i + 2 >= text.size()) badSyntax("stray quote in quoted text", whole);
            ++i;
        }
        out += text[i];
    }
    return out;
}

// yyyy-mm-ddThh:nn:ss, or only the date.
Date parseDate(std::string_view text, std::string_view whole) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    std::string copy(text);
    int n = std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (!(n == 3 && copy.size() == 10) && n != 6) badSyntax("not a date (yyyy-mm-ddThh:nn:ss)", whole);
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        badSyntax("date out of range", whole);
    return Date{DateSerial(y, mo, d).serial + TimeSerial(h, mi, s).serial};
}

}  // namespace

ArgValue parseValue(std::string_view raw) {
    std::string_view text = trim(raw);
    auto after = [&](std::string_view prefix) { return text.substr(prefix.size()); };
    auto starts = [&](std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; };

    if (text == "empty") return {Variant::missing()};
    if (text == "null") return {Variant::null()};
    if (text == "sink") return {Variant(), true};
    if (starts("\"")) return {Variant(fromUtf8(unquote(text, text)))};
    if (starts("s:")) return {Variant(fromUtf8(after("s:")))};
    if (starts("i16:")) return {Variant(parseInteger<std::int16_t>(after("i16:"), text))};
    if (starts("i32:")) return {Variant(parseInteger<std::int32_t>(after("i32:"), text))};
    if (starts("u8:")) return {Variant(parseInteger<std::uint8_t>(after("u8:"), text))};
    if (starts("f32:")) return {Variant(static_cast<float>(parseReal(after("f32:"), text)))};
    if (starts("d:")) return {Variant(parseReal(after("d:"), text))};
    if (starts("cy:")) return {Variant(Variant(parseReal(after("cy:"), text)).toCurrency())};
    if (starts("b:")) return {Variant(parseBool(after("b:"), text))};
    if (starts("date:")) return {Variant(parseDate(after("date:"), text))};
    if (starts("bytes:")) return {Variant(parseHex(after("bytes:"), text))};
    if (starts("bytes@")) return {Variant(readFile(after("bytes@")))};
    if (!text.empty() && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9')))
        return {Variant(parseInteger<std::int32_t>(text, text))};
    badSyntax("unknown value", text);
}

namespace {

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Reads "(ARG, ...)" from text[at] on. An argument is a double-quoted text (which may hold commas and
// parentheses, "" for a quote) or anything up to the next comma or the closing parenthesis.
// Returns the position after the closing parenthesis.
std::size_t readArgs(std::string_view text, std::size_t at, std::vector<std::string>& args) {
    ++at;  // the opening parenthesis
    auto skipBlanks = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    };
    skipBlanks();
    if (at < text.size() && text[at] == ')') return at + 1;  // no arguments
    for (;;) {
        skipBlanks();
        std::size_t start = at;
        if (at < text.size() && text[at] == '"') {
            for (++at;; ++at) {
                if (at >= text.size()) badSyntax("unterminated quoted text", text);
                if (text[at] != '"') continue;
                if (at + 1 < text.size() && text[at + 1] == '"') {
                    ++at;  // "" stands for one quote
                    continue;
                }
                break;
            }
            ++at;
            skipBlanks();
        } else {
            while (at < text.size() && text[at] != ',' && text[at] != ')') ++at;
        }
        if (at >= text.size()) badSyntax("missing closing parenthesis", text);
        args.emplace_back(trim(text.substr(start, at - start)));
        if (text[at] == ')') return at + 1;
        if (text[at] != ',') badSyntax("expected a comma after a quoted text", text);
        ++at;
    }
}

Step parseWait(std::string_view text) {
    constexpr std::string_view kOpen = "@wait(";
    if (text.substr(0, kOpen.size()) != kOpen) badSyntax("the only @ step is @wait(MS)", text);
    if (text.back() != ')') badSyntax("@wait(MS) ends with its closing parenthesis", text);
    const std::string_view digits = trim(text.substr(kOpen.size(), text.size() - kOpen.size() - 1));
    if (digits.empty() || digits[0] == '+' || digits[0] == '-')
        badSyntax("@wait takes a whole number of milliseconds", text);
    Step step;
    step.name = "@wait";
    step.kind = StepKind::Wait;
    step.waitMs = parseInteger<std::uint32_t>(digits, text);
    if (step.waitMs > 2147483647u) raise(err::Overflow, u"objcall");
    return step;
}

}  // namespace

Step parseStep(std::string_view raw) {
    std::string_view text = trim(raw);
    if (!text.empty() && text[0] == '@') return parseWait(text);
    Step step;
    std::size_t i = 0;
    while (i < text.size() && isNameChar(text[i])) ++i;
    step.name = std::string(text.substr(0, i));
    if (step.name.empty()) badSyntax("a step starts with a member name", text);

    if (i < text.size() && text[i] == '(') {
        i = readArgs(text, i, step.args);
        step.kind = StepKind::Call;
    }
    std::string_view rest = text.substr(i);
    if (rest.empty()) return step;
    if (rest.substr(0, 2) == ":=") {
        step.kind = StepKind::Set;
        rest = rest.substr(2);
    } else if (rest[0] == '=') {
        step.kind = StepKind::Let;
        rest = rest.substr(1);
    } else {
        badSyntax("unexpected text after the member name", text);
    }
    step.args.emplace_back(rest);
    return step;
}

std::string escapeText(std::string_view utf8) {
    std::string out;
    for (unsigned char c : utf8) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[5];
                    std::snprintf(buf, sizeof buf, "\\x%02x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

namespace {

std::string formatDate(Date date) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", Year(date), Month(date), Day(date),
                  Hour(date), Minute(date), Second(date));
    return buf;
}

std::string formatReal(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    // Prefer the shortest form that reads back exactly.
    for (int digits = 1; digits <= 17; ++digits) {
        char shortBuf[40];
        std::snprintf(shortBuf, sizeof shortBuf, "%.*g", digits, value);
        if (std::strtod(shortBuf, nullptr) == value) return shortBuf;
    }
    return buf;
}

std::string formatScalar(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return "empty";
        case VarType::Null:
            return "null";
        case VarType::Integer:
            return "i16:" + std::to_string(value.toInteger());
        case VarType::Long:
            return "i32:" + std::to_string(value.toLong());
        case VarType::Byte:
            return "u8:" + std::to_string(value.toByte());
        case VarType::Single:
            return "f32:" + formatReal(value.toSingle());
        case VarType::Double:
            return "d:" + formatReal(value.toDouble());
        case VarType::Currency:
            return "cy:" + toUtf8(value.toString());
        case VarType::Date:
            return "date:" + formatDate(value.toDate());
        case VarType::String:
            return "s:" + escapeText(toUtf8(value.stringRef()));
        case VarType::Boolean:
            return value.toBool() ? "b:true" : "b:false";
        case VarType::Error:
            return "error:" + std::to_string(value.toErrorCode());
        case VarType::Object: {
            ObjectRef object = value.toObject();
            return "obj:" + (object ? toUtf8(object->typeName()) : std::string("Nothing"));
        }
        default:
            return "?";
    }
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

}  // namespace

std::string formatValue(const Variant& value, std::string_view indent) {
    if (!value.isArray()) return formatScalar(value);
    if (!value.isAllocatedArray()) return "array(unallocated)";
    const SafeArray& array = value.arrayRef();
    if (array.isBytes() && array.dimensions() == 1) return "bytes:" + hexBytes(array.bytes());

    std::string out = "array(";
    for (int d = 1; d <= array.dimensions(); ++d)
        out += (d > 1 ? "," : "") + std::to_string(array.lowerBound(d)) + ".." +
               std::to_string(array.upperBound(d));
    out += ")";
    // Walk every index in storage order (the last index fastest).
    std::vector<std::int32_t> index;
    for (const auto& b : array.bounds()) index.push_back(b.lower);
    for (std::size_t n = 0; n < array.size(); ++n) {
        out += "\n" + std::string(indent) + "[";
        for (std::size_t d = 0; d < index.size(); ++d) out += (d ? "," : "") + std::to_string(index[d]);
        out += "] " + formatScalar(array.get(index));
        for (std::size_t d = index.size(); d-- > 0;) {
            const auto& b = array.bounds()[d];
            if (++index[d] < b.lower + b.count) break;
            index[d] = b.lower;
        }
    }
    return out;
}

}  // namespace velmora::objcall
