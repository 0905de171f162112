// The real plug-in library as the suite meets it: registered and created by programmatic id, found in
// the engine's plug-in folder and used through the engine from another process; the key derivation
// against libsodium's published Argon2id vector; the container read and written by code written from the
// format's table alone.
#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "ArgonboxTestSupport.h"
#include "StreamKey.h"
#include "argon/MethodErrors.h"
#include "component/ClassInfo.h"
#include "component/ComObject.h"
#include "component/CreateObject.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "testsupport/ChildProcess.h"

using namespace velmora;
using namespace velmora::argonbox;
using namespace velmora::argonbox::testing;

namespace {

bool registerLibrary(const char* path) {
    HMODULE library = LoadLibraryA(path);
    if (!library) return false;
    auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library, "DllRegisterServer"));
    const bool done = entry && entry() == hr::Ok;
    FreeLibrary(library);
    return done;
}

// --- The format from its table (docs/formats/argonbox.md), with libsodium and nothing of the plug-in's.

std::optional<Bytes> readFromTable(const Bytes& c, std::string_view password) {
    if (c.size() < 64 || std::memcmp(c.data(), "VLMRSEAL", 8) != 0 || c[8] != 1 || c[9] != 1)
        return std::nullopt;
    const std::size_t chunk = le32(c, 36);
    unsigned char key[32];
    if (crypto_pwhash(key, 32, password.data(), password.size(), c.data() + 20, le32(c, 12),
                      std::size_t{le32(c, 16)} * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_pull(&state, c.data() + 40, key);
    Bytes out;
    for (std::size_t at = 64;;) {
        const std::size_t n = std::min(chunk + 17, c.size() - at);
        if (n < 17) return std::nullopt;
        Bytes m(n - 17);
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, m.data(), nullptr, &tag, c.data() + at, n,
                                                       at == 64 ? c.data() : nullptr, at == 64 ? 40 : 0) != 0)
            return std::nullopt;
        out.insert(out.end(), m.begin(), m.end());
        at += n;
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL)
            return at == c.size() ? std::optional(out) : std::nullopt;
    }
}

// fullFinal: a nonconforming writer that tags a full last chunk FINAL instead of adding an empty one.
Bytes writeFromTable(const Bytes& plain, std::string_view password, Parameters p, bool fullFinal = false) {
    Bytes c{'V', 'L', 'M', 'R', 'S', 'E', 'A', 'L', 1, 1, 0, 0};
    auto put = [&c](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) c.push_back(std::uint8_t(v >> (8 * i)));
    };
    put(p.opsLimit);
    put(p.memoryKiB);
    const Bytes salt = randomBytes(16, 99);
    c.insert(c.end(), salt.begin(), salt.end());
    put(p.chunkBytes);
    unsigned char key[32], header[24];
    EXPECT_EQ(crypto_pwhash(key, 32, password.data(), password.size(), salt.data(), p.opsLimit,
                            std::size_t{p.memoryKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13),
              0);
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, key);
    const Bytes ad(c.begin(), c.end());
    c.insert(c.end(), header, header + 24);
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(p.chunkBytes, plain.size() - at);
        const bool last = n < p.chunkBytes || (fullFinal && at + n == plain.size());
        Bytes out(n + 17);
        crypto_secretstream_xchacha20poly1305_push(
            &state, out.data(), nullptr, plain.data() + at, n, at == 0 ? ad.data() : nullptr,
            at == 0 ? 40 : 0, last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
        c.insert(c.end(), out.begin(), out.end());
        at += n;
        if (last) break;
    } while (true);
    return c;
}

