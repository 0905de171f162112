// Variants and class descriptions in the wire encoding (see WireFormat.h). Object references go through
// an ObjectMarshal, which the connection implements with its tables of exported and imported objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "WireFormat.h"
#include "WireReader.h"
#include "WireWriter.h"
#include "component/ClassInfo.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora::wire {

// An object reference as it travels.
struct WireObject {
    ObjectOwner owner = ObjectOwner::Nothing;
    std::uint32_t id = 0;
    std::uint32_t classNumber = 0;  // the sender's objects: its class description, 0 when it has none
    std::u16string typeName;        // ... and then the object's type name instead
};

class ObjectMarshal {
  public:
    // The reference that stands for object (Nothing included) on the wire.
    virtual WireObject exportObject(const ObjectRef& object) = 0;
    // The object a received reference stands for; WireError for a reference that names nothing.
    virtual ObjectRef importObject(const WireObject& reference) = 0;

  protected:
    ~ObjectMarshal() = default;
};

// Errors of a value that cannot travel (a frame too large, nesting too deep) are RuntimeErrors, raised
// before anything is sent.
void encodeVariant(WireWriter& out, const Variant& value, ObjectMarshal& marshal);

// Reads variants of one frame. The item budget bounds what a frame of bounded size can make the receiver
// allocate: each decoded array element costs far more memory than its smallest wire form.
class VariantDecoder {
  public:
    explicit VariantDecoder(ObjectMarshal& marshal) noexcept : m_marshal(marshal) {}
    Variant decode(WireReader& in) { return decodeAt(in, 0); }

  private:
    Variant decodeAt(WireReader& in, int depth);
    Variant decodeArray(WireReader& in, VarType element, int depth);
    Variant decodeScalar(WireReader& in, VarType type);

    ObjectMarshal& m_marshal;
    std::size_t m_itemBudget = kMaxArrayItems;
};

void encodeClassInfo(WireWriter& out, const ClassInfo& info);
std::shared_ptr<const ClassInfo> decodeClassInfo(WireReader& in);

}  // namespace velmora::wire
