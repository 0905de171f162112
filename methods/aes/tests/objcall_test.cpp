// End to end through objcall, as an outside client runs the plug-in: registration, calls by name with
// the recording sink as handler, and the printed results.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BlockruneTestSupport.h"
#include "testsupport/ChildProcess.h"

using namespace velmora::testing;

namespace {

using Output = velmora::test::ProgramOutput;

// Registers the plug-in and creates its main object before the steps.
Output objcall(const std::vector<std::string>& steps) {
    std::vector<std::string> args{"--register", VELMORA_BLOCKRUNE_PATH, "Blockrune.Main"};
    args.insert(args.end(), steps.begin(), steps.end());
    return velmora::test::objcall(args);
}

}  // namespace

TEST(Objcall, StringsRoundTripWithProgressOnTheHandler) {
    McryptOracle oracle(passwordKey(u"key"));
    std::string hex;
    for (std::uint8_t b : oracle.encrypt(plainFrame({'a', 0}, 2))) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    const Output out = objcall(
        {"MethodName", "EncryptString(\"a\",\"key\",sink)", "DecryptString(\"" + hex + "\",\"key\")"});
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.text,
              "s:256 bit - Rinjdael - AES\n"
              "s:" +
                  hex +
                  "\n"
                  "  event RaiseProgress(i32:0)\n"
                  "  event Progress(i32:0)\n"
                  "s:a\n"
                  "  event Progress(i32:0)\n");
}

TEST(Objcall, FilesAndTheErrorPath) {
    const std::string dir = std::getenv("TMPDIR");
    const std::string plain = dir + "/objcall-plain.bin", encrypted = dir + "/objcall-plain.zqf",
                      back = dir + "/objcall-back.bin";
    const Bytes data = randomBytes(100, 8);
    std::ofstream(plain, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());

    const Output out = objcall({"EncryptFile(\"" + plain + "\",\"" + encrypted + "\",\"pw\")",
                                "DecryptFile(\"" + encrypted + "\",\"" + back + "\",\"pw\")",
                                "DecryptFile(\"" + encrypted + "\",\"" + back + "\",\"wrong\")",
                                "EncryptFile(\"" + dir + "/none\",\"" + back + "\",\"pw\",sink)"});
    EXPECT_EQ(out.status, 0);
    const std::string missing = "Error in Rijindael EncryptFile procedure (Source file does not exist).";
    EXPECT_EQ(out.text,
              "b:true\n  event Progress(i32:0)\n  event Progress(i32:25)\n  event Progress(i32:50)\n"
              "  event Progress(i32:75)\n"
              "b:true\n  event Progress(i32:0)\n  event Progress(i32:25)\n  event Progress(i32:50)\n"
              "  event Progress(i32:75)\n"
              "b:false\n  event Progress(i32:0)\n  event Progress(i32:25)\n  event Progress(i32:50)\n"
              "  event Progress(i32:75)\n"
              // this wrong password deciphers to a negative length: reported by the byte step
              "  event Error(i32:9, s:Subscript out of range, s:Main:DecryptByte)\n"
              "b:false\n"
              "  event RaiseError(i32:-2147221504, s:" +
                  missing +
                  ", s:Main:EncryptFile)\n"
                  "  event Error(i32:-2147221504, s:" +
                  missing + ", s:Main:EncryptFile)\n");
    std::ifstream in(back, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), data);
}
