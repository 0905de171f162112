// The byte, string and file operations by name on a Main of the cheap parameters: round trips at the
// chunk edges, the container's layout and its one key derivation per run, every kind of damage refused,
// and the progress reports.
#include <algorithm>

#include "ArgonboxTestSupport.h"
#include "DerivedKeys.h"
#include "StreamKey.h"
#include "argon/MethodErrors.h"

using namespace velmora;
using namespace velmora::argonbox;
using namespace velmora::argonbox::testing;

namespace {

const std::size_t kSizes[] = {0, 1, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 5};

TEST_F(Argonbox, BytesStringsAndFilesRoundTripAtTheChunkEdges) {
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        const Bytes data = randomBytes(size, static_cast<std::uint32_t>(size));
        const Bytes container = sealed(data);
        ASSERT_EQ(container.size(), sealedLength(size));
        const Variant back = decryptByte(container);
        ASSERT_TRUE(back.isAllocatedArray());  // empty data gives an array of no element, not the failure
        EXPECT_EQ(bytesOf(back), data);

        // Text of that many UTF-8 bytes, with characters of two and three bytes among them.
        std::u16string text;
        while (toUtf8(text).size() + 3 <= size) text += text.size() % 5 == 4 ? u"\u00e9\u4e2d" : u"ab";
        while (toUtf8(text).size() < size) text += u'z';
        const std::u16string hex = stringCall(u"EncryptString", text);
        EXPECT_EQ(hex.size(), 2 * sealedLength(size));
        EXPECT_TRUE(std::none_of(hex.begin(), hex.end(), [](char16_t c) { return c >= u'a' && c <= u'f'; }));
        EXPECT_EQ(stringCall(u"DecryptString", hex), text);

        writeFile(m_dir / "plain", data);
        ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "plain", m_dir / "sealed"));
        EXPECT_EQ(readFile(m_dir / "sealed").size(), sealedLength(size));
        ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "sealed", m_dir / "back"));
        EXPECT_EQ(readFile(m_dir / "back"), data);
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
    EXPECT_EQ(entries(), 3u);  // no staging file left behind
}

TEST_F(Argonbox, HeaderCarriesTheParametersOneSaltPerRunAndAFreshStreamHeaderEveryTime) {
    const Bytes data = randomBytes(100, 1);
    const Bytes a = sealed(data), b = sealed(data);
    EXPECT_EQ(std::string(a.begin(), a.begin() + 8), "VLMRSEAL");
    EXPECT_EQ(Bytes(a.begin() + 8, a.begin() + 12), (Bytes{1, 1, 0, 0}));
    EXPECT_EQ(le32(a, 12), kQuick.opsLimit);
    EXPECT_EQ(le32(a, 16), kQuick.memoryKiB);
    EXPECT_EQ(le32(a, 36), kQuick.chunkBytes);
    const auto salt = [](const Bytes& c) { return Bytes(c.begin() + 20, c.begin() + 36); };
    const auto streamHeader = [](const Bytes& c) { return Bytes(c.begin() + 40, c.begin() + 64); };
    // One object is one run: its containers share the salt and so the derived key, never a stream header.
    EXPECT_EQ(salt(a), salt(b));
    EXPECT_NE(streamHeader(a), streamHeader(b));
    EXPECT_NE(Bytes(a.begin() + 64, a.end()), Bytes(b.begin() + 64, b.end()));
    // Another password, or another object, draws a salt of its own.
    EXPECT_NE(salt(bytesOf(encryptByte(data, u"other"))), salt(a));
    const ObjectRef next(makeObject<Main>(kQuick));
    Variant in(data), key(u"pw"), handler(m_log.sink());
    const Bytes c = bytesOf(call(next, u"EncryptByte", in, key, handler));
    EXPECT_NE(salt(c), salt(a));
    EXPECT_EQ(bytesOf(decryptByte(c)), data);  // read by an object that never derived its key
    EXPECT_EQ(Parameters::defaults(), (Parameters{3, 65536, 65536}));  // what the plug-in itself writes
}

