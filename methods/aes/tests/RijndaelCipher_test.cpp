// The block cipher on its own: tables, row shifts, known answers for every block and key length the
// general round structure serves, the bulk path against the general one, and the capacity faults.
#include "aes/RijndaelCipher.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <vector>

#include "BlockruneTestSupport.h"
#include "runtime/Error.h"
#include "testsupport/Errors.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// FIPS-197 figure 7.
const char kFipsSBox[] =
    "637c777bf26b6fc53001672bfed7ab76ca82c97dfa5947f0add4a2af9ca472c0b7fd9326363ff7cc34a5e5f171d8311504c7"
    "23c31896059a071280e2eb27b27509832c1a1b6e5aa0523bd6b329e32f8453d100ed20fcb15b6acbbe394a4c58cfd0efaafb"
    "434d338545f9027f503c9fa851a3408f929d38f5bcb6da2110fff3d2cd0c13ec5f974417c4a77e3d645d197360814fdc222a"
    "908846eeb814de5e0bdbe0323a0a4906245cc2d3ac629195e479e7c8376d8dd54ea96c56f4ea657aae08ba78252e1ca6b4c6"
    "e8dd741f4bbd8b8a703eb5664803f60e613557b986c11d9ee1f8981169d98e949b1e87e9ce5528df8ca1890dbfe6426841992d"
    "0fb054bb16";

RijndaelCipher& keyed(RijndaelCipher& cipher, int nb, int nk, const Bytes& key) {
    cipher.gentables();
    cipher.gkey(nb, nk, key);
    return cipher;
}

}  // namespace

TEST(RijndaelCipher, TablesAreTheStandardOnes) {
    RijndaelCipher cipher;
    cipher.gentables();
    const Bytes fips = hexBytes(kFipsSBox);
    ASSERT_EQ(fips.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(cipher.sBox()[i], fips[i]) << i;
        EXPECT_EQ(cipher.invSBox()[fips[i]], i) << i;
    }
    EXPECT_EQ(cipher.invSBox()[0x00], 0x52);
    const std::uint32_t rcon[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40,
                                  0x80, 0x1B, 0x36, 0x6C, 0xD8, 0xAB, 0x4D};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(cipher.roundConst()[i], rcon[i]) << i;

    // A second run rebuilds the same tables.
    const auto sBox = cipher.sBox();
    cipher.gentables();
    EXPECT_EQ(cipher.sBox(), sBox);
}

TEST(RijndaelCipher, RowShiftsOfA256BitBlock) {
    RijndaelCipher cipher;
    keyed(cipher, 8, 8, Bytes(32, 0));
    EXPECT_EQ(cipher.Nr(), 14);
    const auto& enc = cipher.encShift();
    const auto& dec = cipher.decShift();
    EXPECT_EQ((std::array{enc[0], enc[1], enc[2]}), (std::array<std::uint8_t, 3>{1, 3, 4}));
    EXPECT_EQ((std::array{enc[21], enc[22], enc[23]}), (std::array<std::uint8_t, 3>{0, 2, 3}));
    EXPECT_EQ((std::array{dec[0], dec[1], dec[2]}), (std::array<std::uint8_t, 3>{7, 5, 4}));
}

