// The any-value of the suite's interfaces, with the original platform's types and conversion rules.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Object.h"

namespace velmora {

// Type numbers as VarType() reports them; arrays add vbArray to their element type.
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,  // 16-bit signed
    Long = 3,     // 32-bit signed
    Single = 4,
    Double = 5,
    Currency = 6,  // 64-bit scaled by 10,000
    Date = 7,      // days since 30 Dec 1899, time as the fraction
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,  // 16-bit, true = -1
    Variant = 12,  // only as an array element type
    Byte = 17,
};
constexpr std::uint16_t vbArray = 0x2000;

// The error code an omitted optional argument carries.
constexpr std::int32_t DISP_E_PARAMNOTFOUND = static_cast<std::int32_t>(0x80020004u);

struct Currency {
    std::int64_t scaled = 0;  // value * 10,000
    friend bool operator==(Currency, Currency) = default;
};

struct Date {
    double serial = 0;  // day count from 30 Dec 1899; negative days count backwards, the fraction is the time
    friend bool operator==(Date, Date) = default;
};

class Variant;

// A fixed-shape array with per-dimension lower bounds. Byte arrays are stored compactly.
class SafeArray {
  public:
    struct Bound {
        std::int32_t lower = 0;
        std::int32_t count = 0;
    };

    SafeArray(VarType element, std::vector<Bound> bounds);
    // A one-dimensional byte array with lower bound 0.
    explicit SafeArray(std::vector<std::uint8_t> bytes);

    VarType elementType() const noexcept { return m_element; }
    int dimensions() const noexcept { return static_cast<int>(m_bounds.size()); }
    const std::vector<Bound>& bounds() const noexcept { return m_bounds; }
    // Bounds of a 1-based dimension; error 9 for a dimension the array does not have.
    std::int32_t lowerBound(int dimension = 1) const;
    std::int32_t upperBound(int dimension = 1) const;
    std::size_t size() const noexcept;

    // Element access by index per dimension; error 9 outside the bounds or for a wrong index count.
    Variant get(std::span<const std::int32_t> index) const;
    // Stores a value converted to the element type (errors 13 / 6 as a conversion gives them).
    void set(std::span<const std::int32_t> index, const Variant& value);

    // ReDim: new bounds; Preserve keeps the elements that still fit (only the last dimension may change).
    void redim(std::vector<Bound> bounds, bool preserve);

    // Direct storage: bytes() for Byte arrays, items() for every other element type.
    bool isBytes() const noexcept { return m_element == VarType::Byte; }
    std::vector<std::uint8_t>& bytes() noexcept { return m_bytes; }
    const std::vector<std::uint8_t>& bytes() const noexcept { return m_bytes; }
    std::vector<Variant>& items() noexcept { return m_items; }
    const std::vector<Variant>& items() const noexcept { return m_items; }

  private:
    std::size_t offsetOf(std::span<const std::int32_t> index) const;
    void allocate();

    VarType m_element;
    std::vector<Bound> m_bounds;
    std::vector<std::uint8_t> m_bytes;
    std::vector<Variant> m_items;
};

class Variant {
  public:
    Variant() noexcept : m_type(VarType::Empty) {}
    Variant(std::int16_t value) noexcept : m_type(VarType::Integer) { m_num.i16 = value; }
    Variant(std::int32_t value) noexcept : m_type(VarType::Long) { m_num.i32 = value; }
    Variant(std::uint8_t value) noexcept : m_type(VarType::Byte) { m_num.u8 = value; }
    Variant(float value) noexcept : m_type(VarType::Single) { m_num.f32 = value; }
    Variant(double value) noexcept : m_type(VarType::Double) { m_num.f64 = value; }
    Variant(bool value) noexcept : m_type(VarType::Boolean) { m_num.i16 = value ? -1 : 0; }
    Variant(Currency value) noexcept : m_type(VarType::Currency) { m_num.i64 = value.scaled; }
    Variant(Date value) noexcept : m_type(VarType::Date) { m_num.f64 = value.serial; }
    Variant(std::u16string value) noexcept : m_type(VarType::String), m_str(std::move(value)) {}
    Variant(std::u16string_view value) : Variant(std::u16string(value)) {}
    Variant(const char16_t* value) : Variant(std::u16string(value)) {}
    Variant(const char*) = delete;  // text is UTF-16: write u"..." (or fromUtf8)
    Variant(ObjectRef object) noexcept : m_type(VarType::Object), m_obj(std::move(object)) {}
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T> && !std::is_same_v<T, Object>>>
    Variant(Ref<T> object) noexcept : Variant(ObjectRef(std::move(object))) {}
    Variant(SafeArray array);
    // A byte array with lower bound 0 (an empty vector gives an allocated array with no element).
    Variant(std::vector<std::uint8_t> bytes);

