// The format against Debian's age, both ways: what this method writes opens with `age -d`, what `age -p`
// writes opens here, at the chunk edges and beyond, armoured too; age's files for other recipients and
// its files with a wrong passphrase or damage are refused with the destination untouched.
#include <cstdio>

#include "AgesealTestSupport.h"

using namespace velmora;
using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

const std::size_t kSizes[] = {0, 1, kChunk - 1, kChunk, kChunk + 1, 3 * 1024 * 1024 + 17};
// Each file age writes costs a derivation at age's own work factor on both sides: the chunk edges of the
// reader are checked on this method's files, these check the whole against age's.
const std::size_t kAgeSizes[] = {0, 1, kChunk, 3 * 1024 * 1024 + 17};
const std::string kPassphrase = "tax papers 2026";

TEST_F(Ageseal, EachFileOfARunOpensAloneWithAge) {
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        const std::string n = std::to_string(size);
        writeFile(m_dir / ("plain" + n), randomBytes(size, static_cast<std::uint32_t>(size)));
        ASSERT_TRUE(
            fileCall(u"EncryptFile", m_dir / ("plain" + n), m_dir / (n + ".age"), fromUtf8(kPassphrase)));
    }
    // One run: the files share their header, and age opens each of them by itself.
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        const std::string n = std::to_string(size);
        ASSERT_EQ(runAge({"-d", "-o", (m_dir / ("back" + n)).string(), (m_dir / (n + ".age")).string()},
                         kPassphrase),
                  0);
        EXPECT_EQ(readFile(m_dir / ("back" + n)), readFile(m_dir / ("plain" + n)));
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

TEST_F(Ageseal, AgesPassphraseFilesOpenHereAndItsOthersAreRefused) {
    m_main = makeMain(18);
    for (const std::size_t size : kAgeSizes) {
        SCOPED_TRACE(size);
        const std::string n = std::to_string(size);
        writeFile(m_dir / ("plain" + n), randomBytes(size, static_cast<std::uint32_t>(size) + 1));
        std::vector<std::string> args{"-p", "-o", (m_dir / (n + ".age")).string()};
        if (size == 1) args.push_back("-a");  // armoured
        args.push_back((m_dir / ("plain" + n)).string());
        ASSERT_EQ(runAge(args, kPassphrase), 0);
        ASSERT_TRUE(
            fileCall(u"DecryptFile", m_dir / (n + ".age"), m_dir / ("back" + n), fromUtf8(kPassphrase)));
        EXPECT_EQ(readFile(m_dir / ("back" + n)), readFile(m_dir / ("plain" + n)));
    }
    EXPECT_EQ(errors(), std::vector<std::string>{});

    // A file for an X25519 recipient only.
    FILE* keygen = popen("age-keygen 2>/dev/null", "r");
    ASSERT_TRUE(keygen);
    std::string identity(4096, '\0');
    identity.resize(fread(identity.data(), 1, identity.size(), keygen));
    pclose(keygen);
    const std::size_t at = identity.find("public key: ");
    ASSERT_NE(at, std::string::npos) << identity;
    const std::string recipient = identity.substr(at + 12, identity.find('\n', at) - at - 12);
    ASSERT_EQ(
        runAge({"-r", recipient, "-o", (m_dir / "x25519.age").string(), (m_dir / "plain1").string()}, ""), 0);

    Bytes payloadFlipped = readFile(m_dir / (std::to_string(kChunk) + ".age"));
    payloadFlipped[payloadFlipped.size() - 100] ^= 0x20;
    writeFile(m_dir / "flipped.age", payloadFlipped);

    const Bytes old = randomBytes(100, 9);
    const struct {
        const char* file;
        std::string passphrase;
        std::int32_t number;
    } cases[] = {
        {"x25519.age", kPassphrase, methodError::NotThisMethod},
        {"flipped.age", kPassphrase, methodError::WrongPasswordOrDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(m_dir / "dest", old);
        m_log.lines.clear();
        EXPECT_FALSE(fileCall(u"DecryptFile", m_dir / c.file, m_dir / "dest", fromUtf8(c.passphrase)));
        EXPECT_EQ(errors(), reported(c.number, textOf(c.number), "DecryptFile"));
        EXPECT_EQ(readFile(m_dir / "dest"), old);
    }
}

TEST_F(Ageseal, AgeRefusesWhatThisMethodRefuses) {
    // The same bounds on both sides: a work factor above 22 and a flipped payload byte.
    writeFile(m_dir / "plain", randomBytes(1000, 10));
    ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "plain", m_dir / "good.age", fromUtf8(kPassphrase)));
    Bytes file = readFile(m_dir / "good.age");
    std::string text(file.begin(), file.end());
    text.replace(text.find(" 10\n"), 4, " 23\n");
    writeFile(m_dir / "slow.age", Bytes(text.begin(), text.end()));
    file[file.size() - 20] ^= 1;
    writeFile(m_dir / "flipped.age", file);
    for (const char* name : {"slow.age", "flipped.age"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(runAge({"-d", "-o", (m_dir / "back").string(), (m_dir / name).string()}, kPassphrase), 0);
        EXPECT_FALSE(fileCall(u"DecryptFile", m_dir / name, m_dir / "back", fromUtf8(kPassphrase)));
    }
}

}  // namespace
