// Encoding and validated decoding of variants and class descriptions.
#include "VariantCodec.h"

#include <limits>
#include <stdexcept>
#include <vector>

#include "runtime/Error.h"

namespace velmora::wire {

namespace {

bool isScalarType(std::uint16_t type) {
    return type <= static_cast<std::uint16_t>(VarType::Boolean) ||
           type == static_cast<std::uint16_t>(VarType::Byte);
}

bool isElementType(std::uint16_t type) {
    return (type >= static_cast<std::uint16_t>(VarType::Integer) &&
            type <= static_cast<std::uint16_t>(VarType::Variant)) ||
           type == static_cast<std::uint16_t>(VarType::Byte);
}

[[noreturn]] void cannotSend(const char* why) {
    raise(err::InvalidProcedureCall,
          u"The value cannot be passed to another process: " +
              std::u16string(why, why + std::char_traits<char>::length(why)),
          {});
}

void encodeObject(WireWriter& out, const ObjectRef& object, ObjectMarshal& marshal) {
    const WireObject ref = marshal.exportObject(object);
    out.u8(static_cast<std::uint8_t>(ref.owner));
    if (ref.owner == ObjectOwner::Nothing) return;
    out.u32(ref.id);
    if (ref.owner != ObjectOwner::Sender) return;
    out.u32(ref.classNumber);
    if (ref.classNumber == 0) out.text(ref.typeName);
}

// The value of a scalar, or of an element of a typed array, without its type number.
void encodeScalar(WireWriter& out, VarType type, const Variant& value, ObjectMarshal& marshal) {
    switch (type) {
        case VarType::Empty:
        case VarType::Null:
            return;
        case VarType::Integer:
            out.u16(static_cast<std::uint16_t>(value.toInteger()));
            return;
        case VarType::Long:
            out.i32(value.toLong());
            return;
        case VarType::Single:
            out.f32(value.toSingle());
            return;
        case VarType::Double:
            out.f64(value.toDouble());
            return;
        case VarType::Currency:
            out.i64(value.toCurrency().scaled);
            return;
        case VarType::Date:
            out.f64(value.toDate().serial);
            return;
        case VarType::String:
            out.text(value.isString() ? value.stringRef() : value.toString());
            return;
        case VarType::Object:
            encodeObject(out, value.toObject(), marshal);
            return;
        case VarType::Error:
            out.i32(value.toErrorCode());
            return;
        case VarType::Boolean:
            out.u8(value.toBool() ? 1 : 0);
            return;
        case VarType::Byte:
            out.u8(value.toByte());
            return;
        case VarType::Variant:
            break;
    }
    cannotSend("it has a type of its own");
}

void encodeAt(WireWriter& out, const Variant& value, ObjectMarshal& marshal, int depth);

void encodeArray(WireWriter& out, const Variant& value, ObjectMarshal& marshal, int depth) {
    if (depth >= kMaxNesting) cannotSend("arrays are nested too deeply");
    out.u8(value.isAllocatedArray() ? 1 : 0);
    if (!value.isAllocatedArray()) return;
    const SafeArray& array = value.arrayRef();
    out.u8(static_cast<std::uint8_t>(array.dimensions()));
    for (const SafeArray::Bound& bound : array.bounds()) {
        out.i32(bound.lower);
        out.u32(static_cast<std::uint32_t>(bound.count));
    }
    if (array.isBytes()) return out.bytes(array.bytes());
    if (array.size() > kMaxArrayItems) cannotSend("the array has too many elements");
    for (const Variant& item : array.items()) {
        if (array.elementType() == VarType::Variant)
            encodeAt(out, item, marshal, depth + 1);
        else
            encodeScalar(out, array.elementType(), item, marshal);
    }
}

void encodeAt(WireWriter& out, const Variant& value, ObjectMarshal& marshal, int depth) {
    out.u16(value.varType());
    if (value.isArray()) return encodeArray(out, value, marshal, depth);
    encodeScalar(out, value.type(), value, marshal);
}

// A marshal for values that must not hold objects (default values in class descriptions).
class NoObjects final : public ObjectMarshal {
  public:
    WireObject exportObject(const ObjectRef& object) override {
        if (object) cannotSend("a description holds an object");
        return {};
    }
    ObjectRef importObject(const WireObject& reference) override {
        if (reference.owner != ObjectOwner::Nothing) throw WireError("an object in a class description");
        return {};
    }
};

void encodeType(WireWriter& out, TypeDesc type) {
    out.u16(static_cast<std::uint16_t>(type.type));
    out.u8(type.isArray ? 1 : 0);
}

TypeDesc decodeType(WireReader& in) {
    const std::uint16_t type = in.u16();
    if (!isScalarType(type) && type != static_cast<std::uint16_t>(VarType::Variant))
        throw WireError("unknown type in a class description");
    return TypeDesc(static_cast<VarType>(type), in.flag());
}

}  // namespace

void encodeVariant(WireWriter& out, const Variant& value, ObjectMarshal& marshal) {
    encodeAt(out, value, marshal, 0);
}

Variant VariantDecoder::decodeAt(WireReader& in, int depth) {
    const std::uint16_t tag = in.u16();
    const std::uint16_t base = tag & ~vbArray;
    if (tag & vbArray) {
        if (!isElementType(base)) throw WireError("array of an unknown element type");
        if (depth >= kMaxNesting) throw WireError("arrays nested too deeply");
        return decodeArray(in, static_cast<VarType>(base), depth);
    }
    if (!isScalarType(base)) throw WireError("unknown variant type");
    return decodeScalar(in, static_cast<VarType>(base));
}

Variant VariantDecoder::decodeScalar(WireReader& in, VarType type) {
    switch (type) {
        case VarType::Empty:
            return Variant();
        case VarType::Null:
            return Variant::null();
        case VarType::Integer:
            return Variant(static_cast<std::int16_t>(in.u16()));
        case VarType::Long:
            return Variant(in.i32());
        case VarType::Single:
            return Variant(in.f32());
        case VarType::Double:
            return Variant(in.f64());
        case VarType::Currency:
            return Variant(Currency{in.i64()});
        case VarType::Date:
            return Variant(Date{in.f64()});
        case VarType::String:
            return Variant(in.text());
        case VarType::Error:
            return Variant::error(in.i32());
        case VarType::Boolean:
            return Variant(in.flag());
        case VarType::Byte:
            return Variant(in.u8());
        case VarType::Object:
            break;
        case VarType::Variant:
            throw WireError("a Variant element outside an array");
    }
    WireObject ref;
    const std::uint8_t owner = in.u8();
    if (owner > static_cast<std::uint8_t>(ObjectOwner::Receiver)) throw WireError("unknown object owner");
    ref.owner = static_cast<ObjectOwner>(owner);
    if (ref.owner != ObjectOwner::Nothing) ref.id = in.u32();
    if (ref.owner == ObjectOwner::Sender) {
        ref.classNumber = in.u32();
        if (ref.classNumber == 0) ref.typeName = in.text();
    }
    return Variant(m_marshal.importObject(ref));
}

Variant VariantDecoder::decodeArray(WireReader& in, VarType element, int depth) {
    if (!in.flag()) return Variant::unallocatedArray(element);
    const int dimensions = in.u8();
    if (dimensions > kMaxDimensions) throw WireError("too many array dimensions");
    std::vector<SafeArray::Bound> bounds(dimensions);
    std::uint64_t total = dimensions ? 1 : 0;
    for (SafeArray::Bound& bound : bounds) {
        bound.lower = in.i32();
        const std::uint32_t count = in.u32();
        if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
            static_cast<std::int64_t>(bound.lower) + count - 1 > std::numeric_limits<std::int32_t>::max())
            throw WireError("array bounds out of range");
        bound.count = static_cast<std::int32_t>(count);
        // Every element takes at least one byte, so a product larger than the rest of the frame is a lie.
        total *= count;
        if (total > in.remaining()) throw WireError("array larger than its frame");
    }
    if (element != VarType::Byte) {
        if (total > m_itemBudget) throw WireError("too many array elements in one frame");
        m_itemBudget -= total;
    }
    SafeArray array(element, std::move(bounds));
    if (array.isBytes()) {
        const std::span<const std::uint8_t> data = in.bytes(array.bytes().size());
        array.bytes().assign(data.begin(), data.end());
    } else {
        for (Variant& item : array.items())
            item = element == VarType::Variant ? decodeAt(in, depth + 1) : decodeScalar(in, element);
    }
    return Variant(std::move(array));
}

