// The encodings the SMTP client builds its messages from: base64 against coreutils' base64 as an
// independent oracle, the binary-digit helpers against the direct encoder, the 16-bit list counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "MailTestSupport.h"
#include "base64.h"
#include "mail/EmailObject.h"
#include "mail/cSMTP.h"
#include "runtime/Error.h"

using namespace velmora;
using namespace velmora::test;

namespace {

// What `base64 -w 68` prints for the file, with its line ends made CR LF.
std::string coreutilsBase64(const std::string& path) {
    std::string text;
    FILE* pipe = popen(("base64 -w 68 '" + path + "'").c_str(), "r");
    if (!pipe) return text;
    char buffer[1 << 16];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 68 * 2);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

class Mime : public MailTest {};

}  // namespace

TEST_F(Mime, AttachmentLinesMatchCoreutilsForEverySizeAroundALine) {
    Ref<cSMTP> smtp = makeObject<cSMTP>();
    std::mt19937 random(7);
    for (std::size_t size : {0, 1, 2, 3, 4, 50, 51, 52, 101, 102, 103, 1000, 4096}) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const std::string path = writeFile("data.bin", bytes);
        EXPECT_EQ(toUtf8(smtp->EncodeBase64(fromUtf8(path))), coreutilsBase64(path));
    }
}

TEST_F(Mime, Base64EncodeBreaksEveryGivenNumberOfCharacters) {
    Ref<cSMTP> smtp = makeObject<cSMTP>();
    struct Case {
        std::u16string text;
        std::int16_t breakEvery;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"", 0, u""},
        {u"a", 0, u"YQ=="},
        {u"ab", 0, u"YWI="},
        {u"abc", 0, u"YWJj"},
        {u"mailer", 0, u"bWFpbGVy"},
        {u"mailer", 4, u"bWFp\r\nbGVy"},
        {u"mailer", 3, u"bWF\r\npbG\r\nVy"},
        {u"mailer", 100, u"bWFpbGVy"},
        {u"\u00e9", 0, u"w6k="},  // the ANSI code page here is UTF-8
    };
    for (const Case& c : cases)
        EXPECT_EQ(smtp->Base64Encode(c.text, c.breakEvery), c.expected) << toUtf8(c.text);
}

TEST_F(Mime, TheBinaryDigitHelpersGiveTheSameBase64) {
    Ref<cSMTP> smtp = makeObject<cSMTP>();
    const std::u16string alphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int a = 0; a < 256; a += 5) {
        for (int b : {0, 1, 127, 128, 255}) {
            const int c = (a * 7 + b) % 256;
            std::u16string s1, s2, s3, s4;
            smtp->Bin3x8To4x6(smtp->Base10ToBinary(a), smtp->Base10ToBinary(b), smtp->Base10ToBinary(c), s1,
                              s2, s3, s4);
            std::u16string viaDigits;
            for (const auto& six : {s1, s2, s3, s4}) viaDigits += alphabet[smtp->BinaryToBase10(six)];
            const std::string bytes{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
            EXPECT_EQ(toUtf8(viaDigits), mail::base64(bytes));
            std::u16string e1, e2, e3;
            smtp->Bin4x6To3x8(s1, s2, s3, s4, e1, e2, e3);
            EXPECT_EQ(smtp->BinaryToBase10(e1), a);
            EXPECT_EQ(smtp->BinaryToBase10(e2), b);
            EXPECT_EQ(smtp->BinaryToBase10(e3), c);
        }
    }
    EXPECT_EQ(smtp->Base10ToBinary(0), u"0");
    EXPECT_EQ(smtp->Base10ToBinary(5), u"101");
    EXPECT_EQ(smtp->BinaryToBase10(u""), 0);
    EXPECT_THROW(smtp->BinaryToBase10(u"1" + std::u16string(32, u'0')), RuntimeError);
}

TEST_F(Mime, TheListsOverflowAtThe32768thAddition) {
    Ref<EmailObject> email = makeObject<EmailObject>();
    for (int i = 0; i < 32767; ++i) email->AddRecipient(u"a@example.test", u"A", 1);
    EXPECT_EQ(email->RecipientCount(), 32767);
    try {
        email->AddRecipient(u"a@example.test", u"A", 1);
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
    EXPECT_EQ(email->RecipientCount(), 32767);
    email->setMapiAccount(u"account");
    email->setUserName(u"user");
    EXPECT_EQ(email->MapiAccount(), u"account");
    EXPECT_EQ(email->UserName(), u"user");
    EXPECT_EQ(email->DeliveryType(), Default);
}

TEST_F(Mime, Base64Of100MegabytesAgainstCoreutils) {
    const std::size_t size = 100u << 20;
    std::string bytes(size, '\0');
    std::mt19937_64 random(11);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(bytes.data() + i, &value, 8);
    }
    const std::string path = writeFile("big.bin", bytes);
    // Best of two rounds each, alternating, so that a busy machine weighs on both alike.
    double oursSeconds = 1e9;
    double peerSeconds = 1e9;
    std::string ours;
    for (int round = 0; round < 2; ++round) {
        const auto start = std::chrono::steady_clock::now();
        ours = mail::base64Lines(bytes);
        oursSeconds = std::min(
            oursSeconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        const auto peerStart = std::chrono::steady_clock::now();
        EXPECT_EQ(std::system(("base64 -w 68 '" + path + "' > /dev/null").c_str()), 0);
        peerSeconds = std::min(
            peerSeconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - peerStart).count());
    }
    EXPECT_EQ(ours.size(), (size + 2) / 3 * 4 + (size + 50) / 51 * 2);
    std::printf("[ figures ] base64 of 100 MB in 68-character lines: %.0f MB/s; base64 -w 68: %.0f MB/s\n",
                100 / oursSeconds, 100 / peerSeconds);
    std::filesystem::remove(path);
}
