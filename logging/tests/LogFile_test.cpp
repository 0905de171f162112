// Where the log goes: beside the program while the user may write there, else the user's state folder.
// A system-wide install leaves the program folder writable for root alone, and root may write anywhere; so
// a run as root looks through the eyes of another user (uid 65534) in a child process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logging/LogFile.h"
#include "platform/paths.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOtherUser = 65534;
const std::string kLine = "2,Sealdesk,mMain,Main,12/07/26 10:11:12,An error,5\r\n";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder every user can reach (the sandbox's own temporary folder is root's alone when run as root).
struct SharedFolder {
    SharedFolder() {
        char name[] = "/tmp/velmora-logfile-XXXXXX";
        path = mkdtemp(name);
        chmod(path.c_str(), 0755);
    }
    ~SharedFolder() {
        std::error_code ignored;  // the read-only folders are the test's own: writable again to go
        for (const auto& entry : fs::recursive_directory_iterator(path, ignored))
            if (entry.is_directory(ignored)) chmod(entry.path().c_str(), 0755);
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

// In a child running as an ordinary user with `environment` set: where the log for `log` goes, and the
// line appended there. Exit status 0 when the line was written.
int logAsOrdinaryUser(const fs::path& log,
                      const std::vector<std::pair<std::string, std::string>>& environment,
                      const fs::path& expected) {
    const pid_t child = fork();
    if (child == 0) {
        for (const auto& [name, value] : environment) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        if (geteuid() == 0 && (setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0)) _exit(3);
        const std::string chosen = logFileFor(toSuitePath(log.string()));
        if (toNativePath(chosen) != expected.string()) _exit(4);
        _exit(appendLogLine(chosen, kLine, 5000000) ? 0 : 5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(LogFile, AProgramFolderTheUserCannotWriteSendsTheLogToTheStateFolder) {
    SharedFolder shared;
    const fs::path program = shared.path / "lib" / "velmora";
    fs::create_directories(program);
    const fs::path home = shared.path / "home";
    const fs::path state = shared.path / "state";
    for (const fs::path& folder : {home, state}) {
        fs::create_directories(folder);
        chmod(folder.c_str(), 0777);
    }
    const fs::path log = program / "Ardent.zq_";

    // Writable: the log stays beside the program, under the name it was given.
    EXPECT_EQ(logFileFor(toSuitePath(log.string())), toSuitePath(log.string()));
    EXPECT_EQ(logFileFor(""), "");

    chmod(program.c_str(), 0555);
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> environment;
        fs::path expected;
    };
    const Case cases[] = {
        {"XDG_STATE_HOME", {{"XDG_STATE_HOME", state.string()}}, state / "velmora" / "Ardent.zq_"},
        {"its default under HOME",
         {{"XDG_STATE_HOME", ""}, {"HOME", home.string()}},
         home / ".local" / "state" / "velmora" / "Ardent.zq_"},
        {"a relative XDG_STATE_HOME, which does not count",
         {{"XDG_STATE_HOME", "state"}, {"HOME", home.string()}},
         home / ".local" / "state" / "velmora" / "Ardent.zq_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(c.expected.parent_path());
        // Two lines: the second appends to the first, in the log's own format.
        ASSERT_EQ(logAsOrdinaryUser(log, c.environment, c.expected), 0);
        ASSERT_EQ(logAsOrdinaryUser(log, c.environment, c.expected), 0);
        EXPECT_EQ(readFile(c.expected), kLine + kLine);
        EXPECT_EQ(fs::status(c.expected.parent_path()).permissions(), fs::perms::owner_all);
        EXPECT_FALSE(fs::exists(log));
    }
}

TEST(LogFile, ALogFileTheUserMayWriteInAReadOnlyFolderIsKept) {
    SharedFolder shared;
    const fs::path program = shared.path / "program";
    fs::create_directories(program);
    const fs::path log = program / "Ardent.zq_";
    std::ofstream(log, std::ios::binary) << "earlier\r\n";
    chmod(log.c_str(), 0666);
    chmod(program.c_str(), 0555);
    ASSERT_EQ(logAsOrdinaryUser(log, {{"XDG_STATE_HOME", (shared.path / "unused").string()}}, log), 0);
    EXPECT_EQ(readFile(log), "earlier\r\n" + kLine);
    EXPECT_FALSE(fs::exists(shared.path / "unused"));
}
