// The frames of the wire format (see WireFormat.h) as values, and their encoding and validated decoding.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "VariantCodec.h"
#include "component/ClassInfo.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora::wire {

struct CallFrame {
    std::uint32_t callId = 0;
    std::uint32_t objectId = 0;
    InvokeKind kind = InvokeMethod;
    std::u16string name;
    std::vector<Variant> args;
    bool post = false;  // answered only when it fails: its caller does not wait for it
};

struct ErrorReply {
    std::int32_t number = 0;
    std::u16string description;
    std::u16string source;
    std::u16string helpFile;
    std::int32_t helpContext = 0;
};

struct ValueReply {
    Variant result;
    std::vector<std::pair<std::uint32_t, Variant>> changedArgs;  // by position
};

struct ReplyFrame {
    std::uint32_t callId = 0;
    std::variant<ValueReply, ErrorReply> outcome;
};

struct ReleaseFrame {
    std::uint32_t objectId = 0;
    std::uint32_t count = 0;
};

struct CreateFrame {
    std::uint32_t callId = 0;
    std::u16string classId;
};

struct AdviseFrame {
    std::uint32_t objectId = 0;
    Variant sink;
};

using Frame = std::variant<CallFrame, ReplyFrame, ReleaseFrame, CreateFrame, AdviseFrame>;

// What a frame's class section needs from its connection, besides object references.
class ClassCatalog : public ObjectMarshal {
  public:
    // Classes that object references encoded since the last call were the first to mention.
    virtual std::vector<const ClassInfo*> takeNewClasses() = 0;
    // A class the peer describes; it takes the peer's next class number.
    virtual void defineClass(std::shared_ptr<const ClassInfo> info) = 0;

  protected:
    ~ClassCatalog() = default;
};

// The whole frame, length prefix included. RuntimeError when the frame would exceed kMaxFrameSize.
std::vector<std::uint8_t> encodeFrame(const Frame& frame, ClassCatalog& catalog);

// The frame after its length prefix. WireError for anything that does not follow the format.
Frame decodeFrame(std::span<const std::uint8_t> payload, ClassCatalog& catalog);

// The payload length a prefix announces; WireError when it is out of bounds.
std::uint32_t payloadLength(std::span<const std::uint8_t, kLengthSize> prefix);

}  // namespace velmora::wire
