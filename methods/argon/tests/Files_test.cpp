// EncryptFile and DecryptFile on real files: streaming into the platform's replacement, permissions,
// in-place work, a destination left byte for byte as it was after every failure, and the other method's
// format given to this one and the other way round (the real Blockrune plug-in).
#include <sys/stat.h>

#include "ArgonboxTestSupport.h"
#include "argon/MethodErrors.h"
#include "component/CreateObject.h"
#include "component/hresult.h"
#include "platform/library.h"

using namespace velmora;
using namespace velmora::argonbox;
using namespace velmora::argonbox::testing;

namespace {

mode_t modeOf(const fs::path& file) {
    struct stat info {};
    stat(file.c_str(), &info);
    return info.st_mode & 0777;
}

// The real Blockrune plug-in, registered for the test and created by programmatic id.
ObjectRef blockrune() {
    HMODULE library = LoadLibraryA(VELMORA_BLOCKRUNE_PATH);
    EXPECT_TRUE(library);
    auto reg = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library, "DllRegisterServer"));
    EXPECT_EQ(reg(), hr::Ok);
    return CreateObject(u"Blockrune.Main");  // the object keeps the library loaded
}

TEST_F(Argonbox, InPlaceAndNewFilesWithTheirPermissions) {
    const Bytes data = randomBytes(5 * kChunk + 77, 11);
    writeFile(m_dir / "doc", data);
    ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "doc", m_dir / "doc.zqf"));
    const mode_t shared = 0666 & ~[] {
        const mode_t m = umask(0);
        umask(m);
        return m;
    }();
    EXPECT_EQ(modeOf(m_dir / "doc.zqf"), shared);
    ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "doc.zqf", m_dir / "copy"));
    EXPECT_EQ(modeOf(m_dir / "copy"), 0600u);  // decrypted data is created owner-only
    EXPECT_EQ(readFile(m_dir / "copy"), data);

    // In place, as the front end works: the source stays readable until the new contents take its place.
    chmod((m_dir / "doc").c_str(), 0640);
    ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "doc", m_dir / "doc"));
    EXPECT_EQ(readFile(m_dir / "doc").size(), sealedLength(data.size()));
    ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "doc", m_dir / "doc"));
    EXPECT_EQ(readFile(m_dir / "doc"), data);
    EXPECT_EQ(modeOf(m_dir / "doc"), 0640u);  // an existing file keeps its own

    // A longer old destination leaves no tail behind.
    writeFile(m_dir / "long", randomBytes(20 * kChunk, 12));
    ASSERT_TRUE(fileCall(u"DecryptFile", m_dir / "doc.zqf", m_dir / "long"));
    EXPECT_EQ(readFile(m_dir / "long"), data);
    EXPECT_EQ(entries(), 4u);
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

