// Our Argon2id against RFC 9106's vector (four lanes, a secret and associated data) and against
// libsodium's crypto_pwhash, with every compression kernel this processor runs; the limits libsodium
// refuses are refused the same way; the working memory is wiped-on-release huge-page memory.
#include <gtest/gtest.h>
#include <sodium.h>

#include <fstream>
#include <random>
#include <string>

#include "Argon2id.h"
#include "ArgonboxTestSupport.h"
#include "StreamKey.h"
#include "argon/HugePageMemory.h"
#include "runtime/Error.h"

using namespace velmora;
using namespace velmora::argonbox;
using namespace velmora::argonbox::testing;

namespace {

Bytes libsodiums(const Bytes& password, const Bytes& salt, std::uint32_t passes, std::size_t memoryBytes,
                 std::size_t length) {
    Bytes out(length);
    const char* text = password.empty() ? "" : reinterpret_cast<const char*>(password.data());
    EXPECT_EQ(crypto_pwhash(out.data(), out.size(), text, password.size(), salt.data(), passes, memoryBytes,
                            crypto_pwhash_ALG_ARGON2ID13),
              0);
    return out;
}

Bytes ours(const Bytes& password, const Bytes& salt, std::uint32_t passes, std::size_t memoryBytes,
           std::size_t length) {
    Bytes out(length);
    argon2id(out, password, std::span<const std::uint8_t, kSaltBytes>(salt.data(), kSaltBytes), passes,
             memoryBytes);
    return out;
}

TEST(Argon2id, Rfc9106VectorWithEveryKernel) {
    const Bytes password(32, 1), salt(16, 2), secret(8, 3), associated(12, 4);
    const Bytes tag = hexBytes("0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");
    for (const Argon2Compression& kernel : argon2Compressions()) {
        Bytes out(32);
        ASSERT_TRUE(argon2id({password, salt, secret, associated}, {3, 32, 4}, out, kernel));
        EXPECT_EQ(out, tag) << kernel.name;
    }
}

// Passwords of every length up to past a BLAKE2b block, NUL bytes among them; few blocks of memory, so
// that the first pass's address blocks, the wrap of later passes and memory not a multiple of four
// blocks all occur; outputs on both sides of H''s 64-byte step.
TEST(Argon2id, AgreesWithLibsodiumOnRandomInputsWithEveryKernel) {
    ASSERT_GE(sodium_init(), 0);
    std::mt19937 pick(9106);
    for (int round = 0; round < 60; ++round) {
        Bytes password = randomBytes(pick() % 150, pick());
        if (!password.empty()) password[pick() % password.size()] = 0;
        const Bytes salt = randomBytes(16, pick());
        const std::uint32_t passes = 1 + pick() % 4;
        const std::size_t memoryBytes = 8192 + pick() % (600 * 1024);
        const std::size_t length = 16 + pick() % 180;
        const Bytes expected = libsodiums(password, salt, passes, memoryBytes, length);
        for (const Argon2Compression& kernel : argon2Compressions()) {
            Bytes out(length);
            ASSERT_TRUE(argon2id({password, salt, {}, {}},
                                 {passes, static_cast<std::uint32_t>(memoryBytes / 1024), 1}, out, kernel));
            EXPECT_EQ(out, expected) << kernel.name << ": password " << password.size() << " t " << passes
                                     << " m " << memoryBytes << " out " << length;
        }
    }
}

TEST(Argon2id, AgreesWithLibsodiumOnTheFormatsOwnParameters) {
    const Parameters format = Parameters::defaults();
    const Bytes password = {'p', 'w', 0, 'x'}, salt = randomBytes(16, 3);
    EXPECT_EQ(ours(password, salt, format.opsLimit, std::size_t{format.memoryKiB} * 1024, kKeyBytes),
              libsodiums(password, salt, format.opsLimit, std::size_t{format.memoryKiB} * 1024, kKeyBytes));
}

// What libsodium refuses gives error 7 and a zeroed key here; our own entry refuses without touching.
TEST(Argon2id, RefusesWhatLibsodiumRefuses) {
    const Bytes salt(16, 5), password = {'p', 'w'};
    const struct {
        const char* what;
        std::size_t length;
        std::uint32_t passes;
        std::size_t memoryBytes;
    } refused[] = {
        {"15 bytes out", 15, 1, 8192},
        {"no pass", 32, 0, 8192},
        {"one byte under 8 KiB", 32, 1, 8191},
    };
    for (const auto& c : refused) {
        Bytes theirs(c.length), out(c.length, 0xAA);
        EXPECT_NE(crypto_pwhash(theirs.data(), theirs.size(), "pw", 2, salt.data(), c.passes, c.memoryBytes,
                                crypto_pwhash_ALG_ARGON2ID13),
                  0)
            << c.what;
        try {
            argon2id(out, password, std::span<const std::uint8_t, kSaltBytes>(salt.data(), kSaltBytes),
                     c.passes, c.memoryBytes);
            ADD_FAILURE() << c.what;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::OutOfMemory) << c.what;
        }
        EXPECT_EQ(out, Bytes(c.length, 0)) << c.what;
    }
    const Argon2Cost costs[] = {{0, 32, 1}, {1, 32, 0}, {1, 31, 4}, {1, 64, 1u << 24}};
    for (const Argon2Cost& cost : costs) {
        Bytes out(32, 0xAA);
        EXPECT_FALSE(argon2id({password, salt, {}, {}}, cost, out));
        EXPECT_EQ(out, Bytes(32, 0xAA));
    }
    Bytes shortOut(15, 0xAA);
    EXPECT_FALSE(argon2id({password, salt, {}, {}}, {1, 8, 1}, shortOut));
}