void encodeClassInfo(WireWriter& out, const ClassInfo& info) {
    NoObjects noObjects;
    out.text(info.name());
    out.u32(static_cast<std::uint32_t>(info.members().size()));
    for (const MemberInfo& member : info.members()) {
        out.text(member.name);
        out.u8(static_cast<std::uint8_t>(member.kind));
        out.u8(member.isDefault ? 1 : 0);
        encodeType(out, member.result);
        out.u32(static_cast<std::uint32_t>(member.params.size()));
        for (const ParamInfo& param : member.params) {
            out.text(param.name);
            encodeType(out, param.type);
            out.u8(param.byRef ? 1 : 0);
            out.u8(param.optional ? 1 : 0);
            encodeVariant(out, param.defaultValue, noObjects);
        }
    }
}

std::shared_ptr<const ClassInfo> decodeClassInfo(WireReader& in) {
    NoObjects noObjects;
    VariantDecoder values(noObjects);
    std::u16string name = in.text();
    const std::uint32_t memberCount = in.u32();
    if (memberCount > kMaxMembers) throw WireError("too many members in a class description");
    std::vector<MemberInfo> members(memberCount);
    for (MemberInfo& member : members) {
        member.name = in.text();
        const std::uint8_t kind = in.u8();
        if (kind > static_cast<std::uint8_t>(MemberKind::Event)) throw WireError("unknown member kind");
        member.kind = static_cast<MemberKind>(kind);
        member.isDefault = in.flag();
        member.result = decodeType(in);
        const std::uint32_t paramCount = in.u32();
        if (paramCount > kMaxParams) throw WireError("too many parameters in a class description");
        member.params.resize(paramCount);
        for (ParamInfo& param : member.params) {
            param.name = in.text();
            param.type = decodeType(in);
            param.byRef = in.flag();
            param.optional = in.flag();
            param.defaultValue = values.decode(in);
        }
    }
    try {
        return std::make_shared<const ClassInfo>(std::move(name), std::move(members));
    } catch (const std::logic_error& error) {
        throw WireError(std::string("inconsistent class description: ") + error.what());
    }
}

}  // namespace velmora::wire
