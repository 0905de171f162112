// The guarded memory a Main lends its operations: wiped whenever it comes back, reused for the next
// operation, and never shared by two operations at once, not even when one starts from the other's
// progress handler.
#include <algorithm>

#include "ArgonboxTestSupport.h"
#include "Workspace.h"

using namespace velmora;
using namespace velmora::argonbox;
using namespace velmora::argonbox::testing;

namespace {

bool allZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

TEST(Workspaces, ComeBackWipedAndAreLentAgainButNeverTwiceAtOnce) {
    Workspaces workspaces;
    const Bytes key = randomBytes(kKeyBytes, 7);
    std::span<const std::uint8_t> password, heldKey, state;
    std::span<std::uint8_t> chunk;
    const Workspace* first = nullptr;
    {
        const auto work = workspaces.take();
        first = &*work;
        password = work->password(u"p\u00e4ss");
        EXPECT_EQ(Bytes(password.begin(), password.end()), (Bytes{'p', 0xc3, 0xa4, 's', 's'}));
        work->holdKey(key);
        heldKey = work->key();
        EXPECT_EQ(Bytes(heldKey.begin(), heldKey.end()), key);
        std::array<std::uint8_t, kStreamHeaderBytes> header{};
        crypto_secretstream_xchacha20poly1305_init_push(&work->stream(), header.data(), heldKey.data());
        state = {reinterpret_cast<const std::uint8_t*>(&work->stream()), sizeof(StreamState)};
        chunk = work->chunk(kChunk);
        std::fill(chunk.begin(), chunk.end(), 0xA5);
        ASSERT_FALSE(allZero(state));
    }
    // The workspace is kept for the next operation: its memory is still there, and holds nothing.
    EXPECT_TRUE(allZero(password) && allZero(heldKey) && allZero(state) && allZero(chunk));

    const auto again = workspaces.take();
    EXPECT_EQ(&*again, first);
    EXPECT_EQ(again->chunk(kChunk).data(), chunk.data());  // the same pages, not mapped anew
    const auto meanwhile = workspaces.take();
    EXPECT_NE(&*meanwhile, first);
}

TEST_F(Argonbox, AnOperationStartedFromAProgressHandlerLeavesTheRunningOneIntact) {
    const Bytes outer = randomBytes(3 * kChunk + 5, 11), inner = randomBytes(2 * kChunk, 12);
    Bytes innerSealed, innerOpened;
    int nested = 0;
    // Midway through the outer container, at its second chunk: one sealing and one opening inside it.
    ObjectRef handler = makeObject<CallbackSink>([&](std::u16string_view name, std::span<Variant> args) {
        if (name != u"RaiseProgress" || args.empty() || args[0].toLong() == 0 || nested++) return;
        innerSealed = sealed(inner);
        innerOpened = bytesOf(decryptByte(innerSealed));
    });
    for (const char16_t* operation : {u"EncryptByte", u"DecryptByte"}) {
        nested = 0;
        const Bytes input = operation == std::u16string_view(u"EncryptByte") ? outer : sealed(outer);
        Variant in(input), k(std::u16string(u"pw")), h(handler);
        const Bytes result = bytesOf(call(m_main, operation, in, k, h));
        EXPECT_GT(nested, 0) << toUtf8(operation);
        EXPECT_EQ(innerOpened, inner) << toUtf8(operation);
        EXPECT_EQ(operation == std::u16string_view(u"EncryptByte") ? bytesOf(decryptByte(result)) : result,
                  outer)
            << toUtf8(operation);
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

}  // namespace
