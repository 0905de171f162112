// Format: picks the named format, the date or the number half for a value and a pattern.
#include "runtime/format.h"

#include <array>
#include <utility>

#include "formatting.h"
#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {

using detail::numericLocale;

// Named formats that are patterns in disguise.
constexpr std::array<std::pair<std::u16string_view, std::u16string_view>, 11> kNamedPatterns = {{
    {u"Fixed", u"0.00"},
    {u"Standard", u"#,##0.00"},
    {u"Percent", u"0.00%"},
    {u"Scientific", u"0.00E+00"},
    {u"Long Date", u"dddd, mmmm d, yyyy"},
    {u"Medium Date", u"dd-mmm-yy"},
    {u"Short Date", u"m/d/yyyy"},
    {u"Long Time", u"h:nn:ss AM/PM"},
    {u"Medium Time", u"hh:nn AM/PM"},
    {u"Short Time", u"hh:nn"},
    {u"General Date", u"c"},
}};

constexpr std::array<std::pair<std::u16string_view, std::pair<std::u16string_view, std::u16string_view>>, 3>
    kTruthNames = {
        {{u"Yes/No", {u"Yes", u"No"}}, {u"True/False", {u"True", u"False"}}, {u"On/Off", {u"On", u"Off"}}}};

bool isNumberType(const Variant& v) {
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Byte:
            return !v.isArray();
        default:
            return false;
    }
}

// CStr with the locale's decimal point.
std::u16string generalText(const Variant& value) {
    std::u16string text = value.toString();
    if (!isNumberType(value)) return text;
    if (std::size_t at = text.find(u'.'); at != std::u16string::npos)
        text.replace(at, 1, numericLocale().decimalPoint);
    return text;
}

std::u16string formatDate(const Variant& value, std::u16string_view pattern) {
    Date date;
    if (value.isString()) {
        if (!tryParseDate(value.stringRef(), date)) return value.stringRef();
    } else {
        date = value.toDate();
    }
    return detail::formatDatePattern(date, pattern);
}

std::u16string formatNumber(const Variant& value, std::u16string_view pattern) {
    if (value.isNull()) return detail::formatNumberPattern(0, true, pattern);
    if (value.isString() && !value.isNumeric()) return value.stringRef();
    return detail::formatNumberPattern(value.toDouble(), false, pattern);
}

}  // namespace

std::u16string Format(const Variant& value, std::u16string_view pattern) {
    if (value.isObject()) return Format(defaultValue(value), pattern);
    if (pattern.empty()) return value.isNull() ? std::u16string() : generalText(value);
    if (StrComp(pattern, u"General Number", vbTextCompare) == 0) {
        if (value.isNull()) return {};
        if (value.isString() && !value.isNumeric()) return value.stringRef();
        return generalText(Variant(value.toDouble()));
    }
    for (const auto& [name, texts] : kTruthNames)
        if (StrComp(pattern, name, vbTextCompare) == 0) {
            if (value.isNull()) return {};
            if (value.isString() && !value.isNumeric()) return value.stringRef();
            return value.toDouble() != 0 ? std::u16string(texts.first) : std::u16string(texts.second);
        }
    for (const auto& [name, expansion] : kNamedPatterns)
        if (StrComp(pattern, name, vbTextCompare) == 0) return Format(value, expansion);
    if (detail::isDatePattern(pattern)) return value.isNull() ? std::u16string() : formatDate(value, pattern);
    return formatNumber(value, pattern);
}

}  // namespace velmora