TEST_F(Argonbox, EveryFailureLeavesTheDestinationByteIdentical) {
    const Bytes data = randomBytes(3 * kChunk + 9, 13);
    writeFile(m_dir / "plain", data);
    ASSERT_TRUE(fileCall(u"EncryptFile", m_dir / "plain", m_dir / "good"));
    const Bytes good = readFile(m_dir / "good");
    const std::size_t stride = kChunk + 17;
    Bytes lastFlipped = good, cut(good.begin(), good.begin() + 64 + 3 * stride), appended = good,
          unsupported = good;
    lastFlipped[good.size() - 3] ^= 1;  // in the FINAL chunk: the chunks before it are written by then
    appended.insert(appended.end(), good.begin() + 64, good.begin() + 64 + stride);
    unsupported[12] = 0;
    writeFile(m_dir / "lastFlipped", lastFlipped);
    writeFile(m_dir / "cut", cut);
    writeFile(m_dir / "appended", appended);
    writeFile(m_dir / "unsupported", unsupported);
    writeFile(m_dir / "foreign", randomBytes(96, 14));
    fs::create_directory(m_dir / "folder");
    writeFile(m_dir / "readonly", randomBytes(50, 15));
    chmod((m_dir / "readonly").c_str(), 0444);

    const Bytes old = randomBytes(777, 16);
    const struct {
        const char* what;
        const char16_t* operation;
        const char* source;
        const char* dest;  // "dest" holds `old` before every case
        const char16_t* key;
        std::int32_t number;
        std::string text;
    } cases[] = {
        {"wrong password", u"DecryptFile", "good", "dest", u"wrong", methodError::WrongPasswordOrDamaged,
         kDamaged},
        {"bit flipped in the last chunk", u"DecryptFile", "lastFlipped", "dest", u"pw",
         methodError::WrongPasswordOrDamaged, kDamaged},
        {"last chunk removed", u"DecryptFile", "cut", "dest", u"pw", methodError::WrongPasswordOrDamaged,
         kDamaged},
        {"chunk appended", u"DecryptFile", "appended", "dest", u"pw", methodError::WrongPasswordOrDamaged,
         kDamaged},
        {"another format", u"DecryptFile", "foreign", "dest", u"pw", methodError::NotThisMethod, kForeign},
        {"parameters out of bounds", u"DecryptFile", "unsupported", "dest", u"pw",
         methodError::UnsupportedParameters, kUnsupported},
        {"missing source", u"DecryptFile", "missing", "dest", u"pw", methodError::SourceMissing,
         "The source file does not exist."},
        {"missing source", u"EncryptFile", "missing", "dest", u"pw", methodError::SourceMissing,
         "The source file does not exist."},
        {"source is a folder", u"EncryptFile", "folder", "dest", u"pw", 75, "Path/File access error"},
        {"source is a folder", u"DecryptFile", "folder", "dest", u"pw", 75, "Path/File access error"},
        {"destination read-only", u"EncryptFile", "plain", "readonly", u"pw", 75, "Path/File access error"},
        {"destination read-only", u"DecryptFile", "good", "readonly", u"pw", 75, "Path/File access error"},
        {"destination is a folder", u"DecryptFile", "good", "folder", u"pw", 75, "Path/File access error"},
        // In place: the encrypted file itself is what must survive.
        {"wrong password, in place", u"DecryptFile", "good", "good", u"wrong",
         methodError::WrongPasswordOrDamaged, kDamaged},
        {"last chunk damaged, in place", u"DecryptFile", "lastFlipped", "lastFlipped", u"pw",
         methodError::WrongPasswordOrDamaged, kDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + toUtf8(c.operation));
        writeFile(m_dir / "dest", old);
        const Bytes before = fs::is_regular_file(m_dir / c.dest) ? readFile(m_dir / c.dest) : Bytes{};
        const std::size_t count = entries();
        m_log.lines.clear();
        EXPECT_FALSE(fileCall(c.operation, m_dir / c.source, m_dir / c.dest, c.key));
        EXPECT_EQ(errors(), reported(c.number, c.text, toUtf8(c.operation)));
        EXPECT_EQ(fs::is_regular_file(m_dir / c.dest) ? readFile(m_dir / c.dest) : Bytes{}, before);
        EXPECT_EQ(entries(), count);  // no staging file left behind
    }
    EXPECT_TRUE(fs::is_directory(m_dir / "folder"));
    EXPECT_EQ(modeOf(m_dir / "readonly"), 0444u);
}

TEST_F(Argonbox, TheOtherMethodsFormatIsRecognisedEitherWay) {
    ObjectRef other = blockrune();
    ASSERT_TRUE(other);
    const Bytes data = randomBytes(47, 17);  // 64 + 47 + 17 = 128: whole Rijndael blocks for the other method
    writeFile(m_dir / "plain", data);

    // Blockrune's files and bytes given to this method.
    Variant s(fromUtf8((m_dir / "plain").string())), d(fromUtf8((m_dir / "rune").string())), k(u"pw");
    ASSERT_TRUE(call(other, u"EncryptFile", s, d, k).toBool());
    writeFile(m_dir / "dest", {1, 2, 3});
    EXPECT_FALSE(fileCall(u"DecryptFile", m_dir / "rune", m_dir / "dest"));
    EXPECT_EQ(readFile(m_dir / "dest"), (Bytes{1, 2, 3}));
    EXPECT_EQ(errors(), reported(methodError::NotThisMethod, kForeign, "DecryptFile"));
    m_log.lines.clear();
    Variant bytes(data);
    EXPECT_FALSE(decryptByte(call(other, u"EncryptByte", bytes, k).arrayRef().bytes()).isAllocatedArray());
    EXPECT_EQ(errors(), reported(methodError::NotThisMethod, kForeign, "DecryptByte"));

    // This method's container given to Blockrune: never taken for plaintext, the destination kept.
    const Bytes container = sealed(data);
    ASSERT_EQ(container.size() % 32, 0u);
    Variant in(container);
    EXPECT_FALSE(call(other, u"DecryptByte", in, k).isAllocatedArray());
    writeFile(m_dir / "box", container);
    Variant box(fromUtf8((m_dir / "box").string())), dest(fromUtf8((m_dir / "dest").string()));
    EXPECT_FALSE(call(other, u"DecryptFile", box, dest, k).toBool());
    EXPECT_EQ(readFile(m_dir / "dest"), (Bytes{1, 2, 3}));
}

}  // namespace
