// The guarded memory a Main lends its operations: wiped whenever it comes back, reused for the next
// operation, and never shared by two operations at once, not even when one starts from the other's
// progress handler.
#include <algorithm>

#include "AgesealTestSupport.h"
#include "Workspace.h"

using namespace velmora;
using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

bool allZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

TEST(Workspaces, ComeBackWipedAndAreLentAgainButNeverTwiceAtOnce) {
    Workspaces workspaces;
    std::vector<std::span<const std::uint8_t>> used;
    const Workspace* first = nullptr;
    {
        const auto work = workspaces.take();
        first = &*work;
        const auto password = work->password(u"p\u00e4ss");
        EXPECT_EQ(Bytes(password.begin(), password.end()), (Bytes{'p', 0xc3, 0xa4, 's', 's'}));
        used = {password,       work->fileKey(), work->payloadKey(),
                work->macKey(), work->chunk(0),  work->chunk(1)};
        for (const std::span<std::uint8_t> slot : std::initializer_list<std::span<std::uint8_t>>{
                 work->fileKey(), work->payloadKey(), work->macKey(), work->chunk(0), work->chunk(1)})
            std::fill(slot.begin(), slot.end(), 0xA5);
        ASSERT_FALSE(allZero(work->chunk(1)));
    }
    // The workspace is kept for the next operation: its memory is still there, and holds nothing.
    for (std::span<const std::uint8_t> slot : used) EXPECT_TRUE(allZero(slot));

    const auto again = workspaces.take();
    EXPECT_EQ(&*again, first);
    EXPECT_EQ(again->chunk(1).data(), used[5].data());  // the same pages, not mapped anew
    const auto meanwhile = workspaces.take();
    EXPECT_NE(&*meanwhile, first);
}

TEST_F(Ageseal, AnOperationStartedFromAProgressHandlerLeavesTheRunningOneIntact) {
    const Bytes outer = randomBytes(3 * kChunk + 5, 11), inner = randomBytes(2 * kChunk, 12);
    Bytes innerOpened;
    int nested = 0;
    // Midway through the outer file, after its first chunk: one sealing and one opening inside it, under
    // another passphrase (another run, so another file key) for the sealing.
    ObjectRef handler = makeObject<CallbackSink>([&](std::u16string_view name, std::span<Variant> args) {
        if (name != u"RaiseProgress" || args.empty() || args[0].toLong() == 0 || nested++) return;
        innerOpened = bytesOf(decryptByte(sealed(inner, u"inner"), u"inner"));
    });
    const Bytes outerSealed = sealed(outer);
    for (const char16_t* operation : {u"EncryptByte", u"DecryptByte"}) {
        nested = 0;
        const bool sealing = operation == std::u16string_view(u"EncryptByte");
        Variant in(sealing ? outer : outerSealed), k(std::u16string(u"pw")), h(handler);
        const Bytes result = bytesOf(call(m_main, operation, in, k, h));
        EXPECT_GT(nested, 0) << toUtf8(operation);
        EXPECT_EQ(innerOpened, inner) << toUtf8(operation);
        EXPECT_EQ(sealing ? bytesOf(decryptByte(result)) : result, outer) << toUtf8(operation);
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

}  // namespace
