// The programs' log call outliving the log server: the real Tracebook.exe killed under a client that goes
// on, its later entries on standard error, one line each.
#include "common/ApplicationLog.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "component/CreateObject.h"
#include "component/calls.h"
#include "runtime/text.h"
#include "testsupport/ChildProcess.h"

namespace velmora {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ApplicationLogTest, AClientOutlivesItsKilledLogServerAndSaysWhatItCouldNotLog) {
    ASSERT_EQ(test::runProgram(VELMORA_TRACEBOOK_PATH, {"/regserver"}).status, 0);
    const auto file = std::filesystem::path(std::getenv("TMPDIR")) / "Ardent.zq_";
    ObjectRef log = CreateObject(u"Tracebook.LogObject");
    letProperty(log, u"LogFilename", fromUtf8(file.string()));
    const LogEntry entry{u"Subscript out of range", u"Sealdesk", u"frmEncrypt", u"cmdOK_Click", 9, false};
    EXPECT_TRUE(logEntry(log, entry));
    EXPECT_NE(readFile(file).find(",Subscript out of range,9\r\n"), std::string::npos);

    const pid_t server = test::childProcessOf(getpid(), VELMORA_TRACEBOOK_PATH);
    ASSERT_GT(server, 0);
    ASSERT_EQ(kill(server, SIGKILL), 0);
    ASSERT_TRUE(test::waitUntil([&] { return !test::processRunning(server); }));
    // Every later entry: the call fails (462), nothing is raised, the entry is one line on standard error.
    const LogEntry broken{u"two\r\nlines", u"Sealdesk", u"frmDecrypt", u"Form_Load", 53, true};
    for (int round = 0; round < 2; ++round) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(logEntry(log, broken));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_match(
            said,
            std::regex("Sealdesk: frmDecrypt\\.Form_Load: two  lines \\(error 53; not logged: .+\\)\n")))
            << said;
    }
    log = {};  // the proxy of the dead server goes quietly

    testing::internal::CaptureStderr();
    EXPECT_FALSE(logEntry({}, entry));  // no log object at all (its creation failed)
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
}  // namespace velmora
