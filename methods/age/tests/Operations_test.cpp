// The byte, string and file operations by name on a Main of a cheap work factor: round trips at the chunk
// edges, the header as the format writes it, one key for a run, every kind of damage refused with the
// destination untouched, and the progress reports.
#include <sodium.h>

#include <algorithm>
#include <regex>

#include "AgesealTestSupport.h"
#include "FileKeys.h"
#include "Hkdf.h"
#include "SealedInput.h"
#include "argon/Streams.h"

using namespace velmora;
using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

const std::size_t kSizes[] = {0, 1, kChunk - 1, kChunk, kChunk + 1, 2 * kChunk, 3 * kChunk + 5};

std::string textOfFile(const Bytes& file) {
    return std::string(file.begin(), file.end());
}

// The file with the first `from` in its header replaced by `to`.
Bytes edited(const Bytes& file, const std::string& from, const std::string& to) {
    std::string text = textOfFile(file);
    const std::size_t at = text.find(from);
    EXPECT_LT(at, headerLength(file)) << from;
    return bytesOfText(text.replace(at, from.size(), to));
}

TEST_F(Ageseal, BytesStringsAndFilesRoundTripAtTheChunkEdges) {
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        const Bytes data = randomBytes(size, static_cast<std::uint32_t>(size));
        const Bytes file = sealed(data);
        ASSERT_EQ(file.size(), sealedLength(size, headerLength(file)));
        const Variant back = decryptByte(file);
        ASSERT_TRUE(back.isAllocatedArray());  // empty data gives an array of no element, not the failure
        EXPECT_EQ(bytesOf(back), data);

        // Text of that many UTF-8 bytes, with characters of two and three bytes among them.
        std::u16string text;
        std::size_t utf8 = 0;
        for (bool wide = false; utf8 + (wide ? 5 : 2) <= size; wide = text.size() % 5 == 4) {
            text += wide ? u"\u00e9\u4e2d" : u"ab";
            utf8 += wide ? 5 : 2;
        }
        text.append(size - utf8, u'z');
        ASSERT_EQ(toUtf8(text).size(), size);
        const std::u16string hex = stringCall(u"EncryptString", text);
        EXPECT_EQ(hex.size(), 2 * sealedLength(size, headerLength(file)));
        EXPECT_EQ(stringCall(u"DecryptString", hex), text);

        writeFile(m_dir / "plain", data);
        ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "plain", m_dir / "sealed"));
        ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "sealed", m_dir / "back"));
        EXPECT_EQ(readFile(m_dir / "back"), data);
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
    EXPECT_EQ(entries(), 3u);  // no staging file left behind
}

TEST_F(Ageseal, TheHeaderIsTheFormatsTextWithOneScryptStanza) {
    const Bytes file = sealed(randomBytes(100, 1));
    const std::string header = textOfFile(file).substr(0, headerLength(file));
    const std::string b64 = "[A-Za-z0-9+/]";
    EXPECT_TRUE(std::regex_match(
        header, std::regex("age-encryption\\.org/v1\n-> scrypt " + b64 + "{21}[AQgw] " +
                           std::to_string(kQuickFactor) + "\n" + b64 + "{42}[AEIMQUYcgkosw048]\n--- " + b64 +
                           "{42}[AEIMQUYcgkosw048]\n")))
        << header;
    // What the plug-in itself writes.
    ObjectRef main(makeObject<Main>());
    EXPECT_EQ(getProperty(main, u"MethodName").toString(),
              u"age (scrypt, ChaCha20-Poly1305) - opens with any age tool");
}

TEST_F(Ageseal, ARunDerivesTheKeyOnceAndEachFileHasItsOwnPayloadKey) {
    FileKeys& keys = FileKeys::process();
    const std::uint64_t before = keys.derivations();
    for (int i = 0; i < 4; ++i) writeFile(m_dir / ("plain" + std::to_string(i)), randomBytes(1000, 5));
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / ("plain" + std::to_string(i)),
                             m_dir / ("sealed" + std::to_string(i)), u"one run"));
    // Another engine's Main in the same process opens them all without deriving again.
    ObjectRef other = makeMain(kQuickFactor);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(fileCallOn(other, u"DecryptFile", m_dir / ("sealed" + std::to_string(i)),
                               m_dir / ("back" + std::to_string(i)), u"one run"));
    EXPECT_EQ(keys.derivations(), before + 1);

    // One header for the run; the nonce, and so the payload key, differs for every file: the same plain
    // bytes never give the same payload.
    const Bytes a = readFile(m_dir / "sealed0"), b = readFile(m_dir / "sealed1");
    const std::size_t h = headerLength(a);
    EXPECT_EQ(Bytes(a.begin(), a.begin() + h), Bytes(b.begin(), b.begin() + h));
    EXPECT_NE(Bytes(a.begin() + h, a.begin() + h + 16), Bytes(b.begin() + h, b.begin() + h + 16));
    EXPECT_NE(Bytes(a.begin() + h + 16, a.end()), Bytes(b.begin() + h + 16, b.end()));

    // Another passphrase is another run: a new salt and file key.
    ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "plain0", m_dir / "sealed4", u"another run"));
    EXPECT_EQ(keys.derivations(), before + 2);
    const Bytes c = readFile(m_dir / "sealed4");
    EXPECT_NE(Bytes(c.begin(), c.begin() + headerLength(c)), Bytes(a.begin(), a.begin() + h));
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