TEST(DerivedKeys, OneDerivationPerPasswordAndSaltWithinTheBound) {
    DerivedKeys keys;
    const SecureBytes pwKept = SecureBytes::utf8Of(u"pw"), otherKept = SecureBytes::utf8Of(u"pw2");
    const std::span<const std::uint8_t> pw = pwKept.bytes(), other = otherKept.bytes();
    const auto bytes = [](const SecureBytes& key) { return Bytes(key.bytes().begin(), key.bytes().end()); };

    ContainerHeader first{}, second{}, third{};
    const Bytes key = bytes(keys.forSealing(pw, kQuick, first));
    EXPECT_EQ(bytes(keys.forSealing(pw, kQuick, second)), key);
    EXPECT_EQ(second.salt, first.salt);
    EXPECT_EQ(keys.derivations(), 1u);
    // Reading back what was sealed needs nothing new; the key is the format's function of the header.
    EXPECT_EQ(bytes(keys.forOpening(SecureBytes::utf8Of(u"pw").bytes(), first)), key);
    EXPECT_EQ(bytes(streamKey(pw, first)), key);
    EXPECT_EQ(keys.derivations(), 1u);
    // Another password or other limits never meet the cached key.
    EXPECT_NE(bytes(keys.forOpening(other, first)), key);
    keys.forSealing(pw, Parameters{2, kQuick.memoryKiB, kQuick.chunkBytes}, third);
    EXPECT_NE(third.salt, first.salt);
    EXPECT_EQ(keys.derivations(), 3u);

    // A salt read from a container is opened with, never sealed with; the oldest entries give way.
    ContainerHeader foreign{kQuick, {}};
    for (std::size_t i = 0; i < DerivedKeys::kMaxEntries; ++i) {
        foreign.salt[0] = static_cast<std::uint8_t>(i + 1);
        keys.forOpening(other, foreign);
    }
    EXPECT_EQ(keys.derivations(), 3u + DerivedKeys::kMaxEntries);
    ContainerHeader again{};
    keys.forSealing(pw, kQuick, again);
    EXPECT_NE(again.salt, first.salt);
    EXPECT_NE(again.salt, foreign.salt);
    EXPECT_EQ(keys.derivations(), 4u + DerivedKeys::kMaxEntries);
}

TEST_F(Argonbox, AWrongPasswordIsRecognised) {
    const Bytes container = sealed(randomBytes(2000, 2));
    for (const char16_t* wrong : {u"PW", u"pw ", u"p", u""}) {
        m_log.lines.clear();
        EXPECT_FALSE(decryptByte(container, wrong).isAllocatedArray());
        EXPECT_EQ(errors(), reported(methodError::WrongPasswordOrDamaged, kDamaged, "DecryptByte"));
    }
}

