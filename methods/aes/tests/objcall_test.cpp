// End to end through objcall, as an outside client runs the plug-in: registration, calls by name with
// the recording sink as handler, and the printed results.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BlockruneTestSupport.h"

using namespace velmora::testing;

namespace {

struct Output {
    int status = -1;
    std::string text;
};

Output objcall(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        std::vector<char*> argv{const_cast<char*>(VELMORA_OBJCALL_PATH), const_cast<char*>("--register"),
                                const_cast<char*>(VELMORA_BLOCKRUNE_PATH),
                                const_cast<char*>("Blockrune.Main")};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(VELMORA_OBJCALL_PATH, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    Output out;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = read(pipeFds[0], buffer.data(), buffer.size())) > 0;)
        out.text.append(buffer.data(), n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
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