// A file as another writer could make it from the format's rules: the payload of `file` sealed again from
// its plain bytes with the chunk flags given, under the file's own header and payload nonce.
Bytes resealed(const Bytes& file, const Bytes& plain,
               const std::vector<std::pair<std::size_t, bool>>& chunks) {
    argonbox::MemorySource source(file);
    SealedInput input(source);
    Workspace work;
    FileKeys::process().forOpening(work.password(u"pw"), input.header(), work);
    const std::size_t h = headerLength(file);
    Bytes out(file.begin(), file.begin() + h + 16);
    const SecureBytes key = hkdfSha256(work.fileKey(), std::span(file).subspan(h, 16), "payload");
    std::size_t at = 0;
    for (std::size_t index = 0; index < chunks.size(); ++index) {
        const auto [length, last] = chunks[index];
        unsigned char nonce[12] = {};
        nonce[10] = static_cast<unsigned char>(index);
        nonce[11] = last;
        Bytes sealedChunk(length + 16);
        crypto_aead_chacha20poly1305_ietf_encrypt(sealedChunk.data(), nullptr, plain.data() + at, length,
                                                  nullptr, 0, nullptr, nonce, key.bytes().data());
        out.insert(out.end(), sealedChunk.begin(), sealedChunk.end());
        at += length;
    }
    return out;
}

TEST_F(Ageseal, EveryDamageAndEveryForeignFileIsRefusedWithTheDestinationUntouched) {
    const Bytes data = randomBytes(2 * kChunk + 300, 3);
    const Bytes good = sealed(data);
    const std::size_t h = headerLength(good);
    const std::string header = textOfFile(good).substr(0, h);
    const std::string salt = header.substr(header.find("scrypt ") + 7, 22);
    const std::string mac = header.substr(header.find("--- ") + 4, 43);
    auto flipped = [&](std::size_t at) {
        Bytes copy = good;
        copy[at] ^= 0x01;
        return copy;
    };
    auto cut = [&](std::size_t length) { return Bytes(good.begin(), good.begin() + length); };
    Bytes appended = good;
    appended.push_back(0);
    const Bytes full = sealed(randomBytes(kChunk, 4));
    const std::string armor = "-----BEGIN AGE ENCRYPTED FILE-----\n" + std::string(65, 'A') +
                              "\n-----END AGE ENCRYPTED FILE-----\n";

    const std::int32_t damaged = methodError::WrongPasswordOrDamaged, foreign = methodError::NotThisMethod,
                       unsupported = methodError::UnsupportedParameters;
    const struct {
        const char* what;
        Bytes file;
        std::int32_t number;
        const char16_t* key = u"pw";
    } cases[] = {
        {"wrong passphrase", good, damaged, u"PW"},
        {"empty passphrase", good, damaged, u""},
        {"another version", edited(good, "/v1", "/v2"), unsupported},
        {"another first line", edited(good, "age-encryption.org", "age-encryption.com"), foreign},
        {"work factor above 22", edited(good, " 10\n", " 23\n"), unsupported},
        {"work factor far above 22", edited(good, " 10\n", " 64\n"), unsupported},
        {"work factor with a leading zero", edited(good, " 10\n", " 010\n"), damaged},
        {"work factor 0", edited(good, " 10\n", " 0\n"), damaged},
        {"salt not canonical", edited(good, salt, salt.substr(0, 21) + "B"), damaged},
        {"salt padded", edited(good, salt, salt + "=="), damaged},
        {"salt changed", edited(good, salt, (salt[0] == 'A' ? "B" : "A") + salt.substr(1)), damaged},
        {"empty argument", edited(good, "scrypt ", "scrypt  "), damaged},
        {"scrypt beside another stanza", edited(good, "---", "-> X25519 abc\n\n---"), damaged},
        {"other recipients only", edited(good, "-> scrypt " + salt, "-> X25519 " + salt), foreign},
        {"MAC changed", edited(good, mac, (mac[0] == 'A' ? "B" : "A") + mac.substr(1)), damaged},
        {"MAC line without its space", edited(good, "--- ", "---"), damaged},
        {"flipped byte in the wrapped key", flipped(header.find("\n", header.find("scrypt")) + 3), damaged},
        {"flipped byte in the nonce", flipped(h + 3), damaged},
        {"flipped byte in the first chunk", flipped(h + 100), damaged},
        {"flipped byte in the last tag", flipped(good.size() - 1), damaged},
        {"cut in the first line", cut(10), foreign},
        {"cut in the header", cut(h - 5), damaged},
        {"cut after the header", cut(h), damaged},
        {"cut after the nonce", cut(h + 16), damaged},
        {"cut at a chunk's end", cut(h + 16 + kChunk + 16), damaged},
        {"cut by one byte", cut(good.size() - 1), damaged},
        {"a byte appended", appended, damaged},
        {"a full last chunk marked as not the last",
         resealed(full, randomBytes(kChunk, 4), {{kChunk, false}}), damaged},
        {"an empty last chunk after a full one",
         resealed(full, randomBytes(kChunk, 4), {{kChunk, false}, {0, true}}), damaged},
        {"broken armour", bytesOfText(armor), damaged},
        {"empty file", {}, foreign},
        {"random bytes", randomBytes(5000, 6), foreign},
    };
    const Bytes old = randomBytes(777, 16);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_log.lines.clear();
        EXPECT_FALSE(decryptByte(c.file, c.key).isAllocatedArray());
        EXPECT_EQ(errors(), reported(c.number, textOf(c.number), "DecryptByte"));

        writeFile(m_dir / "source", c.file);
        writeFile(m_dir / "dest", old);
        m_log.lines.clear();
        EXPECT_FALSE(fileCall(u"DecryptFile", m_dir / "source", m_dir / "dest", c.key));
        EXPECT_EQ(errors(), reported(c.number, textOf(c.number), "DecryptFile"));
        EXPECT_EQ(readFile(m_dir / "dest"), old);
        EXPECT_EQ(entries(), 2u);  // no staging file left behind
        // In place: the encrypted file itself is what must survive.
        EXPECT_FALSE(fileCall(u"DecryptFile", m_dir / "source", m_dir / "source", c.key));
        EXPECT_EQ(readFile(m_dir / "source"), c.file);
    }
    // The writer from the rules is right where it follows them: a full chunk may be the last.
    EXPECT_EQ(bytesOf(decryptByte(resealed(full, randomBytes(kChunk, 4), {{kChunk, true}}))),
              randomBytes(kChunk, 4));
}

