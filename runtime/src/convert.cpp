// The conversions of Variant (CInt, CLng, CByte, CSng, CDbl, CCur, CDate, CBool, CStr, ...) with the
// platform's rules. Text is read with '.' as the decimal point and written the same way, whatever the
// locale, so that text the suite writes reads back unchanged; Format is the locale-aware path.
#include <charconv>
#include <cmath>
#include <limits>

#include "numtext.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/numbers.h"

namespace velmora {

struct VariantAccess {
    static std::int16_t i16(const Variant& v) { return v.m_num.i16; }
    static std::int32_t i32(const Variant& v) { return v.m_num.i32; }
    static std::int64_t i64(const Variant& v) { return v.m_num.i64; }
    static std::uint8_t u8(const Variant& v) { return v.m_num.u8; }
    static float f32(const Variant& v) { return v.m_num.f32; }
    static double f64(const Variant& v) { return v.m_num.f64; }
    static const std::u16string& str(const Variant& v) { return v.m_str; }
    static const ObjectRef& obj(const Variant& v) { return v.m_obj; }
    static const std::shared_ptr<SafeArray>& arr(const Variant& v) { return v.m_arr; }
};

namespace {

using A = VariantAccess;
using detail::NumberText;

constexpr double kCurrencyLimit = 9223372036854775808.0;  // 2^63, the scaled range of Currency
constexpr double kFirstDateSerial = -657435.0;            // before 1 Jan 100
constexpr double kEndDateSerial = 2958466.0;              // after 31 Dec 9999

// The checks every scalar conversion starts with.
void requireScalar(const Variant& v) {
    if (v.isArray()) raise(err::TypeMismatch);
    if (v.isNull()) raise(err::InvalidUseOfNull);
    if (v.isError()) raise(err::TypeMismatch);
}

NumberText parseOrMismatch(const std::u16string& text) {
    NumberText n;
    if (!detail::parseNumberText(text, n)) raise(err::TypeMismatch);
    return n;
}

// The value of any scalar as a double (Date as its serial, Boolean as -1/0).
double numberOf(const Variant& v) {
    if (v.isObject()) return numberOf(defaultValue(v));
    requireScalar(v);
    switch (v.type()) {
        case VarType::Empty:
            return 0;
        case VarType::Integer:
        case VarType::Boolean:
            return A::i16(v);
        case VarType::Long:
            return A::i32(v);
        case VarType::Byte:
            return A::u8(v);
        case VarType::Single:
            return A::f32(v);
        case VarType::Double:
        case VarType::Date:
            return A::f64(v);
        case VarType::Currency:
            return static_cast<double>(A::i64(v)) / 10000.0;
        case VarType::String: {
            NumberText n = parseOrMismatch(A::str(v));
            if (!n.radix) return detail::decimalToDouble(n);
            std::int32_t value = 0;
            if (!detail::radixToLong(n, false, value)) raise(err::Overflow);
            return value;
        }
        default:
            raise(err::TypeMismatch);
    }
}

// CInt / CLng / CByte: exact for whole types, half to even for the rest.
std::int64_t wholeNumber(const Variant& v, std::int64_t low, std::int64_t high, bool wrap16) {
    if (v.isObject()) return wholeNumber(defaultValue(v), low, high, wrap16);
    requireScalar(v);
    std::int64_t result = 0;
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Boolean:
            result = A::i16(v);
            break;
        case VarType::Long:
            result = A::i32(v);
            break;
        case VarType::Byte:
            result = A::u8(v);
            break;
        case VarType::Currency:
            result = roundScaledHalfEven(A::i64(v), 10000);
            break;
        case VarType::String: {
            NumberText n = parseOrMismatch(A::str(v));
            if (n.radix) {
                std::int32_t value = 0;
                if (!detail::radixToLong(n, wrap16, value)) raise(err::Overflow);
                result = value;
                break;
            }
            [[fallthrough]];
        }
        default: {
            double x = roundHalfEven(numberOf(v));
            if (!(x >= static_cast<double>(low) && x <= static_cast<double>(high))) raise(err::Overflow);
            return static_cast<std::int64_t>(x);
        }
    }
    if (result < low || result > high) raise(err::Overflow);
    return result;
}

std::int64_t scaledFromDouble(double x) {
    double scaled = roundHalfEven(x * 10000.0);
    if (!(scaled >= -kCurrencyLimit && scaled < kCurrencyLimit)) raise(err::Overflow);
    return static_cast<std::int64_t>(scaled);
}

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// The platform's number text: up to `digits` significant digits, no trailing zeros, and the
// exponent form "1.5E-05" / "1E+20" below 1E-4 and from 10^digits up.
std::u16string floatText(double x, int digits) {
    if (x == 0) return u"0";
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return ascii(text);
}

std::u16string currencyText(std::int64_t scaled) {
    bool negative = scaled < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction) {
        std::string decimals = std::to_string(fraction + 10000).substr(1);
        decimals.erase(decimals.find_last_not_of('0') + 1);
        text += "." + decimals;
    }
    return ascii((negative ? "-" : "") + text);
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::u16string_view trimBlanks(std::u16string_view s) {
    while (!s.empty() && detail::isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && detail::isBlank(s.back())) s.remove_suffix(1);
    return s;
}


}  // namespace

