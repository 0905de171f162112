// The wire format on its own: every kind of value survives a frame, class descriptions travel once, and
// malformed or mutated input ends in WireError and nothing worse.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>

#include "Frame.h"
#include "SampleClasses.h"
#include "WireCatalog.h"
#include "component/CallbackSink.h"
#include "runtime/Error.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::wire;

namespace {

// The payload of a frame: after the length prefix.
std::span<const std::uint8_t> payloadOf(const std::vector<std::uint8_t>& frame) {
    return std::span<const std::uint8_t>(frame).subspan(kLengthSize);
}

Variant twoDimensionalLongs() {
    SafeArray array(VarType::Long, {{-1, 2}, {5, 3}});
    for (std::int32_t i = 0; i < 6; ++i) array.items()[i] = Variant(i * 1000);
    return Variant(std::move(array));
}

Variant mixedVariants(const ObjectRef& object) {
    SafeArray array(VarType::Variant, {{0, 4}});
    array.items()[0] = Variant(u"text");
    array.items()[1] = Variant(std::vector<std::uint8_t>{1, 2, 3});
    array.items()[2] = Variant(object);
    array.items()[3] = twoDimensionalLongs();
    return Variant(std::move(array));
}

CallFrame callWith(std::vector<Variant> args) {
    return CallFrame{7, 3, InvokeMethod, u"Echo", std::move(args)};
}

// A hand-made payload: version, kind, no classes, then the body.
std::vector<std::uint8_t> payload(std::uint8_t kind, const std::function<void(WireWriter&)>& body,
                                  std::uint8_t version = kVersion) {
    WireWriter out;
    out.u8(version);
    out.u8(kind);
    out.u16(0);
    body(out);
    return std::move(out.buffer());
}

void callHead(WireWriter& out, std::uint32_t argCount) {
    out.u32(1);
    out.u32(1);
    out.u16(InvokeMethod);
    out.text(u"M");
    out.u32(argCount);
}

// A call with one argument written by hand.
std::vector<std::uint8_t> callWithArg(const std::function<void(WireWriter&)>& arg) {
    return payload(1, [&](WireWriter& out) {
        callHead(out, 1);
        arg(out);
    });
}

std::vector<std::uint8_t> textArg(std::vector<std::uint8_t> utf8) {
    return callWithArg([&](WireWriter& out) {
        out.u16(8);
        out.u32(static_cast<std::uint32_t>(utf8.size()));
        out.bytes(utf8);
    });
}

std::vector<std::uint8_t> arrayArg(std::uint16_t element,
                                   std::vector<std::pair<std::int32_t, std::uint32_t>> bounds) {
    return callWithArg([&](WireWriter& out) {
        out.u16(element | vbArray);
        out.u8(1);
        out.u8(static_cast<std::uint8_t>(bounds.size()));
        for (auto [lower, count] : bounds) {
            out.i32(lower);
            out.u32(count);
        }
        out.u8(0);  // one element's worth, far short of what the bounds claim
    });
}

}  // namespace

TEST(WireFormat, EveryKindOfValueSurvivesAFrame) {
    const ObjectRef described = makeObject<test::Sample>();
    const ObjectRef plain = makeObject<CallbackSink>(nullptr);
    const std::vector<Variant> values{
        Variant(),
        Variant::null(),
        Variant(std::int16_t{-32768}),
        Variant(std::int32_t{INT_MIN}),
        Variant(1.5f),
        Variant(-2.25e300),
        Variant(Currency{-922337203685477580}),
        Variant(Date{45000.75}),
        Variant(u""),
        Variant(u"Grüße, 東京 \U0001F600"),
        Variant(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)}),  // unpaired surrogates
        Variant::error(1234),
        Variant::missing(),
        Variant(true),
        Variant(false),
        Variant(std::uint8_t{255}),
        Variant(std::vector<std::uint8_t>{}),
        Variant(std::vector<std::uint8_t>{0, 1, 0x80, 0xFF}),
        Variant::unallocatedArray(VarType::Byte),
        Variant::unallocatedArray(VarType::String),
        Variant(SafeArray(VarType::String, {{1, 2}})),
        Variant(SafeArray(VarType::Boolean, {})),
        twoDimensionalLongs(),
        mixedVariants(described),
        Variant::nothing(),
        Variant(described),
        Variant(plain),
    };
    WireCatalog catalog;
    const std::vector<std::uint8_t> bytes = encodeFrame(callWith(values), catalog);
    const Frame frame = decodeFrame(payloadOf(bytes), catalog);
    const auto& call = std::get<CallFrame>(frame);
    EXPECT_EQ(call.callId, 7u);
    EXPECT_EQ(call.objectId, 3u);
    EXPECT_EQ(call.name, u"Echo");
    ASSERT_EQ(call.args.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(call.args[i].varType(), values[i].varType()) << i;
        EXPECT_TRUE(call.args[i] == values[i]) << i << ": " << toUtf8(typeName(values[i]));
    }
    EXPECT_FALSE(call.args[18].isAllocatedArray());
    EXPECT_TRUE(call.args[16].isAllocatedArray());
}