TEST_F(Argonbox, TheFormatTableIsAllAnotherImplementationNeeds) {
    ASSERT_GE(sodium_init(), 0);
    for (const std::size_t size : {std::size_t{0}, kChunk, 3 * kChunk + 100}) {
        const Bytes data = randomBytes(size, 20);
        EXPECT_EQ(readFromTable(sealed(data), "pw"), data) << size;
    }
    // Another writer's choices within the bounds: a larger chunk, more passes, memory not a power of two.
    const Parameters theirs{2, 9000, 4096};
    for (const std::size_t size : {std::size_t{0}, std::size_t{4096}, std::size_t{3 * 4096 + 1}}) {
        const Bytes data = randomBytes(size, 21);
        EXPECT_EQ(bytesOf(decryptByte(writeFromTable(data, "\xc3\xa9t\xc3\xa9", theirs), u"\u00e9t\u00e9")),
                  data);
    }
    // A full last chunk tagged FINAL breaks the rule that the last chunk is short: refused.
    m_log.lines.clear();
    EXPECT_FALSE(decryptByte(writeFromTable(randomBytes(4096, 22), "pw", theirs, true)).isAllocatedArray());
    EXPECT_EQ(errors(), reported(methodError::WrongPasswordOrDamaged, kDamaged, "DecryptByte"));
}

TEST(Argon2id, LibsodiumsPublishedVector) {
    // libsodium's test/default/pwhash_argon2id.c, vector 5 (.exp line 5): 82-byte password, the first 16
    // bytes of the salt text, 190 bytes out, 3 passes, 1432947 bytes of memory (1399 KiB).
    const Bytes password = hexBytes(
        "4a857e2ee8aa9b6056f2424e84d24a72473378906ee04a46cb05311502d5250b82ad86b83c8f20a23dbb74f6da60b0b6ecff"
        "d67134"
        "d45946ac8ebfb3064294bc097d43ced68642bfb8bbbdd0f50b30118f5e");
    const Bytes salt = hexBytes("39d82eef32010b8b79cc5ba88ed539fb");
    Bytes out(190);
    argon2id(out, password, std::span<const std::uint8_t, kSaltBytes>(salt.data(), kSaltBytes), 3, 1432947);
    EXPECT_EQ(
        out, hexBytes("08d8cd330c57e1b4643241d05bb468ba4ee4e932cd0858816be9ef15360b27bbd06a87130ee92222be26"
                      "7a29b81f5ae8fe8613324cfc4832dc49387fd0602f1c57b4d0f3855db94fb7e12eb05f9a484aed4a4307ab"
                      "f586cd3d55c809bc081541e00b682772fb2066504ff935b8ebc551a2083882f874bc0fae68e56848ae34c9"
                      "1097c3bf0cca8e75c0797eef3efde3f75e005815018db3cf7c109a812264c4de69dcb22322dbbcfa447f5b"
                      "00ecd1b04a7be1569c8e556adb7bba48adf81d"));

    // The stream key is that function of the password's UTF-8 bytes, the header's salt and limits.
    const ContainerHeader header{kQuick, {}};
    const SecureBytes key = streamKey(SecureBytes::utf8Of(u"\u00e9\U0001F512\xD800").bytes(), header);
    const std::string utf8 = "\xc3\xa9\xf0\x9f\x94\x92\xef\xbf\xbd";  // an unpaired surrogate as U+FFFD
    Bytes expected(32);
    argon2id(expected, Bytes(utf8.begin(), utf8.end()), header.salt, 1, 8 * 1024 * 1024);
    EXPECT_EQ(Bytes(key.bytes().begin(), key.bytes().end()), expected);
}

TEST(PlugInLibrary, RegistersAndOffersTheMethodInterface) {
    ASSERT_TRUE(registerLibrary(VELMORA_ARGONBOX_PATH));
    const ObjectRef main = CreateObject(u"Argonbox.Main");
    ASSERT_TRUE(main);
    std::vector<std::u16string> names;
    for (const MemberInfo& m : main.as<ComObject>()->classInfo().members())
        if (names.empty() || names.back() != m.name) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"MethodName", u"EncryptByte", u"DecryptByte",
                                                  u"EncryptString", u"DecryptString", u"EncryptFile",
                                                  u"DecryptFile", u"FileExist", u"Progress", u"Error"}));
    EXPECT_EQ(getProperty(main, u"MethodName").toString(), u"XChaCha20-Poly1305 with Argon2id");

    // The library reads what any writer of the format made, by what its header says.
    const Parameters theirs{1, 8 * 1024, 2048};
    const Bytes data = randomBytes(5000, 23);
    Variant in(writeFromTable(data, "pw", theirs)), key(u"pw");
    EXPECT_EQ(call(main, u"DecryptByte", in, key).arrayRef().bytes(), data);
}