// A default member that returns its own object would loop forever: the chain is cut after a few steps.
Variant defaultValue(const Variant& v) {
    Variant current = v;
    for (int depth = 0; depth < 8 && current.isObject(); ++depth) {
        const ObjectRef& object = A::obj(current);
        if (!object) raise(err::ObjectNotSet);
        current = object->invoke(u"", InvokePropertyGet, {});
    }
    if (current.isObject()) raise(err::TypeMismatch);
    return current;
}

std::int16_t Variant::toInteger() const {
    return static_cast<std::int16_t>(wholeNumber(*this, -32768, 32767, true));
}

std::int32_t Variant::toLong() const {
    return static_cast<std::int32_t>(wholeNumber(*this, INT32_MIN, INT32_MAX, false));
}

std::uint8_t Variant::toByte() const {
    return static_cast<std::uint8_t>(wholeNumber(*this, 0, 255, false));
}

double Variant::toDouble() const {
    double x = numberOf(*this);
    if (std::isinf(x)) raise(err::Overflow);
    return x;
}

float Variant::toSingle() const {
    if (isString() || isObject()) return Variant(toDouble()).toSingle();
    if (m_type == VarType::Single && !m_isArray) return m_num.f32;
    double x = toDouble();
    if (std::fabs(x) > std::numeric_limits<float>::max()) raise(err::Overflow);
    return static_cast<float>(x);
}

Currency Variant::toCurrency() const {
    if (isObject()) return defaultValue(*this).toCurrency();
    requireScalar(*this);
    switch (m_type) {
        case VarType::Currency:
            return Currency{m_num.i64};
        case VarType::Integer:
        case VarType::Boolean:
            return Currency{m_num.i16 * std::int64_t{10000}};
        case VarType::Long:
            return Currency{m_num.i32 * std::int64_t{10000}};
        case VarType::Byte:
            return Currency{m_num.u8 * std::int64_t{10000}};
        case VarType::String: {
            NumberText n = parseOrMismatch(m_str);
            std::int64_t scaled = 0;
            if (n.radix) {
                std::int32_t value = 0;
                if (!detail::radixToLong(n, false, value)) raise(err::Overflow);
                return Currency{value * std::int64_t{10000}};
            }
            if (!detail::decimalToScaled(n, scaled)) raise(err::Overflow);
            return Currency{scaled};
        }
        default:
            return Currency{scaledFromDouble(numberOf(*this))};
    }
}

Date Variant::toDate() const {
    if (isObject()) return defaultValue(*this).toDate();
    requireScalar(*this);
    if (m_type == VarType::Date) return Date{m_num.f64};
    if (m_type == VarType::String) {
        Date date;
        if (!tryParseDate(m_str, date)) raise(err::TypeMismatch);
        return date;
    }
    double serial = numberOf(*this);
    if (!(serial > kFirstDateSerial && serial < kEndDateSerial)) raise(err::Overflow);
    return Date{serial};
}

