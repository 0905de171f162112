#include "runtime/nativenames.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/text.h"

namespace velmora {
namespace {

TEST(NativeNamesTest, EveryByteStringComesBackUnchanged) {
    for (int byte = 1; byte < 256; ++byte) {
        const std::string name(1, static_cast<char>(byte));
        ASSERT_EQ(toUtf8(fromNativeName(name)), name) << byte;
    }
    std::mt19937 random(12);
    for (int round = 0; round < 20000; ++round) {
        std::string name(random() % 12, '\0');
        // Bias towards the bytes of multi-byte sequences, where valid and invalid meet.
        for (auto& c : name) c = static_cast<char>(random() % 4 ? 0x80 + random() % 0x80 : random() % 0x80);
        ASSERT_EQ(toUtf8(fromNativeName(name)), name);
    }
}

TEST(NativeNamesTest, ValidUtf8DecodesAsUsualAndBadBytesAreEscaped) {
    EXPECT_EQ(fromNativeName("caf\xc3\xa9 \xf0\x9f\x98\x80"), u"café 😀");
    EXPECT_EQ(fromNativeName("caf\xe9"), u"caf\xDCE9");
    // Overlong forms and encoded surrogates are not valid: each byte is escaped.
    EXPECT_EQ(fromNativeName("\xc0\xaf"), u"\xDCC0\xDCAF");
    EXPECT_EQ(fromNativeName("\xed\xb2\x80"), u"\xDCED\xDCB2\xDC80");
    // Plain decoding still replaces.
    EXPECT_EQ(fromUtf8("caf\xe9"), u"caf\xFFFD");
}

TEST(NativeNamesTest, OtherLoneSurrogatesStillBecomeReplacements) {
    EXPECT_EQ(toUtf8(u"\xD800"), "\xef\xbf\xbd");
    EXPECT_EQ(toUtf8(u"\xDC7F"), "\xef\xbf\xbd");
    EXPECT_EQ(toUtf8(u"\xDD00"), "\xef\xbf\xbd");
    EXPECT_EQ(toUtf8(u"\xD83D\xDE00"), "\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace velmora
