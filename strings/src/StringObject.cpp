#include "StringObject.h"

#include <cmath>
#include <exception>

#include "runtime/Error.h"
#include "runtime/format.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {

[[noreturn]] void raiseTooLong() {
    raise(3, u"Data length is longer then allowed", u"RIVAverido");
}

// The letters of the units above bytes; the index is the power of 1024 less one.
constexpr std::u16string_view kUnitLetters = u"KMGTPEZY";

// Up to 1023 bytes as a whole number, above that about four significant digits in the largest unit the
// value reaches 1 in (1000 KiB already shows as 0.977 Mb).
std::u16string formatByteCount(double size) {
    if (size < 1024) return FormatNumber(size, 0) + u" b";
    double v = size / 1024;
    for (int i = 0; i <= 23; ++i) {
        if (v < std::pow(10.0, i + 1)) {
            v /= std::pow(1024.0, i / 3);
            const int integerDigits = static_cast<int>(Variant(std::trunc(v)).toString().size());
            return FormatNumber(v, 4 - integerDigits) + u" " + kUnitLetters[i / 3] + u"b";
        }
    }
    return u"Out of bounds";
}

}  // namespace

const ClassInfo& StringObject::describe() {
    static const ClassInfo info = ClassBuilder<StringObject>(u"StringObject")
                                      .method(u"NoNull", &StringObject::NoNull, {u"strVal"})
                                      .method(u"NoZero", &StringObject::NoZero, {u"str"})
                                      .method(u"FixLength", &StringObject::FixLength, {u"Data", u"Length"})
                                      .method(u"AddZeros", &StringObject::AddZeros, {u"strData", u"Length"})
                                      .method(u"TrimNull", &StringObject::TrimNull, {u"str"})
                                      .method(u"FormatSize", &StringObject::FormatSize, {u"Size"})
                                      .build();
    return info;
}

std::u16string StringObject::NoNull(Variant strVal) {
    return strVal.isNull() ? std::u16string() : strVal.toString();
}

Variant StringObject::NoZero(std::u16string str) {
    return Trim(str).empty() ? Variant::null() : Variant(std::move(str));
}

std::u16string StringObject::FixLength(std::u16string Data, std::int16_t& Length) {
    const auto length = static_cast<std::int32_t>(Data.size());
    if (length > Length) raiseTooLong();
    Data.resize(static_cast<std::size_t>(Length), u'\0');
    return Data;
}

std::u16string StringObject::AddZeros(std::u16string& strData, std::int16_t& Length) {
    const auto length = static_cast<std::int32_t>(strData.size());
    if (length > Length) raiseTooLong();
    return std::u16string(static_cast<std::size_t>(Length - length), u'0') + strData;
}

std::u16string StringObject::TrimNull(std::u16string& str) {
    return str.substr(0, str.find(u'\0'));
}

std::u16string StringObject::FormatSize(Variant Size) {
    try {
        const double size = Size.toDouble();
        if (!std::isfinite(size)) return {};
        return formatByteCount(size);
    } catch (const std::exception&) {
        return {};  // a size that is no number shows as nothing
    }
}

}  // namespace velmora