TEST(WireFormat, ByteArraysTravelAsRawBytes) {
    WireCatalog catalog;
    const std::vector<std::uint8_t> bytes =
        encodeFrame(callWith({Variant(std::vector<std::uint8_t>(100000, 0xAB))}), catalog);
    EXPECT_LT(bytes.size(), 100000u + 64u);
}

TEST(WireFormat, RepliesCarryChangedArgumentsOrTheError) {
    WireCatalog catalog;
    const ReplyFrame value{9, ValueReply{Variant(u"result"), {{2, Variant(5)}, {0, Variant(u"x")}}}};
    const Frame decodedValue = decodeFrame(payloadOf(encodeFrame(value, catalog)), catalog);
    const auto& result = std::get<ValueReply>(std::get<ReplyFrame>(decodedValue).outcome);
    EXPECT_TRUE(result.result == Variant(u"result"));
    ASSERT_EQ(result.changedArgs.size(), 2u);
    EXPECT_EQ(result.changedArgs[0].first, 2u);
    EXPECT_TRUE(result.changedArgs[1].second == Variant(u"x"));

    const ReplyFrame error{9, ErrorReply{vbObjectError + 5, u"Went wrong", u"Tally:Add", u"help.chm", 42}};
    const Frame decodedError = decodeFrame(payloadOf(encodeFrame(error, catalog)), catalog);
    const auto& failure = std::get<ErrorReply>(std::get<ReplyFrame>(decodedError).outcome);
    EXPECT_EQ(failure.number, vbObjectError + 5);
    EXPECT_EQ(failure.description, u"Went wrong");
    EXPECT_EQ(failure.source, u"Tally:Add");
    EXPECT_EQ(failure.helpFile, u"help.chm");
    EXPECT_EQ(failure.helpContext, 42);
}

TEST(WireFormat, AClassIsDescribedWithItsFirstReferenceOnly) {
    WireCatalog sender;
    const ObjectRef first = makeObject<test::Sample>();
    const ObjectRef second = makeObject<test::Sample>();
    decodeFrame(payloadOf(encodeFrame(callWith({Variant(first), Variant(second)}), sender)), sender);
    const std::vector<std::uint8_t> again = encodeFrame(callWith({Variant(first)}), sender);
    const std::vector<std::uint8_t> plain = encodeFrame(callWith({Variant(5)}), sender);
    ASSERT_EQ(sender.received().size(), 1u);
    EXPECT_LT(again.size(), plain.size() + 16);  // a reference, no description

    // The description gives the receiver the same lookups as the class's own table.
    const ClassInfo& original = test::Sample::describe();
    const ClassInfo& copy = *sender.received()[0];
    EXPECT_EQ(copy.name(), u"Sample");
    ASSERT_EQ(copy.members().size(), original.members().size());
    for (std::size_t i = 0; i < copy.members().size(); ++i) {
        const MemberInfo& a = original.members()[i];
        const MemberInfo& b = copy.members()[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.isDefault, b.isDefault);
        EXPECT_EQ(a.result, b.result);
        ASSERT_EQ(a.params.size(), b.params.size()) << toUtf8(a.name);
        for (std::size_t p = 0; p < a.params.size(); ++p) {
            EXPECT_EQ(a.params[p].byRef, b.params[p].byRef);
            EXPECT_EQ(a.params[p].optional, b.params[p].optional);
            EXPECT_TRUE(a.params[p].defaultValue == b.params[p].defaultValue);
        }
    }
    EXPECT_NE(copy.find(u"", InvokePropertyGet), nullptr);  // the default member
    EXPECT_NE(copy.findEvent(u"Progress"), nullptr);
}