// FIPS-197 appendix C and the 256-bit-block value of the Rijndael proposal.
TEST(RijndaelCipher, KnownAnswersForEveryBlockAndKeyLength) {
    struct Vector {
        int nb, nk;
        const char* plain;
        const char* cipher;
    };
    const Vector vectors[] = {
        {4, 4, "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {4, 6, "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {4, 8, "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
        {8, 8, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
         "623d2bd4ca3796dc3d02ecf2f37fb637fd3da58509cebb67ab9265b04db51e7d"},
    };
    const Bytes key = hexBytes("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    for (const Vector& v : vectors) {
        RijndaelCipher cipher;
        keyed(cipher, v.nb, v.nk, Bytes(key.begin(), key.begin() + 4 * v.nk));
        Bytes block = hexBytes(v.plain);
        cipher.encrypt(block);
        EXPECT_EQ(block, hexBytes(v.cipher)) << v.nb << "/" << v.nk;
        cipher.decrypt(block);
        EXPECT_EQ(block, hexBytes(v.plain)) << v.nb << "/" << v.nk;
    }
}

TEST(RijndaelCipher, BulkPathAgreesWithTheGeneralRoundsAndWithLibmcrypt) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const Bytes key = randomBytes(32, seed);
        RijndaelCipher cipher;
        keyed(cipher, 8, 8, key);
        ASSERT_TRUE(cipher.hasBlockSchedule256());
        McryptOracle oracle(key);
        for (const Bytes& plain : {randomBytes(32, seed * 977), Bytes(32, 0x00), Bytes(32, 0xFF)}) {
            Bytes general = plain;
            cipher.encrypt(general);
            Bytes bulk = plain;
            cipher.encryptBlock256(bulk.data());
            EXPECT_EQ(bulk, general);
            EXPECT_EQ(bulk, oracle.encrypt(plain));
            cipher.decryptBlock256(bulk.data());
            EXPECT_EQ(bulk, plain);
            cipher.decrypt(general);
            EXPECT_EQ(general, plain);
        }
    }
}

namespace {

// Both block paths of the plug-in: the table always, the AES instructions where this processor has them.
std::vector<RijndaelCipher::BlockPath> blockPaths() {
    std::vector<RijndaelCipher::BlockPath> paths{RijndaelCipher::BlockPath::Table};
    if (RijndaelCipher::fastestPath() == RijndaelCipher::BlockPath::Instructions)
        paths.push_back(RijndaelCipher::BlockPath::Instructions);
    return paths;
}

}  // namespace

TEST(RijndaelCipher, BothBlockPathsGiveTheKnownAnswerAndLibmcryptsBytesForEveryKeyLength) {
    if (blockPaths().size() == 1) std::cout << "[ NOTE     ] no AES instructions here: the table path only\n";
    for (const auto path : blockPaths()) {
        RijndaelCipher known;
        keyed(known, 8, 8, hexBytes("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"));
        Bytes block = hexBytes("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
        known.encryptBlocks256(block.data(), 1, path);
        EXPECT_EQ(block, hexBytes("623d2bd4ca3796dc3d02ecf2f37fb637fd3da58509cebb67ab9265b04db51e7d"));

        for (const int nk : {4, 6, 8}) {
            for (std::uint32_t seed = 1; seed <= 8; ++seed) {
                const Bytes key = randomBytes(static_cast<std::size_t>(4 * nk), seed * 31 + nk);
                RijndaelCipher cipher;
                keyed(cipher, 8, nk, key);
                ASSERT_TRUE(cipher.hasBlockSchedule256());
                McryptOracle oracle(key);
                const Bytes plain = randomBytes(32 * (seed + 2), seed * 977 + nk);  // odd and even counts
                Bytes data = plain;
                cipher.encryptBlocks256(data.data(), data.size() / 32, path);
                EXPECT_EQ(data, oracle.encrypt(plain)) << "Nk " << nk << " seed " << seed;
                EXPECT_EQ(oracle.decrypt(data), plain);
                cipher.decryptBlocks256(data.data(), data.size() / 32, path);
                EXPECT_EQ(data, plain) << "Nk " << nk << " seed " << seed;
            }
        }
    }
}

TEST(RijndaelCipher, OnlyTheFirstBlockOfALongerBufferChanges) {
    RijndaelCipher cipher;
    keyed(cipher, 4, 4, Bytes(16, 7));
    Bytes buffer = randomBytes(40, 3);
    const Bytes before = buffer;
    cipher.encrypt(buffer);
    EXPECT_NE(Bytes(buffer.begin(), buffer.begin() + 16), Bytes(before.begin(), before.begin() + 16));
    EXPECT_EQ(Bytes(buffer.begin() + 16, buffer.end()), Bytes(before.begin() + 16, before.end()));
}

TEST(RijndaelCipher, CapacityFaultsAreSubscriptErrorsAfterTheLengthsAreSet) {
    struct Case {
        int nb, nk;
        std::size_t keyBytes;
        int error;
        int nr;  // Nr after the call
    };
    const Case cases[] = {
        {9, 8, 32, 9, 15},  // block longer than the state
        {8, 9, 36, 9, 15},  // key longer than the state: the schedule overruns 120 words
        {8, 8, 31, 9, 14},  // key shorter than 4·nk
        {4, 0, 32, 9, 10},  // no key words: the schedule reads before the key
        {4, -3, 32, 9, 10},
        {4, 1, 32, 9, 10},          // one key word needs more round constants than there are
        {2147483647, 8, 32, 6, 0},  // Nr overflows
    };
    for (const Case& c : cases) {
        RijndaelCipher cipher;
        cipher.gentables();
        EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.gkey(c.nb, c.nk, Bytes(c.keyBytes, 1)); }),
                  c.error)
            << c.nb << "/" << c.nk;
        EXPECT_EQ(cipher.Nb(), c.nb);
        EXPECT_EQ(cipher.Nk(), c.nk);
        if (c.error == 9) {
            EXPECT_EQ(cipher.Nr(), c.nr);
        }
        EXPECT_FALSE(cipher.hasBlockSchedule256());
    }
    // Lengths that describe no columns at all end (without looping for ever) and change nothing.
    for (auto [nb, nk] : {std::pair{0, 0}, std::pair{-1, 0}, std::pair{-6, -6}}) {
        RijndaelCipher cipher;
        cipher.gentables();
        EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.gkey(nb, nk, Bytes(32, 1)); }), 0) << nb;
        Bytes block(32, 5);
        cipher.encrypt(block);
        EXPECT_EQ(block, Bytes(32, 5));
    }
}