TEST_F(Ageseal, ArmouredFilesAreRead) {
    const Bytes data = randomBytes(3000, 7);
    const Bytes file = sealed(data);
    // The armour as the format writes it: padded base64 in lines of 64 columns.
    std::string b64(sodium_base64_encoded_len(file.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(b64.data(), b64.size(), file.data(), file.size(), sodium_base64_VARIANT_ORIGINAL);
    b64.pop_back();
    auto armoured = [&](const std::string& end) {
        std::string text = "-----BEGIN AGE ENCRYPTED FILE-----" + end;
        for (std::size_t at = 0; at < b64.size(); at += 64) text += b64.substr(at, 64) + end;
        return text + "-----END AGE ENCRYPTED FILE-----" + end;
    };
    for (const std::string& end : {std::string("\n"), std::string("\r\n")}) {
        EXPECT_EQ(bytesOf(decryptByte(bytesOfText(armoured(end)))), data);
        writeFile(m_dir / "armoured", bytesOfText(armoured(end) + "\n  \n"));
        ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "armoured", m_dir / "back"));
        EXPECT_EQ(readFile(m_dir / "back"), data);
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
    // Text after the armour is not white space: refused.
    EXPECT_FALSE(decryptByte(bytesOfText(armoured("\n") + "x")).isAllocatedArray());
    EXPECT_EQ(errors(), reported(methodError::WrongPasswordOrDamaged, kDamaged, "DecryptByte"));
}

TEST_F(Ageseal, ProgressRisesFromZeroToAHundredOnFiles) {
    writeFile(m_dir / "plain", randomBytes(5 * kChunk + 7, 8));
    for (const char16_t* operation : {u"EncryptFile", u"DecryptFile"}) {
        m_log.lines.clear();
        ASSERT_TRUE(fileCall(operation, m_dir / (operation[0] == u'E' ? "plain" : "sealed"),
                             m_dir / (operation[0] == u'E' ? "sealed" : "back")));
        std::vector<int> percents;
        for (const std::string& line : m_log.lines)
            if (line.starts_with("RaiseProgress(")) percents.push_back(std::stoi(line.substr(14)));
        ASSERT_GE(percents.size(), 3u);
        EXPECT_EQ(percents.front(), 0);
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());
        EXPECT_EQ(m_log.lines.size(), 2 * percents.size());  // each also as the Progress event
    }
    EXPECT_EQ(readFile(m_dir / "back"), readFile(m_dir / "plain"));
}

}  // namespace