TEST(WireFormat, FrameLengthsOutsideTheBoundsAreRefused) {
    const auto prefix = [](std::uint32_t length) {
        std::array<std::uint8_t, 4> bytes{std::uint8_t(length), std::uint8_t(length >> 8),
                                          std::uint8_t(length >> 16), std::uint8_t(length >> 24)};
        return payloadLength(std::span<const std::uint8_t, 4>(bytes));
    };
    EXPECT_THROW(prefix(0), WireError);
    EXPECT_THROW(prefix(3), WireError);
    EXPECT_THROW(prefix(kMaxFrameSize + 1), WireError);
    EXPECT_THROW(prefix(0xFFFFFFFF), WireError);
    EXPECT_EQ(prefix(4), 4u);
    EXPECT_EQ(prefix(kMaxFrameSize), kMaxFrameSize);
}

TEST(WireFormat, MalformedFramesAreRefused) {
    const auto nested = [](int depth) {
        return callWithArg([depth](WireWriter& out) {
            for (int i = 0; i < depth; ++i) {
                out.u16(static_cast<std::uint16_t>(VarType::Variant) | vbArray);
                out.u8(1);
                out.u8(1);
                out.i32(0);
                out.u32(1);
            }
            out.u16(0);
        });
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> payload;
    } cases[] = {
        {"empty", {}},
        {"other version", payload(
                              1, [](WireWriter& out) { callHead(out, 0); }, 2)},
        {"kind 0", payload(0, [](WireWriter&) {})},
        {"kind 6", payload(6, [](WireWriter&) {})},
        {"release of nothing", payload(3, [](WireWriter& out) { out.u32(1), out.u32(0); })},
        {"trailing byte", payload(3, [](WireWriter& out) { out.u32(1), out.u32(1), out.u8(0); })},
        {"call id 0",
         payload(1, [](WireWriter& out) { out.u32(0), out.u32(1), out.u16(1), out.text(u"M"), out.u32(0); })},
        {"invoke kind 0",
         payload(1, [](WireWriter& out) { out.u32(1), out.u32(1), out.u16(0), out.text(u"M"), out.u32(0); })},
        {"invoke kind 16",
         payload(1,
                 [](WireWriter& out) { out.u32(1), out.u32(1), out.u16(16), out.text(u"M"), out.u32(0); })},
        {"too many arguments", payload(1, [](WireWriter& out) { callHead(out, kMaxArguments + 1); })},
        {"argument count beyond the frame",
         payload(1, [](WireWriter& out) { callHead(out, 3), out.u16(0); })},
        {"text longer than the frame",
         payload(1, [](WireWriter& out) { out.u32(1), out.u32(1), out.u16(1), out.u32(50); })},
        {"invalid UTF-8 lead", textArg({0xFF})},
        {"overlong UTF-8", textArg({0xC0, 0x80})},
        {"beyond U+10FFFF", textArg({0xF4, 0x90, 0x80, 0x80})},
        {"truncated UTF-8", textArg({0xE2, 0x82})},
        {"bad continuation", textArg({0xE2, 0x28, 0xA1})},
        {"type 99", callWithArg([](WireWriter& out) { out.u16(99); })},
        {"Variant outside an array", callWithArg([](WireWriter& out) { out.u16(12); })},
        {"array of Empty", callWithArg([](WireWriter& out) { out.u16(vbArray), out.u8(0); })},
        {"stray type bits", callWithArg([](WireWriter& out) { out.u16(0x4003), out.i32(1); })},
        {"Boolean 2", callWithArg([](WireWriter& out) { out.u16(11), out.u8(2); })},
        {"allocated flag 2", callWithArg([](WireWriter& out) { out.u16(17 | vbArray), out.u8(2); })},
        {"count above 2^31", arrayArg(3, {{0, 0x80000000u}})},
        {"upper bound overflows", arrayArg(3, {{INT_MAX, 2}})},
        {"more elements than bytes", arrayArg(17, {{0, 1000}})},
        {"product overflows", arrayArg(2, {{0, 0x10000}, {0, 0x10000}, {0, 0x10000}})},
        {"61 dimensions", callWithArg([](WireWriter& out) { out.u16(17 | vbArray), out.u8(1), out.u8(61); })},
        {"nesting too deep", nested(kMaxNesting + 1)},
        {"owner 3", callWithArg([](WireWriter& out) { out.u16(9), out.u8(3), out.u32(1); })},
        {"unknown receiver object", callWithArg([](WireWriter& out) { out.u16(9), out.u8(2), out.u32(77); })},
        {"undescribed class",
         callWithArg([](WireWriter& out) { out.u16(9), out.u8(1), out.u32(1), out.u32(5); })},
        {"reply outcome 2", payload(2, [](WireWriter& out) { out.u32(1), out.u8(2); })},
        {"class with a member twice",
         [] {
             WireWriter out;
             out.u8(kVersion), out.u8(3), out.u16(1);
             out.text(u"Twice"), out.u32(2);
             for (int i = 0; i < 2; ++i)
                 out.text(u"Go"), out.u8(0), out.u8(0), out.u16(0), out.u8(0), out.u32(0);
             out.u32(1), out.u32(1);
             return std::move(out.buffer());
         }()},
        {"object default value",
         [] {
             WireWriter out;
             out.u8(kVersion), out.u8(3), out.u16(1);
             out.text(u"C"), out.u32(1), out.text(u"Go"), out.u8(0), out.u8(0), out.u16(0), out.u8(0),
                 out.u32(1);
             out.text(u"p"), out.u16(9), out.u8(0), out.u8(0), out.u8(1), out.u16(9), out.u8(1), out.u32(1),
                 out.u32(0);
             out.text(u"T");
             out.u32(1), out.u32(1);
             return std::move(out.buffer());
         }()},
    };
    for (const auto& bad : cases) {
        WireCatalog catalog;
        EXPECT_THROW(decodeFrame(bad.payload, catalog), WireError) << bad.what;
    }
    WireCatalog catalog;
    EXPECT_NO_THROW(decodeFrame(nested(kMaxNesting - 1), catalog));
}

