// Encoding and decoding of whole frames.
#include "Frame.h"
#include "Overloaded.h"

#include "runtime/Error.h"

namespace velmora::wire {

namespace {

constexpr std::uint8_t kValueOutcome = 0;
constexpr std::uint8_t kErrorOutcome = 1;

FrameKind kindOf(const Frame& frame) {
    return std::visit(
        Overloaded{[](const CallFrame& call) { return call.post ? FrameKind::Post : FrameKind::Call; },
                   [](const ReplyFrame&) { return FrameKind::Reply; },
                   [](const ReleaseFrame&) { return FrameKind::Release; },
                   [](const CreateFrame&) { return FrameKind::Create; },
                   [](const AdviseFrame&) { return FrameKind::Advise; }},
        frame);
}

void encodeBody(WireWriter& out, const Frame& frame, ObjectMarshal& marshal) {
    std::visit(Overloaded{[&](const CallFrame& call) {
                              out.u32(call.callId);
                              out.u32(call.objectId);
                              out.u16(call.kind);
                              out.text(call.name);
                              out.u32(static_cast<std::uint32_t>(call.args.size()));
                              for (const Variant& arg : call.args) encodeVariant(out, arg, marshal);
                          },
                          [&](const ReplyFrame& reply) {
                              out.u32(reply.callId);
                              if (const auto* value = std::get_if<ValueReply>(&reply.outcome)) {
                                  out.u8(kValueOutcome);
                                  encodeVariant(out, value->result, marshal);
                                  out.u32(static_cast<std::uint32_t>(value->changedArgs.size()));
                                  for (const auto& [position, arg] : value->changedArgs) {
                                      out.u32(position);
                                      encodeVariant(out, arg, marshal);
                                  }
                              } else {
                                  const ErrorReply& error = std::get<ErrorReply>(reply.outcome);
                                  out.u8(kErrorOutcome);
                                  out.i32(error.number);
                                  out.text(error.description);
                                  out.text(error.source);
                                  out.text(error.helpFile);
                                  out.i32(error.helpContext);
                              }
                          },
                          [&](const ReleaseFrame& release) {
                              out.u32(release.objectId);
                              out.u32(release.count);
                          },
                          [&](const CreateFrame& create) {
                              out.u32(create.callId);
                              out.text(create.classId);
                          },
                          [&](const AdviseFrame& advise) {
                              out.u32(advise.objectId);
                              encodeVariant(out, advise.sink, marshal);
                          }},
               frame);
}

std::uint32_t callIdIn(WireReader& in) {
    const std::uint32_t id = in.u32();
    if (id == 0) throw WireError("call id 0");
    return id;
}

CallFrame decodeCall(WireReader& in, VariantDecoder& values) {
    CallFrame call;
    call.callId = callIdIn(in);
    call.objectId = in.u32();
    const std::uint16_t kind = in.u16();
    if (kind == 0 || kind > (InvokeMethod | InvokePropertyGet | InvokePropertyLet | InvokePropertySet))
        throw WireError("unknown invoke kind");
    call.kind = static_cast<InvokeKind>(kind);
    call.name = in.text();
    const std::uint32_t count = in.u32();
    if (count > kMaxArguments) throw WireError("too many arguments");
    call.args.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) call.args.push_back(values.decode(in));
    return call;
}

ReplyFrame decodeReply(WireReader& in, VariantDecoder& values) {
    ReplyFrame reply;
    reply.callId = callIdIn(in);
    const std::uint8_t outcome = in.u8();
    if (outcome == kValueOutcome) {
        ValueReply value;
        value.result = values.decode(in);
        const std::uint32_t count = in.u32();
        if (count > kMaxArguments) throw WireError("too many changed arguments");
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t position = in.u32();
            value.changedArgs.emplace_back(position, values.decode(in));
        }
        reply.outcome = std::move(value);
    } else if (outcome == kErrorOutcome) {
        ErrorReply error;
        error.number = in.i32();
        error.description = in.text();
        error.source = in.text();
        error.helpFile = in.text();
        error.helpContext = in.i32();
        reply.outcome = std::move(error);
    } else {
        throw WireError("unknown reply outcome");
    }
    return reply;
}

Frame decodeBody(FrameKind kind, WireReader& in, ObjectMarshal& marshal) {
    VariantDecoder values(marshal);
    switch (kind) {
        case FrameKind::Call:
            return decodeCall(in, values);
        case FrameKind::Post: {
            CallFrame post = decodeCall(in, values);
            post.post = true;
            return post;
        }
        case FrameKind::Reply:
            return decodeReply(in, values);
        case FrameKind::Release: {
            ReleaseFrame release{in.u32(), in.u32()};
            if (release.count == 0) throw WireError("release of no reference");
            return release;
        }
        case FrameKind::Create: {
            CreateFrame create;
            create.callId = callIdIn(in);
            create.classId = in.text();
            return create;
        }
        case FrameKind::Advise: {
            AdviseFrame advise;
            advise.objectId = in.u32();
            advise.sink = values.decode(in);
            return advise;
        }
    }
    throw WireError("unknown frame kind");
}

}  // namespace

std::vector<std::uint8_t> encodeFrame(const Frame& frame, ClassCatalog& catalog) {
    WireWriter body;
    encodeBody(body, frame, catalog);
    const std::vector<const ClassInfo*> classes = catalog.takeNewClasses();
    if (classes.size() > kMaxClassesPerFrame)
        raise(err::InvalidProcedureCall, u"Too many classes of objects in one call", {});

    WireWriter out;
    out.u32(0);  // the length, once known
    out.u8(kVersion);
    out.u8(static_cast<std::uint8_t>(kindOf(frame)));
    out.u16(static_cast<std::uint16_t>(classes.size()));
    for (const ClassInfo* info : classes) encodeClassInfo(out, *info);
    const std::size_t payload = out.size() - kLengthSize + body.size();
    if (payload > kMaxFrameSize)
        raise(err::OutOfMemory, u"The call's data exceed what can be passed to another process at once", {});
    out.bytes(body.buffer());
    out.patchU32(0, static_cast<std::uint32_t>(payload));
    return std::move(out.buffer());
}

Frame decodeFrame(std::span<const std::uint8_t> payload, ClassCatalog& catalog) {
    WireReader in(payload);
    if (in.u8() != kVersion) throw WireError("unsupported frame version");
    const std::uint8_t kind = in.u8();
    if (kind < static_cast<std::uint8_t>(FrameKind::Call) ||
        kind > static_cast<std::uint8_t>(FrameKind::Post))
        throw WireError("unknown frame kind");
    const std::uint16_t classCount = in.u16();
    if (classCount > kMaxClassesPerFrame) throw WireError("too many class descriptions");
    for (std::uint16_t i = 0; i < classCount; ++i) catalog.defineClass(decodeClassInfo(in));
    Frame frame = decodeBody(static_cast<FrameKind>(kind), in, catalog);
    in.expectEnd();
    return frame;
}

std::uint32_t payloadLength(std::span<const std::uint8_t, kLengthSize> prefix) {
    const std::uint32_t length = std::uint32_t(prefix[0]) | std::uint32_t(prefix[1]) << 8 |
                                 std::uint32_t(prefix[2]) << 16 | std::uint32_t(prefix[3]) << 24;
    if (length < 4 || length > kMaxFrameSize) throw WireError("frame length out of bounds");
    return length;
}

}  // namespace velmora::wire
