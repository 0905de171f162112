#include "datavalues.h"

#include <cstring>

#include "runtime/text.h"

namespace velmora {
namespace {

std::size_t scalarSize(VarType type) {
    switch (type) {
        case VarType::Byte:
            return 1;
        case VarType::Integer:
        case VarType::Boolean:
            return 2;
        case VarType::Long:
        case VarType::Single:
            return 4;
        case VarType::Double:
        case VarType::Currency:
        case VarType::Date:
            return 8;
        default:
            return 0;
    }
}

template <class T>
T load(std::span<const std::uint8_t> bytes) {
    T value{};
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

template <class T>
std::vector<std::uint8_t> image(T value) {
    std::vector<std::uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

bool isByteArray(const Variant& data) {
    return data.isArray() && data.type() == VarType::Byte && data.isAllocatedArray();
}

Variant scalarFrom(VarType type, std::span<const std::uint8_t> b) {
    switch (type) {
        case VarType::Byte:
            return Variant(b[0]);
        case VarType::Integer:
            return Variant(load<std::int16_t>(b));
        case VarType::Boolean:
            return Variant(load<std::int16_t>(b) != 0);
        case VarType::Long:
            return Variant(load<std::int32_t>(b));
        case VarType::Single:
            return Variant(load<float>(b));
        case VarType::Double:
            return Variant(load<double>(b));
        case VarType::Currency:
            return Variant(Currency{load<std::int64_t>(b)});
        default:
            return Variant(Date{load<double>(b)});
    }
}

std::vector<std::uint8_t> scalarImage(const Variant& data) {
    switch (data.type()) {
        case VarType::Byte:
            return image(data.toByte());
        case VarType::Integer:
            return image(data.toInteger());
        case VarType::Boolean:
            return image(static_cast<std::int16_t>(data.toBool() ? -1 : 0));
        case VarType::Long:
            return image(data.toLong());
        case VarType::Single:
            return image(data.toSingle());
        case VarType::Double:
            return image(data.toDouble());
        case VarType::Currency:
            return image(data.toCurrency().scaled);
        default:
            return image(data.toDate().serial);
    }
}

}  // namespace

std::size_t readSizeFor(const Variant& data) {
    if (isByteArray(data)) return data.arrayRef().size();
    if (data.isArray()) return 0;
    if (data.isString()) return data.stringRef().size();
    return scalarSize(data.type());
}

void decodeInto(Variant& data, std::span<const std::uint8_t> bytes) {
    if (isByteArray(data)) {
        std::vector<std::uint8_t>& target = data.arrayMut().bytes();
        std::fill(target.begin(), target.end(), 0);
        std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), target.size()), target.begin());
        return;
    }
    if (data.isString()) {
        data = fromUtf8(std::string(bytes.begin(), bytes.end()));
        return;
    }
    std::vector<std::uint8_t> full(scalarSize(data.type()), 0);
    std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), full.size()), full.begin());
    data = scalarFrom(data.type(), full);
}

std::vector<std::uint8_t> encodeValue(const Variant& data) {
    if (isByteArray(data)) return data.toBytes();
    if (data.isArray()) return {};
    if (data.isString()) {
        const std::string text = toUtf8(data.stringRef());
        return {text.begin(), text.end()};
    }
    if (scalarSize(data.type()) == 0) return {};
    return scalarImage(data);
}

}  // namespace velmora
