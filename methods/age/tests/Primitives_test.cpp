// The pieces the format is built from, against their published definitions: HKDF-SHA-256 against RFC
// 5869's vectors, and base64 that takes only the one canonical spelling of a value.
#include <gtest/gtest.h>

#include "AgesealTestSupport.h"
#include "Base64.h"
#include "Hkdf.h"

using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

Bytes hex(std::string_view digits) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16)));
    return bytes;
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