bool Variant::toBool() const {
    if (isObject()) return defaultValue(*this).toBool();
    requireScalar(*this);
    switch (m_type) {
        case VarType::Currency:
            return m_num.i64 != 0;
        case VarType::String: {
            std::u16string_view text = trimBlanks(m_str);
            if (equalsIgnoreCase(text, u"True")) return true;
            if (equalsIgnoreCase(text, u"False")) return false;
            NumberText n = parseOrMismatch(m_str);
            return n.radix ? n.radixValue != 0 : !n.digits.empty();
        }
        default:
            return numberOf(*this) != 0;
    }
}

namespace {

// A byte array read as UTF-16LE text, as assigning it to a string does; an odd last byte becomes a
// character of its own. Other arrays do not convert.
std::u16string byteArrayText(const Variant& value) {
    if (value.type() != VarType::Byte) raise(err::TypeMismatch);
    if (!value.isAllocatedArray()) return {};
    const std::vector<std::uint8_t>& bytes = value.arrayRef().bytes();
    std::u16string text((bytes.size() + 1) / 2, u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text[i / 2] = static_cast<char16_t>(text[i / 2] | (bytes[i] << (i % 2 ? 8 : 0)));
    return text;
}

}  // namespace

std::u16string Variant::toString() const {
    if (isObject()) return defaultValue(*this).toString();
    if (m_isArray) return byteArrayText(*this);
    switch (m_type) {
        case VarType::Empty:
            return {};
        case VarType::Null:
            raise(err::InvalidUseOfNull);
        case VarType::Integer:
            return ascii(std::to_string(m_num.i16));
        case VarType::Long:
            return ascii(std::to_string(m_num.i32));
        case VarType::Byte:
            return ascii(std::to_string(m_num.u8));
        case VarType::Boolean:
            return m_num.i16 ? u"True" : u"False";
        case VarType::Single:
            return floatText(m_num.f32, 7);
        case VarType::Double:
            return floatText(m_num.f64, 15);
        case VarType::Currency:
            return currencyText(m_num.i64);
        case VarType::Date:
            return generalDate(Date{m_num.f64});
        case VarType::String:
            return m_str;
        case VarType::Error:
            return u"Error " + ascii(std::to_string(m_num.i32));
        default:
            raise(err::TypeMismatch);
    }
}

std::int32_t Variant::toErrorCode() const {
    if (!isError()) raise(err::TypeMismatch);
    return m_num.i32;
}

ObjectRef Variant::toObject() const {
    if (!isObject()) raise(err::TypeMismatch);
    return m_obj;
}

std::vector<std::uint8_t> Variant::toBytes() const {
    if (m_isArray && m_type == VarType::Byte) return m_arr ? m_arr->bytes() : std::vector<std::uint8_t>{};
    if (!isString()) raise(err::TypeMismatch);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(m_str.size() * 2);
    for (char16_t c : m_str) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

bool Variant::isNumeric() const {
    if (m_isArray) return false;
    switch (m_type) {
        case VarType::Empty:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Boolean:
        case VarType::Byte:
            return true;
        case VarType::String: {
            NumberText n;
            return detail::parseNumberText(m_str, n);
        }
        case VarType::Object: {
            if (!m_obj) return false;
            try {
                return defaultValue(*this).isNumeric();
            } catch (const RuntimeError&) {
                return false;  // no default member: not a number
            }
        }
        default:
            return false;
    }
}

std::u16string varTypeName(VarType type) {
    switch (type) {
        case VarType::Empty:
            return u"Empty";
        case VarType::Null:
            return u"Null";
        case VarType::Integer:
            return u"Integer";
        case VarType::Long:
            return u"Long";
        case VarType::Single:
            return u"Single";
        case VarType::Double:
            return u"Double";
        case VarType::Currency:
            return u"Currency";
        case VarType::Date:
            return u"Date";
        case VarType::String:
            return u"String";
        case VarType::Object:
            return u"Object";
        case VarType::Error:
            return u"Error";
        case VarType::Boolean:
            return u"Boolean";
        case VarType::Variant:
            return u"Variant";
        case VarType::Byte:
            return u"Byte";
    }
    return u"Unknown";
}

std::u16string typeName(const Variant& value) {
    if (value.isArray()) return varTypeName(value.type()) + u"()";
    if (value.isObject()) {
        ObjectRef object = value.toObject();
        return object ? object->typeName() : u"Nothing";
    }
    return varTypeName(value.type());
}

}  // namespace velmora