TEST(RijndaelCipher, AShortBufferFailsBeforeAnythingChanges) {
    RijndaelCipher cipher;
    keyed(cipher, 8, 8, Bytes(32, 9));
    Bytes shortBlock = randomBytes(31, 4);
    const Bytes before = shortBlock;
    EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.encrypt(shortBlock); }), 9);
    EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.decrypt(shortBlock); }), 9);
    EXPECT_EQ(shortBlock, before);

    // After a failed key setup the block length no longer fits the state either.
    EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.gkey(9, 8, Bytes(32, 1)); }), 9);
    Bytes block(36, 1);
    EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.encrypt(block); }), 9);
    EXPECT_EQ(block, Bytes(36, 1));
}

TEST(RijndaelCipher, WipeClearsBothExpandedKeys) {
    RijndaelCipher cipher;
    keyed(cipher, 8, 8, randomBytes(32, 5));
    cipher.wipe();
    for (std::uint32_t w : cipher.encKey()) ASSERT_EQ(w, 0u);
    for (std::uint32_t w : cipher.decKey()) ASSERT_EQ(w, 0u);
    EXPECT_FALSE(cipher.hasBlockSchedule256());
}

TEST(RijndaelCipher, TheHeldScheduleIsKnownByItsKeyAndGoesWithAWipeOrAFailedSetup) {
    RijndaelCipher cipher;
    const Bytes key = randomBytes(32, 6);
    EXPECT_FALSE(cipher.keyedWith(8, 8, key));  // nothing built yet
    keyed(cipher, 8, 8, key);
    EXPECT_TRUE(cipher.keyedWith(8, 8, key));
    Bytes otherKey = key;
    otherKey[31] ^= 1;
    EXPECT_FALSE(cipher.keyedWith(8, 8, otherKey));
    EXPECT_FALSE(cipher.keyedWith(8, 8, Bytes(key.begin(), key.end() - 1)));  // too short to be it
    EXPECT_FALSE(cipher.keyedWith(4, 8, key));
    EXPECT_FALSE(cipher.keyedWith(8, 4, key));

    // Building the tables again keeps the schedule and gives the same blocks.
    Bytes block = randomBytes(32, 7);
    Bytes again = block;
    cipher.encrypt(block);
    cipher.gentables();
    EXPECT_TRUE(cipher.keyedWith(8, 8, key));
    cipher.encrypt(again);
    EXPECT_EQ(again, block);

    EXPECT_EQ(velmora::test::errorNumberOf([&] { cipher.gkey(8, 8, Bytes(31, 1)); }), 9);
    EXPECT_FALSE(cipher.keyedWith(8, 8, key));
    keyed(cipher, 8, 8, key);
    cipher.wipe();
    EXPECT_FALSE(cipher.keyedWith(8, 8, key));
}