// The build tree's own engine, which scans its own plug-in folder, listed by name: Ageseal, Argonbox,
// Blockrune.
TEST(Engine, ListsTheMethodSecondAndUsesItWithTheDefaultParameters) {
    ASSERT_TRUE(registerLibrary(VELMORA_CIPHERCORE_PATH));
    {
        const ObjectRef engine = CreateObject(u"Ciphercore.EncryptObject");
        const ObjectRef methods = getProperty(engine, u"EncryptionMethods").toObject();
        ASSERT_EQ(getProperty(methods, u"Count").toLong(), 3);
        const ObjectRef argon = getProperty(methods, u"Item", 2).toObject();
        EXPECT_EQ(getProperty(argon, u"Title").toString(), u" Argonbox");
        EXPECT_EQ(getProperty(getProperty(argon, u"obj").toObject(), u"MethodName").toString(),
                  u"XChaCha20-Poly1305 with Argon2id");
        const ObjectRef rune = getProperty(methods, u"Item", 3).toObject();
        EXPECT_EQ(getProperty(rune, u"Title").toString(), u" Blockrune");
    }

    const fs::path dir = fs::path(std::getenv("TMPDIR")) / "engine";
    fs::create_directories(dir);
    const Bytes data = randomBytes(2 * 65536 + 10, 24);
    writeFile(dir / "plain", data);
    writeFile(dir / "foreign", randomBytes(200, 25));
    const std::string plain = (dir / "plain").string(), sealedFile = (dir / "plain.zqf").string(),
                      back = (dir / "back").string(), foreign = (dir / "foreign").string();
    const velmora::test::ProgramOutput out = velmora::test::runProgram(
        VELMORA_OBJCALL_PATH,
        {"--register", VELMORA_CIPHERCORE_PATH, "Ciphercore.EncryptObject", "IEventHandler:=sink",
         "SelectedMethod=2", "EncryptFile(s:" + plain + ", s:" + sealedFile + ", s:correct horse)",
         "DecryptFile(s:" + sealedFile + ", s:" + back + ")",
         "DecryptFile(s:" + foreign + ", s:" + back + ")"});
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(readFile(dir / "back"), data);
    const Bytes container = readFile(dir / "plain.zqf");
    ASSERT_EQ(container.size(), sealedLength(data.size(), 65536));
    EXPECT_EQ(le32(container, 12), 3u);      // operations
    EXPECT_EQ(le32(container, 16), 65536u);  // KiB: 64 MiB
    EXPECT_EQ(le32(container, 36), 65536u);  // chunk
    // Two successes, each with progress from 0 to 100 through the engine, and the foreign file's report.
    std::size_t from = 0, successes = 0;
    while ((from = out.text.find("b:true\n", from)) != std::string::npos) ++successes, ++from;
    EXPECT_EQ(successes, 2u) << out.text;
    EXPECT_NE(out.text.find("event Progress(obj:EncryptObject, i32:0)"), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("event Progress(obj:EncryptObject, i32:100)"), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("b:false\n"), std::string::npos) << out.text;
    EXPECT_NE(
        out.text.find("event Error(obj:EncryptObject, i32:" + std::to_string(methodError::NotThisMethod) +
                      ", s:" + kForeign + ", s:Main:DecryptFile)"),
        std::string::npos)
        << out.text;
}

}  // namespace