    static Variant null() noexcept;
    static Variant error(std::int32_t code) noexcept;
    // An omitted optional argument: an Error variant carrying DISP_E_PARAMNOTFOUND.
    static Variant missing() noexcept { return error(DISP_E_PARAMNOTFOUND); }
    // An object variable set to Nothing.
    static Variant nothing() noexcept { return Variant(ObjectRef()); }
    // A dynamic array that was declared but never dimensioned: its bounds fail with error 9.
    static Variant unallocatedArray(VarType element) noexcept;

    // The base type; for an array, its element type (isArray() tells them apart).
    VarType type() const noexcept { return m_type; }
    bool isArray() const noexcept { return m_isArray; }
    // VarType(): the type number, with vbArray added for arrays.
    std::uint16_t varType() const noexcept {
        return static_cast<std::uint16_t>(m_type) | (m_isArray ? vbArray : 0);
    }
    bool isEmpty() const noexcept { return m_type == VarType::Empty && !m_isArray; }
    bool isNull() const noexcept { return m_type == VarType::Null && !m_isArray; }
    bool isObject() const noexcept { return m_type == VarType::Object && !m_isArray; }
    bool isError() const noexcept { return m_type == VarType::Error && !m_isArray; }
    bool isMissing() const noexcept { return isError() && m_num.i32 == DISP_E_PARAMNOTFOUND; }
    bool isString() const noexcept { return m_type == VarType::String && !m_isArray; }
    // IsNumeric(): numbers, Booleans, Empty, and text that converts to a number.
    bool isNumeric() const;

    // Conversions with the platform's rules: integers round half to even, out of range is error 6,
    // text that is not a number is error 13, Null is error 94, an object converts through its
    // default member.
    std::int16_t toInteger() const;    // CInt
    std::int32_t toLong() const;       // CLng
    std::uint8_t toByte() const;       // CByte
    float toSingle() const;            // CSng
    double toDouble() const;           // CDbl
    Currency toCurrency() const;       // CCur
    Date toDate() const;               // CDate
    bool toBool() const;               // CBool
    std::u16string toString() const;   // CStr: the text form of every scalar type
    std::int32_t toErrorCode() const;  // CVErr's number of an Error variant; 13 for other types
    // The object reference (Nothing allowed); error 13 for anything that is not an object.
    ObjectRef toObject() const;
    // A byte array's contents; a String gives its UTF-16LE bytes (as assigning a string to a byte array
    // does); error 13 for other types.
    std::vector<std::uint8_t> toBytes() const;

    // Direct views without conversion, for code that has checked type(): error 13 otherwise.
    const std::u16string& stringRef() const;
    const SafeArray& arrayRef() const;  // error 9 for an unallocated array
    SafeArray& arrayMut();              // copy-on-write: the array is unshared before it changes
    bool isAllocatedArray() const noexcept { return m_isArray && m_arr != nullptr; }

    // LBound/UBound of a dimension: error 13 for a non-array, 9 for an unallocated one.
    std::int32_t lbound(int dimension = 1) const;
    std::int32_t ubound(int dimension = 1) const;

    // Same type and same value (arrays element by element, objects by identity).
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    VarType m_type;
    bool m_isArray = false;
    union Number {
        std::int16_t i16;
        std::int32_t i32;
        std::int64_t i64;
        std::uint8_t u8;
        float f32;
        double f64;
    } m_num{.i64 = 0};
    std::u16string m_str;
    ObjectRef m_obj;
    std::shared_ptr<SafeArray> m_arr;  // shared until written: arrays copy on assignment

    friend struct VariantAccess;
};

// Text form of a type for diagnostics and TypeName(): "Empty", "Integer", "Byte()", ...
std::u16string typeName(const Variant& value);
// The name of a type number: "Integer", "String", "Variant", ...
std::u16string varTypeName(VarType type);

}  // namespace velmora
