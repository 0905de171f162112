// The temporary folder decrypted copies go to: $TMPDIR, else a folder nobody but its user can enter.
// The /tmp cases run as a second user id in a child process, since they need one (and root to get one).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/paths.h"
#include "platform/tempfiles.h"

namespace fs = std::filesystem;

namespace {

struct Answer {
    std::string path;  // what GetTempPathA gave, empty when it failed
    DWORD error = 0;
};

// Runs GetTempPathA in a child as `uid` with TMPDIR and XDG_RUNTIME_DIR as given (nullptr: unset).
Answer tempPathAs(uid_t uid, const char* tmpdir, const char* runtimeDir) {
    int channel[2];
    if (pipe(channel) != 0) return {"", 0xFFFFFFFF};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setresgid(uid, uid, uid) != 0 || setresuid(uid, uid, uid) != 0) _exit(3);
        tmpdir ? setenv("TMPDIR", tmpdir, 1) : unsetenv("TMPDIR");
        runtimeDir ? setenv("XDG_RUNTIME_DIR", runtimeDir, 1) : unsetenv("XDG_RUNTIME_DIR");
        char buffer[MAX_PATH] = {};
        const DWORD length = GetTempPathA(sizeof buffer, buffer);
        const std::string reply = length ? std::string(buffer, length) : "!" + std::to_string(GetLastError());
        const bool written = write(channel[1], reply.data(), reply.size()) == ssize_t(reply.size());
        _exit(written ? 0 : 4);
    }
    close(channel[1]);
    std::string reply;
    char chunk[512];
    for (ssize_t n; (n = read(channel[0], chunk, sizeof chunk)) > 0;) reply.append(chunk, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    if (!reply.empty() && reply[0] == '!') return {"", static_cast<DWORD>(std::stoul(reply.substr(1)))};
    return {reply, 0};
}

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
        // A user id with no account, different per run, so that /tmp holds nothing of it yet.
        m_uid = 200000 + static_cast<uid_t>(getpid() % 100000);
        m_tmpFolder = "/tmp/velmora-" + std::to_string(m_uid);
        // The test's sandbox is root's alone, so the second user's folders live beside it.
        m_sandbox = "/tmp/velmora-tempfolder-test-" + std::to_string(m_uid);
        fs::remove_all(m_sandbox);
        fs::create_directories(m_sandbox);
        fs::remove_all(m_tmpFolder);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!m_tmpFolder.empty()) fs::remove_all(m_tmpFolder, ignored);
        if (!m_sandbox.empty()) fs::remove_all(m_sandbox, ignored);
    }
    std::string ownedFolder(const std::string& name) {
        const std::string path = (m_sandbox / name).string();
        fs::create_directories(path);
        EXPECT_EQ(chown(path.c_str(), m_uid, m_uid), 0);
        chmod(path.c_str(), 0700);
        return path;
    }
    static std::string suite(const std::string& native) { return velmora::toSuitePath(native) + "\\"; }

    uid_t m_uid = 0;
    std::string m_tmpFolder;
    fs::path m_sandbox;
};

void expectPrivate(const std::string& folder, uid_t uid) {
    struct stat st {};
    ASSERT_EQ(lstat(folder.c_str(), &st), 0) << folder;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
    EXPECT_EQ(st.st_uid, uid) << folder;
    EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
}

TEST_F(TempFolder, TmpdirWinsThenTheRuntimeFolderThenOwnFolderUnderTmp) {
    const std::string runtime = ownedFolder("runtime");
    EXPECT_EQ(tempPathAs(m_uid, "/srv/scratch", runtime.c_str()).path, "Z:\\srv\\scratch\\");

    EXPECT_EQ(tempPathAs(m_uid, nullptr, runtime.c_str()).path, suite(runtime + "/velmora/temp"));
    expectPrivate(runtime + "/velmora/temp", m_uid);

    // No runtime folder (unset, or named but missing): the user's own folder under /tmp, made private.
    for (const char* missing : {static_cast<const char*>(nullptr), "/nonexistent/run/user"}) {
        fs::remove_all(m_tmpFolder);
        EXPECT_EQ(tempPathAs(m_uid, nullptr, missing).path, suite(m_tmpFolder + "/temp"));
        expectPrivate(m_tmpFolder, m_uid);
        expectPrivate(m_tmpFolder + "/temp", m_uid);
    }
}

TEST_F(TempFolder, AFolderUnderTmpThatIsNotTheUsersOwnIsRefused) {
    const std::string elsewhere = ownedFolder("elsewhere");
    const struct {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"another user's folder", [&] { fs::create_directory(m_tmpFolder); }},
        {"a link to the user's own folder", [&] { fs::create_directory_symlink(elsewhere, m_tmpFolder); }},
        {"the user's folder with another user's temp inside",
         [&] {
             fs::create_directory(m_tmpFolder);
             fs::create_directory(m_tmpFolder + "/temp");
             ASSERT_EQ(chown(m_tmpFolder.c_str(), m_uid, m_uid), 0);
         }},
        {"a link as temp",
         [&] {
             fs::create_directory(m_tmpFolder);
             fs::create_directory_symlink(elsewhere, m_tmpFolder + "/temp");
             ASSERT_EQ(lchown((m_tmpFolder + "/temp").c_str(), m_uid, m_uid), 0);
             ASSERT_EQ(chown(m_tmpFolder.c_str(), m_uid, m_uid), 0);
             chmod(m_tmpFolder.c_str(), 0700);
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_tmpFolder);
        c.prepare();
        const Answer answer = tempPathAs(m_uid, nullptr, nullptr);
        EXPECT_EQ(answer.path, "") << c.what;
        EXPECT_EQ(answer.error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.what;
        EXPECT_TRUE(fs::is_empty(elsewhere)) << c.what;
    }
}

}  // namespace
