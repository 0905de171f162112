// The frames component servers and their clients exchange over one stream socket.
//
//   frame  = length:u32  version:u8  kind:u8  classCount:u16  class*  body
//
// Integers are little-endian; length counts the bytes after itself and is bounded by kMaxFrameSize.
// Each frame first describes the classes of objects it is the first on its connection to mention (each
// side numbers the classes it describes 1, 2, ... in order), then carries its body:
//
//   Call    callId:u32  objectId:u32  invokeKind:u16  name:text  argCount:u32  variant*
//   Reply   callId:u32  0:u8  result:variant  changedCount:u32  (index:u32 variant)*
//           callId:u32  1:u8  number:i32  description:text  source:text  helpFile:text  helpContext:i32
//   Release objectId:u32  count:u32       (no reply: the peer has dropped count references)
//   Create  callId:u32  classId:text      (answered by a Reply whose result is the new object)
//   Advise  objectId:u32  sink:variant    (no reply: connect the sink to the object's events)
//   Post    as Call                       (answered only by an error Reply, when the member fails)
//
// Text is a u32 byte count and UTF-8, generalised so that an unpaired surrogate of the UTF-16 original
// survives the trip. A variant is its VarType number (with vbArray for arrays) and its value; arrays
// carry their bounds and their elements, byte arrays as raw bytes. An object reference names an object
// of the sender (with its class, or its type name when it has no member table) or one the receiver
// exported earlier, by the id its owner gave it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace velmora::wire {

constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kLengthSize = 4;
// Large enough for the byte arrays the suite hands between processes, small enough that a corrupt length
// cannot make the receiver reserve gigabytes.
constexpr std::uint32_t kMaxFrameSize = 64u << 20;
constexpr int kMaxNesting = 32;  // arrays inside Variant arrays
constexpr std::uint32_t kMaxArguments = 1024;
constexpr int kMaxDimensions = 60;
constexpr std::uint32_t kMaxMembers = 4096;
constexpr std::uint32_t kMaxParams = 256;
constexpr std::uint16_t kMaxClassesPerFrame = 1024;
// Elements of arrays other than byte arrays, over a whole frame.
constexpr std::size_t kMaxArrayItems = 1u << 20;

enum class FrameKind : std::uint8_t { Call = 1, Reply = 2, Release = 3, Create = 4, Advise = 5, Post = 6 };

enum class ObjectOwner : std::uint8_t { Nothing = 0, Sender = 1, Receiver = 2 };

// Input that does not follow the format: the connection it came from cannot be trusted any more.
class WireError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace velmora::wire
