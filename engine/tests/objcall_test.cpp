// The engine as a new user first meets it: the build tree's own library and plug-in folder, driven from
// the shell through objcall, with nothing installed.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "CiphercoreTestSupport.h"

namespace velmora::test {
namespace {

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> engineRun(const std::string& step) {
    return {"--register",          VELMORA_CIPHERCORE_PATH, "Ciphercore.EncryptObject",
            "IEventHandler:=sink", "SelectedMethod=1",      step};
}

TEST(ObjcallTest, EncryptThenDecryptRestoresTheFileByteForByteWithProgressLines) {
    const fs::path folder = freshFolder();
    std::string plain(70000, '\0');
    std::mt19937 random(7);
    for (char& c : plain) c = static_cast<char>(random());
    std::ofstream(folder / "plain.bin", std::ios::binary) << plain;
    const std::string source = (folder / "plain.bin").string();
    const std::string sealed = (folder / "plain.bin.zqf").string();
    const std::string restored = (folder / "restored.bin").string();

    const Output encrypted =
        objcall(engineRun("EncryptFile(s:" + source + ", s:" + sealed + ", s:correct horse)"));
    ASSERT_EQ(encrypted.status, 0) << encrypted.text;
    EXPECT_EQ(encrypted.text.rfind("empty\nempty\nb:true\n", 0), 0u) << encrypted.text;
    EXPECT_NE(encrypted.text.find("event Progress("), std::string::npos) << encrypted.text;
    EXPECT_NE(contentsOf(sealed), plain);

    const Output decrypted =
        objcall(engineRun("DecryptFile(s:" + sealed + ", s:" + restored + ", s:correct horse)"));
    ASSERT_EQ(decrypted.status, 0) << decrypted.text;
    EXPECT_NE(decrypted.text.find("event Progress("), std::string::npos) << decrypted.text;
    EXPECT_EQ(contentsOf(restored), plain);
}

TEST(ObjcallTest, BadInputGetsTheEmptyResultOrTheNotification) {
    const struct {
        std::vector<std::string> steps;
        std::string expected;
    } cases[] = {
        // No such source: false, no notification.
        {{"SelectedMethod=1", "EncryptFile(s:/nonexistent/x, s:/tmp/y, s:pw)"}, "empty\nempty\nb:false\n"},
        // Out of range: the client's Error notification, nothing raised.
        {{"SelectedMethod=5"},
         "empty\nempty\n  event Error(obj:EncryptObject, i32:9, s:Subscript Out Of Range, "
         "s:SelectedMethod)\n"},
        // A one-element array never reaches the plug-in.
        {{"SelectedMethod=1", "EncryptByte(bytes:07, s:pw)"}, "empty\nempty\narray(unallocated)\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--register", VELMORA_CIPHERCORE_PATH, "Ciphercore.EncryptObject",
                                      "IEventHandler:=sink"};
        args.insert(args.end(), c.steps.begin(), c.steps.end());
        const Output out = objcall(args);
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.text, c.expected);
    }
}

}  // namespace
}  // namespace velmora::test