TEST_F(Argonbox, EveryHeaderFieldIsGuarded) {
    const Bytes container = sealed(randomBytes(2 * kChunk + 300, 3));
    auto u32 = [](std::uint32_t v) {
        return Bytes{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    };
    const struct {
        const char* field;
        std::size_t at;
        Bytes value;  // written over the bytes from `at` on
        std::int32_t number;
    } cases[] = {
        {"magic", 0, {'v'}, methodError::NotThisMethod},
        {"magic, last letter", 7, {'M'}, methodError::NotThisMethod},
        {"version 2", 8, {2}, methodError::NotThisMethod},
        {"version 0", 8, {0}, methodError::NotThisMethod},
        {"key derivation", 9, {2}, methodError::UnsupportedParameters},
        {"reserved", 10, {1}, methodError::UnsupportedParameters},
        {"reserved, second byte", 11, {0x80}, methodError::UnsupportedParameters},
        {"operations 2: another key", 12, u32(2), methodError::WrongPasswordOrDamaged},
        {"operations 0", 12, u32(0), methodError::UnsupportedParameters},
        {"operations 17", 12, u32(17), methodError::UnsupportedParameters},
        {"memory 8193 KiB: another key", 16, u32(8193), methodError::WrongPasswordOrDamaged},
        {"memory 8191 KiB", 16, u32(8191), methodError::UnsupportedParameters},
        {"memory over 1 GiB", 16, u32(1024 * 1024 + 1), methodError::UnsupportedParameters},
        {"salt", 20, {std::uint8_t(container[20] ^ 1)}, methodError::WrongPasswordOrDamaged},
        {"chunk size 1025", 36, u32(1025), methodError::WrongPasswordOrDamaged},
        {"chunk size 1023", 36, u32(1023), methodError::UnsupportedParameters},
        {"chunk size over 16 MiB", 36, u32(16 * 1024 * 1024 + 1), methodError::UnsupportedParameters},
        {"stream header", 50, {std::uint8_t(container[50] ^ 0x80)}, methodError::WrongPasswordOrDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Bytes changed = container;
        std::copy(c.value.begin(), c.value.end(), changed.begin() + static_cast<std::ptrdiff_t>(c.at));
        m_log.lines.clear();
        EXPECT_FALSE(decryptByte(changed).isAllocatedArray());
        const std::string text = c.number == methodError::NotThisMethod           ? kForeign
                                 : c.number == methodError::UnsupportedParameters ? kUnsupported
                                                                                  : kDamaged;
        EXPECT_EQ(errors(), reported(c.number, text, "DecryptByte"));
    }
}

TEST_F(Argonbox, EveryChunkIsAuthenticated) {
    const Bytes data = randomBytes(3 * kChunk + 5, 4);  // three full chunks and a short FINAL one
    const Bytes container = sealed(data);
    const std::size_t stride = kChunk + 17;
    for (std::size_t chunk = 0; chunk < 4; ++chunk) {
        // The chunk's first byte (the encrypted tag), a byte in the middle, and the MAC's last byte.
        const std::size_t start = 64 + chunk * stride;
        const std::size_t end = std::min(start + stride, container.size());
        for (const std::size_t at : {start, (start + end) / 2, end - 1}) {
            SCOPED_TRACE(at);
            Bytes flipped = container;
            flipped[at] ^= 0x04;
            m_log.lines.clear();
            EXPECT_FALSE(decryptByte(flipped).isAllocatedArray());
            EXPECT_EQ(errors(), reported(methodError::WrongPasswordOrDamaged, kDamaged, "DecryptByte"));
        }
    }
}

TEST_F(Argonbox, CutExtendedAndReorderedContainersAreRefused) {
    const Bytes data = randomBytes(3 * kChunk + 5, 5);
    const Bytes container = sealed(data);
    const std::size_t stride = kChunk + 17;
    const Bytes whole = sealed(randomBytes(2 * kChunk, 6));  // ends with an empty FINAL chunk
    auto cut = [](const Bytes& bytes, std::size_t length) {
        return Bytes(bytes.begin(), bytes.begin() + length);
    };
    auto plus = [](Bytes bytes, const Bytes& tail) {
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    Bytes swapped = container;
    std::swap_ranges(swapped.begin() + 64, swapped.begin() + 64 + stride, swapped.begin() + 64 + stride);
    const struct {
        const char* what;
        Bytes bytes;
        std::int32_t number;
    } cases[] = {
        {"last chunk removed", cut(container, 64 + 3 * stride), methodError::WrongPasswordOrDamaged},
        {"last byte removed", cut(container, container.size() - 1), methodError::WrongPasswordOrDamaged},
        {"empty FINAL chunk removed", cut(whole, whole.size() - 17), methodError::WrongPasswordOrDamaged},
        {"only the header", cut(container, 64), methodError::WrongPasswordOrDamaged},
        {"stream header cut", cut(container, 50), methodError::WrongPasswordOrDamaged},
        {"header cut", cut(container, 30), methodError::WrongPasswordOrDamaged},
        {"magic and version only", cut(container, 9), methodError::WrongPasswordOrDamaged},
        {"magic only", cut(container, 8), methodError::NotThisMethod},
        {"nothing", {}, methodError::NotThisMethod},
        {"a chunk appended", plus(container, Bytes(container.begin() + 64, container.begin() + 64 + stride)),
         methodError::WrongPasswordOrDamaged},
        {"a chunk appended after an empty FINAL", plus(whole, Bytes(whole.end() - 17, whole.end())),
         methodError::WrongPasswordOrDamaged},
        {"one byte appended", plus(container, {0}), methodError::WrongPasswordOrDamaged},
        {"two chunks swapped", swapped, methodError::WrongPasswordOrDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_log.lines.clear();
        EXPECT_FALSE(decryptByte(c.bytes).isAllocatedArray());
        EXPECT_EQ(errors(), reported(c.number, c.number == methodError::NotThisMethod ? kForeign : kDamaged,
                                     "DecryptByte"));
    }
}

TEST_F(Argonbox, ProgressRisesOncePerPercentFromZeroToAHundred) {
    const Bytes data = randomBytes(10 * kChunk, 7);
    const Bytes container = sealed(data);
    std::vector<std::string> expected;
    for (int percent = 0; percent <= 100; percent += 10) {
        expected.push_back("RaiseProgress(" + std::to_string(percent) + ")");
        expected.push_back("event Progress(" + std::to_string(percent) + ")");
    }
    EXPECT_EQ(m_log.lines, expected);

    // Decryption counts the chunk bytes: 11 chunks of 1041 bytes but the last, of 17.
    m_log.lines.clear();
    ASSERT_EQ(bytesOf(decryptByte(container)), data);
    std::vector<std::string> handler;
    for (const std::string& line : m_log.lines)
        if (line.rfind("RaiseProgress(", 0) == 0) handler.push_back(line);
    EXPECT_EQ(handler,
              (std::vector<std::string>{"RaiseProgress(0)", "RaiseProgress(9)", "RaiseProgress(19)",
                                        "RaiseProgress(29)", "RaiseProgress(39)", "RaiseProgress(49)",
                                        "RaiseProgress(59)", "RaiseProgress(69)", "RaiseProgress(79)",
                                        "RaiseProgress(89)", "RaiseProgress(99)", "RaiseProgress(100)"}));

    // Many more chunks than percents: still one report per percent at most, rising.
    m_log.lines.clear();
    sealed(randomBytes(250 * kChunk + 1, 8));
    std::vector<int> percents;
    for (const std::string& line : m_log.lines)
        if (line.rfind("RaiseProgress(", 0) == 0) percents.push_back(std::stoi(line.substr(14)));
    EXPECT_EQ(percents.size(), 101u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());
}

TEST_F(Argonbox, StringsAreUpperCaseHexAndReadInEitherCase) {
    const std::u16string hex = stringCall(u"EncryptString", u"S\u00fc\u00df \U0001F512");
    std::u16string lower = hex;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char16_t c) { return c >= u'A' && c <= u'F' ? c + 32 : c; });
    EXPECT_EQ(stringCall(u"DecryptString", lower), u"S\u00fc\u00df \U0001F512");
    // The UTF-8 bytes are what is encrypted.
    EXPECT_EQ(hex.size(), 2 * sealedLength(toUtf8(u"S\u00fc\u00df \U0001F512").size()));
    EXPECT_EQ(errors(), std::vector<std::string>{});

    const struct {
        std::u16string text;
        std::vector<std::string> reports;
    } cases[] = {
        {hex.substr(0, hex.size() - 1), reported(9, "Subscript out of range", "DecryptString")},
        {u"0G" + hex.substr(2), reported(13, "Type mismatch", "DecryptString")},
        {hex.substr(0, 20) + u"\u00e9" + hex.substr(21), reported(13, "Type mismatch", "DecryptString")},
        {u"00", reported(methodError::NotThisMethod, kForeign, "DecryptString")},
    };
    for (const auto& c : cases) {
        m_log.lines.clear();
        EXPECT_EQ(stringCall(u"DecryptString", c.text), u"");
        EXPECT_EQ(errors(), c.reports);
    }
    // No password, no text to decrypt: the empty string without a report.
    m_log.lines.clear();
    EXPECT_EQ(stringCall(u"EncryptString", u"text", u""), u"");
    EXPECT_EQ(stringCall(u"DecryptString", hex, u""), u"");
    EXPECT_EQ(stringCall(u"DecryptString", u""), u"");
    EXPECT_EQ(m_log.lines, std::vector<std::string>{});
}

TEST_F(Argonbox, ByteArgumentsWithoutBoundsOrOfAnotherType) {
    Variant unallocated = Variant::unallocatedArray(VarType::Byte), key(u"pw"), handler(m_log.sink());
    EXPECT_FALSE(call(m_main, u"EncryptByte", unallocated, key, handler).isAllocatedArray());
    EXPECT_FALSE(call(m_main, u"DecryptByte", unallocated, key, handler).isAllocatedArray());
    EXPECT_EQ(m_log.lines, std::vector<std::string>{});
    Variant text(u"not bytes");
    EXPECT_FALSE(call(m_main, u"EncryptByte", text, key, handler).isAllocatedArray());
    EXPECT_EQ(errors(), reported(13, "Type mismatch", "EncryptByte"));
    // The caller's array is never changed.
    Variant in(randomBytes(10, 9));
    call(m_main, u"EncryptByte", in, key, handler);
    EXPECT_EQ(in.arrayRef().bytes(), randomBytes(10, 9));
}

}  // namespace
