#include "registryvalues.h"

#include "platform/systeminfo.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// The text with its terminating NUL, measured in bytes of the code page so no character is cut off.
RegistryData textData(std::u16string_view text) {
    RegistryData data{REG_SZ, bytesOf(toUtf8(text))};
    data.bytes.push_back(0);
    return data;
}

RegistryData smallIntegerData(std::int32_t value) {
    if (value >= 0 && value <= 255) return {REG_BINARY, {static_cast<std::uint8_t>(value)}};
    const auto bits = static_cast<std::uint32_t>(value);
    return {REG_DWORD,
            {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
}

// Arrays of Strings, including variant arrays that hold nothing but text.
bool isTextArray(const Variant& value) {
    if (!value.isAllocatedArray()) return false;
    if (value.type() == VarType::String) return true;
    if (value.type() != VarType::Variant) return false;
    for (const Variant& item : value.arrayRef().items())
        if (!item.isString()) return false;
    return true;
}

std::u16string textOf(const std::vector<std::uint8_t>& bytes, std::size_t length) {
    return fromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), length));
}

// Stored text less the terminating NUL; data written without one keeps its last character.
std::u16string storedText(const std::vector<std::uint8_t>& bytes) {
    std::size_t length = bytes.size();
    if (length > 0 && bytes[length - 1] == 0) --length;
    return textOf(bytes, length);
}

std::uint32_t littleEndian(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = std::min(count, bytes.size()); i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

std::u16string hexBytes(const std::vector<std::uint8_t>& bytes) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty()) text += u' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The environment variables of the stored text expanded, however much longer the result is.
std::u16string expandedText(const std::vector<std::uint8_t>& bytes) {
    const std::string stored = toUtf8(storedText(bytes));
    std::string expanded(stored.size() + 1, '\0');
    DWORD needed =
        ExpandEnvironmentStringsA(stored.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (needed > expanded.size()) {
        expanded.assign(needed, '\0');
        needed = ExpandEnvironmentStringsA(stored.c_str(), expanded.data(), needed);
    }
    if (needed == 0 || needed > expanded.size()) return fromUtf8(stored);
    return fromUtf8(std::string_view(expanded.c_str()));
}

// The stored strings joined by ",", less the closing NULs.
std::u16string multiText(const std::vector<std::uint8_t>& bytes) {
    std::size_t length = bytes.size();
    for (int i = 0; i < 2 && length > 0 && bytes[length - 1] == 0; ++i) --length;
    std::u16string text = textOf(bytes, length);
    for (char16_t& c : text)
        if (c == u'\0') c = u',';
    return text;
}

}  // namespace

std::optional<RegistryData> encodeValue(const Variant& value) {
    if (value.isArray()) {
        if (!isTextArray(value)) return std::nullopt;
        RegistryData data{REG_MULTI_SZ, bytesOf(toUtf8(toMultiSZ(value)))};
        return data;
    }
    switch (value.type()) {
        case VarType::String:
            return textData(value.stringRef());
        case VarType::Byte:
            return RegistryData{REG_BINARY, {value.toByte()}};
        case VarType::Integer:
        case VarType::Long:
            return smallIntegerData(value.toLong());
        case VarType::Boolean:
            return RegistryData{REG_BINARY, {static_cast<std::uint8_t>(value.toBool() ? 1 : 0)}};
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Date:
            return textData(value.toString());
        default:
            return std::nullopt;
    }
}

Variant decodeValue(const RegistryData& data) {
    switch (data.type) {
        case REG_SZ:
            return Variant(storedText(data.bytes));
        case REG_MULTI_SZ:
            return fromMultiSZ(textOf(data.bytes, data.bytes.size()));
        case REG_DWORD:
            return Variant(static_cast<std::int32_t>(littleEndian(data.bytes, 4)));
        case REG_BINARY:
            switch (data.bytes.size()) {
                case 4:
                    return Variant(static_cast<std::int32_t>(littleEndian(data.bytes, 4)));
                case 2:
                    return Variant(static_cast<std::int16_t>(littleEndian(data.bytes, 2)));
                case 1:
                    return Variant(data.bytes[0]);
                default:
                    return Variant(data.bytes);
            }
        default:
            return Variant(textOf(data.bytes, data.bytes.size()));
    }
}

Variant displayValue(const RegistryData& data) {
    switch (data.type) {
        case REG_SZ:
            return Variant(storedText(data.bytes));
        case REG_EXPAND_SZ:
            return Variant(expandedText(data.bytes));
        case REG_BINARY:
            return Variant(hexBytes(data.bytes));
        case REG_DWORD:
            return Variant(static_cast<std::int32_t>(littleEndian(data.bytes, 4)));
        case REG_MULTI_SZ:
            return Variant(multiText(data.bytes));
        default:
            return Variant();
    }
}

std::u16string toMultiSZ(const Variant& array) {
    if (!array.isArray()) raise(err::TypeMismatch);
    std::u16string text;
    if (array.isAllocatedArray()) {
        const SafeArray& items = array.arrayRef();
        if (items.isBytes()) raise(err::TypeMismatch);
        for (const Variant& item : items.items()) {
            text += item.toString();
            text += u'\0';
        }
    }
    text += u'\0';
    return text;
}

Variant fromMultiSZ(std::u16string_view text) {
    std::vector<std::u16string> parts(2);
    for (char16_t c : text) {
        if (c == u'\0')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    SafeArray array(VarType::String, {{0, static_cast<std::int32_t>(parts.size())}});
    for (std::size_t i = 0; i < parts.size(); ++i) array.items()[i] = Variant(std::move(parts[i]));
    return Variant(std::move(array));
}

}  // namespace velmora