// Memory the system will not give (4 TiB, libsodium's largest limit) is error 7, as libsodium's failure
// was, unless the system grants any mapping at all.
TEST(Argon2id, MemoryThatCannotBeHadIsErrorSeven) {
    std::ifstream overcommit("/proc/sys/vm/overcommit_memory");
    int policy = 1;
    overcommit >> policy;
    if (policy == 1) GTEST_SKIP() << "the system grants any mapping";
    const Bytes salt(16, 6);
    Bytes out(32, 0xAA);
    try {
        argon2id(out, Bytes{'p', 'w'}, std::span<const std::uint8_t, kSaltBytes>(salt.data(), kSaltBytes), 1,
                 crypto_pwhash_argon2id_MEMLIMIT_MAX);
        ADD_FAILURE() << "derived";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::OutOfMemory);
    }
    EXPECT_EQ(out, Bytes(32, 0));
}

// Zeros, aligned to a huge page once it spans one, and offered to the system's huge pages.
TEST(HugePageMemory, ZeroedAlignedAndEligibleForHugePages) {
    for (const std::size_t bytes : {std::size_t{8192}, std::size_t{5} << 20}) {
        const HugePageMemory memory(bytes);
        ASSERT_NE(memory.data(), nullptr);
        const auto* data = static_cast<const std::uint8_t*>(memory.data());
        EXPECT_EQ(std::count(data, data + bytes, 0), static_cast<std::ptrdiff_t>(bytes));
        if (bytes < HugePageMemory::kHugePage) continue;
        const auto address = reinterpret_cast<std::uintptr_t>(data);
        EXPECT_EQ(address % HugePageMemory::kHugePage, 0u);
        std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
        std::string modes((std::istreambuf_iterator<char>(mode)), {});
        if (modes.empty() || modes.find("[never]") != std::string::npos) continue;
        // The mapping's own entry in smaps says whether the kernel may back it with huge pages.
        std::ifstream smaps("/proc/self/smaps");
        std::string line;
        bool inside = false, eligible = false;
        while (std::getline(smaps, line)) {
            unsigned long from = 0, to = 0;
            if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2)
                inside = from <= address && address < to;
            if (inside && line.starts_with("THPeligible:") && line.back() == '1') eligible = true;
        }
        EXPECT_TRUE(eligible);
    }
}

// The thread that maps the memory in ahead never writes: what the caller writes from the first moment,
// on the pages it is mapping at that very moment, stays.
TEST(HugePageMemory, WritesFromTheFirstMomentStayWhileItIsMappedAhead) {
    const std::size_t bytes = 4 * HugePageMemory::kMappedAhead;
    const HugePageMemory memory(bytes);
    ASSERT_NE(memory.data(), nullptr);
    auto* data = static_cast<std::uint8_t*>(memory.data());
    const auto mark = [](std::size_t at) { return static_cast<std::uint8_t>(at >> 12 | 1); };
    for (std::size_t at = 0; at < bytes; at += 4096) data[at] = mark(at);
    for (std::size_t at = 0; at < bytes; at += 4096) ASSERT_EQ(data[at], mark(at)) << at;
}

}  // namespace
