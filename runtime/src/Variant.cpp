// Variant storage, arrays and identity. The conversions live in convert.cpp.
#include "runtime/Variant.h"

#include <algorithm>

#include "runtime/Error.h"

namespace velmora {

// ---- SafeArray -------------------------------------------------------------------------------

SafeArray::SafeArray(VarType element, std::vector<Bound> bounds)
    : m_element(element), m_bounds(std::move(bounds)) {
    for (const Bound& b : m_bounds)
        if (b.count < 0) raise(err::SubscriptOutOfRange);
    allocate();
}

SafeArray::SafeArray(std::vector<std::uint8_t> bytes)
    : m_element(VarType::Byte),
      m_bounds{{0, static_cast<std::int32_t>(bytes.size())}},
      m_bytes(std::move(bytes)) {}

namespace {

// The value a new element of a typed array starts with: zero, False, "", Nothing or Empty.
Variant initialElement(VarType element) {
    switch (element) {
        case VarType::Integer:
            return Variant(std::int16_t{0});
        case VarType::Long:
            return Variant(std::int32_t{0});
        case VarType::Single:
            return Variant(0.0f);
        case VarType::Double:
            return Variant(0.0);
        case VarType::Currency:
            return Variant(Currency{});
        case VarType::Date:
            return Variant(Date{});
        case VarType::String:
            return Variant(std::u16string());
        case VarType::Boolean:
            return Variant(false);
        case VarType::Object:
            return Variant::nothing();
        default:
            return Variant();
    }
}

}  // namespace

void SafeArray::allocate() {
    std::size_t n = size();
    if (isBytes())
        m_bytes.assign(n, 0);
    else
        m_items.assign(n, initialElement(m_element));
}

std::int32_t SafeArray::lowerBound(int dimension) const {
    if (dimension < 1 || dimension > dimensions()) raise(err::SubscriptOutOfRange);
    return m_bounds[dimension - 1].lower;
}

std::int32_t SafeArray::upperBound(int dimension) const {
    if (dimension < 1 || dimension > dimensions()) raise(err::SubscriptOutOfRange);
    const Bound& b = m_bounds[dimension - 1];
    return static_cast<std::int32_t>(static_cast<std::int64_t>(b.lower) + b.count - 1);
}

std::size_t SafeArray::size() const noexcept {
    if (m_bounds.empty()) return 0;
    std::size_t n = 1;
    for (const Bound& b : m_bounds) n *= static_cast<std::size_t>(b.count);
    return n;
}

// Row-major: the last index varies fastest, so ReDim Preserve (which may change only the last
// dimension) keeps each row's prefix. Nothing in the suite depends on the memory order.
std::size_t SafeArray::offsetOf(std::span<const std::int32_t> index) const {
    if (index.size() != m_bounds.size()) raise(err::SubscriptOutOfRange);
    std::size_t offset = 0;
    for (std::size_t d = 0; d < index.size(); ++d) {
        std::int64_t i = static_cast<std::int64_t>(index[d]) - m_bounds[d].lower;
        if (i < 0 || i >= m_bounds[d].count) raise(err::SubscriptOutOfRange);
        offset = offset * static_cast<std::size_t>(m_bounds[d].count) + static_cast<std::size_t>(i);
    }
    return offset;
}

Variant SafeArray::get(std::span<const std::int32_t> index) const {
    std::size_t at = offsetOf(index);
    return isBytes() ? Variant(m_bytes[at]) : m_items[at];
}

void SafeArray::set(std::span<const std::int32_t> index, const Variant& value) {
    std::size_t at = offsetOf(index);
    switch (m_element) {
        case VarType::Byte:
            m_bytes[at] = value.toByte();
            return;
        case VarType::Integer:
            m_items[at] = value.toInteger();
            return;
        case VarType::Long:
            m_items[at] = value.toLong();
            return;
        case VarType::Single:
            m_items[at] = value.toSingle();
            return;
        case VarType::Double:
            m_items[at] = value.toDouble();
            return;
        case VarType::Currency:
            m_items[at] = value.toCurrency();
            return;
        case VarType::Date:
            m_items[at] = value.toDate();
            return;
        case VarType::String:
            m_items[at] = value.toString();
            return;
        case VarType::Boolean:
            m_items[at] = value.toBool();
            return;
        case VarType::Object:
            m_items[at] = value.toObject();
            return;
        default:
            m_items[at] = value;
            return;
    }
}

void SafeArray::redim(std::vector<Bound> bounds, bool preserve) {
    for (const Bound& b : bounds)
        if (b.count < 0) raise(err::SubscriptOutOfRange);
    if (!preserve) {
        m_bounds = std::move(bounds);
        allocate();
        return;
    }
    // Preserve: only the last dimension may change, so the kept elements are a prefix of each row.
    if (bounds.size() != m_bounds.size()) raise(err::SubscriptOutOfRange);
    for (std::size_t d = 0; d + 1 < bounds.size(); ++d)
        if (bounds[d].lower != m_bounds[d].lower || bounds[d].count != m_bounds[d].count)
            raise(err::SubscriptOutOfRange);
    SafeArray resized(m_element, bounds);
    if (!bounds.empty()) {
        std::size_t oldRow = static_cast<std::size_t>(m_bounds.back().count);
        std::size_t newRow = static_cast<std::size_t>(bounds.back().count);
        std::size_t rows = newRow ? resized.size() / newRow : 0;
        std::size_t keep = std::min(oldRow, newRow);
        for (std::size_t r = 0; r < rows; ++r)
            for (std::size_t i = 0; i < keep; ++i) {
                if (isBytes())
                    resized.m_bytes[r * newRow + i] = m_bytes[r * oldRow + i];
                else
                    resized.m_items[r * newRow + i] = std::move(m_items[r * oldRow + i]);
            }
    }
    *this = std::move(resized);
}

// ---- Variant ---------------------------------------------------------------------------------

Variant::Variant(SafeArray array)
    : m_type(array.elementType()), m_isArray(true), m_arr(std::make_shared<SafeArray>(std::move(array))) {}

Variant::Variant(std::vector<std::uint8_t> bytes) : Variant(SafeArray(std::move(bytes))) {}

Variant Variant::null() noexcept {
    Variant v;
    v.m_type = VarType::Null;
    return v;
}

Variant Variant::error(std::int32_t code) noexcept {
    Variant v;
    v.m_type = VarType::Error;
    v.m_num.i32 = code;
    return v;
}

Variant Variant::unallocatedArray(VarType element) noexcept {
    Variant v;
    v.m_type = element;
    v.m_isArray = true;
    return v;
}

const std::u16string& Variant::stringRef() const {
    if (!isString()) raise(err::TypeMismatch);
    return m_str;
}

const SafeArray& Variant::arrayRef() const {
    if (!m_isArray) raise(err::TypeMismatch);
    if (!m_arr) raise(err::SubscriptOutOfRange);
    return *m_arr;
}

SafeArray& Variant::arrayMut() {
    if (!m_isArray) raise(err::TypeMismatch);
    if (!m_arr) raise(err::SubscriptOutOfRange);
    if (m_arr.use_count() > 1) m_arr = std::make_shared<SafeArray>(*m_arr);
    return *m_arr;
}

std::int32_t Variant::lbound(int dimension) const {
    return arrayRef().lowerBound(dimension);
}
std::int32_t Variant::ubound(int dimension) const {
    return arrayRef().upperBound(dimension);
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.m_type != b.m_type || a.m_isArray != b.m_isArray) return false;
    if (a.m_isArray) {
        if (!a.m_arr || !b.m_arr) return a.m_arr == b.m_arr;
        const SafeArray& x = *a.m_arr;
        const SafeArray& y = *b.m_arr;
        if (x.dimensions() != y.dimensions()) return false;
        for (int d = 0; d < x.dimensions(); ++d)
            if (x.bounds()[d].lower != y.bounds()[d].lower || x.bounds()[d].count != y.bounds()[d].count)
                return false;
        return x.isBytes() ? x.bytes() == y.bytes() : x.items() == y.items();
    }
    switch (a.m_type) {
        case VarType::Empty:
        case VarType::Null:
            return true;
        case VarType::Integer:
        case VarType::Boolean:
            return a.m_num.i16 == b.m_num.i16;
        case VarType::Long:
        case VarType::Error:
            return a.m_num.i32 == b.m_num.i32;
        case VarType::Byte:
            return a.m_num.u8 == b.m_num.u8;
        case VarType::Single:
            return a.m_num.f32 == b.m_num.f32;
        case VarType::Double:
        case VarType::Date:
            return a.m_num.f64 == b.m_num.f64;
        case VarType::Currency:
            return a.m_num.i64 == b.m_num.i64;
        case VarType::String:
            return a.m_str == b.m_str;
        case VarType::Object:
            return a.m_obj == b.m_obj;
        default:
            return false;
    }
}

}  // namespace velmora
