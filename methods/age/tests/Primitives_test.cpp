// The pieces the format is built from, against their published definitions: scrypt against RFC 7914's
// vectors and libsodium's scrypt, HKDF-SHA-256 against RFC 5869's vectors, and base64 that takes only the
// one canonical spelling of a value.
#include <gtest/gtest.h>
#include <sodium.h>

#include "AgesealTestSupport.h"
#include "Base64.h"
#include "Hkdf.h"
#include "Scrypt.h"

using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

Bytes hex(std::string_view digits) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16)));
    return bytes;
}

Bytes scryptOf(std::string_view password, std::string_view salt, ScryptCost cost, std::size_t length) {
    Bytes out(length);
    EXPECT_TRUE(scrypt(bytesOfText(password), bytesOfText(salt), cost, out));
    return out;
}

TEST(Scrypt, Rfc7914Vectors) {
    const struct {
        std::string_view password, salt;
        ScryptCost cost;
        Bytes key;
    } cases[] = {
        {"",
         "",
         {16, 1, 1},
         hex("77d6576238657b203b19ca42c18a0497f16b4844e3074ae8dfdffa3fede21442"
             "fcd0069ded0948f8326a753a0fc81f17e8d3e0fb2e0d3628cf35e20c38d18906")},
        {"password",
         "NaCl",
         {1024, 8, 16},
         hex("fdbabe1c9d3472007856e7190d01e9fe7c6ad7cbc8237830e77376634b373162"
             "2eaf30d92e22a3886ff109279d9830dac727afb94a83ee6d8360cbdfa2cc0640")},
        {"pleaseletmein",
         "SodiumChloride",
         {16384, 8, 1},
         hex("7023bdcb3afd7348461c06cd81fd38ebfda8fbba904f8e3ea9b543f6545da1f2"
             "d5432955613f0fcf62d49705242a9af9e61e85dc0d651e40dfcf017b45575887")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scryptOf(c.password, c.salt, c.cost, c.key.size()), c.key) << c.password;
}

// Every length of password, salt and key around the hash's block and output sizes, odd r and several p.
TEST(Scrypt, AgreesWithLibsodiumOnRandomInputs) {
    ASSERT_GE(sodium_init(), 0);
    std::mt19937 pick(7914);
    for (int round = 0; round < 40; ++round) {
        const Bytes password = randomBytes(pick() % 90, pick()), salt = randomBytes(pick() % 90, pick());
        const ScryptCost cost{std::uint64_t{2} << pick() % 10, static_cast<std::uint32_t>(1 + pick() % 9),
                              static_cast<std::uint32_t>(1 + pick() % 3)};
        Bytes ours(1 + pick() % 100), theirs(ours.size());
        const std::uint8_t none = 0;
        ASSERT_EQ(
            crypto_pwhash_scryptsalsa208sha256_ll(password.empty() ? &none : password.data(), password.size(),
                                                  salt.empty() ? &none : salt.data(), salt.size(), cost.n,
                                                  cost.r, cost.p, theirs.data(), theirs.size()),
            0);
        ASSERT_TRUE(scrypt(password, salt, cost, ours));
        EXPECT_EQ(ours, theirs) << "password " << password.size() << " salt " << salt.size() << " n "
                                << cost.n << " r " << cost.r << " p " << cost.p;
    }
}

TEST(Scrypt, RefusesCostsOutsideItsLimitsLeavingTheKeyUntouched) {
    const ScryptCost refused[] = {
        {0, 8, 1},
        {1, 8, 1},
        {3, 8, 1},
        {1000, 8, 1},  // not a power of two
        {16, 0, 1},
        {16, 1, 0},
        {16, 1 << 15, 1 << 15},          // r * p at 2^30
        {std::uint64_t{1} << 40, 8, 1},  // a petabyte: no such mapping
        {std::uint64_t{1} << 62, 8, 1},  // its size overflows
    };
    for (const ScryptCost& cost : refused) {
        Bytes key(32, 0xAA);
        EXPECT_FALSE(scrypt(bytesOfText("password"), bytesOfText("salt"), cost, key))
            << cost.n << " " << cost.r;
        EXPECT_EQ(key, Bytes(32, 0xAA));
    }
}

TEST(Hkdf, Rfc5869VectorsFirstBlock) {
    const Bytes ikm(22, 0x0b);
    const struct {
        Bytes salt;
        std::string info;
        Bytes okm;
    } cases[] = {
        // Test case 1.
        {hex("000102030405060708090a0b0c"), std::string("\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9"),
         hex("3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf")},
        // Test case 3: no salt, no info.
        {{}, "", hex("8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d")},
    };
    for (const auto& c : cases) {
        const velmora::argonbox::SecureBytes okm = hkdfSha256(ikm, c.salt, c.info);
        EXPECT_EQ(Bytes(okm.bytes().begin(), okm.bytes().end()), c.okm);
    }
}

TEST(Base64, OnlyTheCanonicalUnpaddedSpellingIsTaken) {
    const struct {
        const char* text;
        std::optional<Bytes> bytes;
    } cases[] = {
        {"", Bytes{}},          {"AA", Bytes{0}},     {"AAE", Bytes{0, 1}}, {"/+/+", Bytes{0xff, 0xef, 0xfe}},
        {"AB", std::nullopt},                          // unused bits set
        {"AAF", std::nullopt},                         // unused bits set
        {"AA==", std::nullopt},                        // padding
        {"A", std::nullopt},                           // no byte count gives one character
        {"AA A", std::nullopt},                        // white space
        {"AA\n", std::nullopt}, {"-_", std::nullopt},  // the URL alphabet
    };
    for (const auto& c : cases) EXPECT_EQ(fromBase64(c.text), c.bytes) << c.text;
    EXPECT_EQ(toBase64(Bytes{0, 1}), "AAE");
    EXPECT_EQ(fromPaddedBase64("AAE="), (Bytes{0, 1}));
    EXPECT_EQ(fromPaddedBase64("AAE"), std::nullopt);
    EXPECT_EQ(fromPaddedBase64("AAF="), std::nullopt);
}

}  // namespace