// Every truncation and many corruptions of a rich frame: the decoder either accepts the result or
// refuses it with WireError; it never reads outside the frame or fails in another way.
TEST(WireFormat, MutatedFramesEndInWireErrorOrAFrame) {
    const ObjectRef object = makeObject<test::Sample>();
    WireCatalog sender;
    const std::vector<std::uint8_t> bytes = encodeFrame(
        callWith({mixedVariants(object), Variant(u"Grüße \U0001F600"), Variant(Currency{5}), Variant(true)}),
        sender);
    const std::span<const std::uint8_t> good = payloadOf(bytes);

    const auto attempt = [&](std::span<const std::uint8_t> input) {
        WireCatalog catalog = sender;  // knows the object's id, not yet its class
        try {
            decodeFrame(input, catalog);
        } catch (const WireError&) {
        } catch (const std::exception& other) {
            ADD_FAILURE() << "not a WireError: " << other.what();
        }
    };
    for (std::size_t length = 0; length < good.size(); ++length) {
        WireCatalog catalog = sender;
        EXPECT_THROW(decodeFrame(good.first(length), catalog), WireError) << length;
    }
    std::vector<std::uint8_t> mutated(good.begin(), good.end());
    for (std::size_t at = 0; at < mutated.size(); ++at) {
        for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
            mutated[at] ^= mask;
            attempt(mutated);
            mutated[at] ^= mask;
        }
    }
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> noise(good.begin(), good.end());
        for (int flips = 0; flips < 4; ++flips)
            noise[random() % noise.size()] = static_cast<std::uint8_t>(random());
        attempt(noise);
    }
}

TEST(WireFormat, FramesBeyondTheSizeBoundAreNotEncoded) {
    WireCatalog catalog;
    try {
        encodeFrame(callWith({Variant(std::vector<std::uint8_t>(kMaxFrameSize, 0))}), catalog);
        ADD_FAILURE() << "encoded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::OutOfMemory);
    }
}
