// Share modes between handles of one process and of two processes.
#include <fcntl.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "FileTestSupport.h"

namespace {

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, D = DELETE;
constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;

struct ShareCase {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    DWORD expected;
};

// The Win32 rule, case by case: the second open is refused when it wants access the first does not share,
// or does not share access the first holds.
const ShareCase kShareGrid[] = {
    {R, SR, R, SR, ERROR_SUCCESS},
    {R, SR, R, SR | SW, ERROR_SUCCESS},
    {R, SR, W, SR | SW, ERROR_SHARING_VIOLATION},  // first does not share write
    {R, SR | SW, W, SR, ERROR_SUCCESS},            // reader shares write, writer shares read
    {R, SR | SW, W, SW, ERROR_SHARING_VIOLATION},  // writer does not share the first's read
    {W, SR, R, SR, ERROR_SHARING_VIOLATION},       // reader does not share the first's write
    {W, SR, R, SR | SW, ERROR_SUCCESS},
    {W, SW, W, SW, ERROR_SUCCESS},  // two writers sharing write
    {R | W, 0, R, SR | SW | SD, ERROR_SHARING_VIOLATION},
    {R, 0, R, SR, ERROR_SHARING_VIOLATION},
    {R, SR | SW, D, SR | SW, ERROR_SHARING_VIOLATION},  // delete not shared
    {R, SR | SD, D, SR | SW, ERROR_SUCCESS},
    {D, SR | SW | SD, R, SR, ERROR_SHARING_VIOLATION},  // second does not share the first's delete
    {0, 0, R | W, 0, ERROR_SUCCESS},                    // a handle without data access takes no part
    {R | W, 0, 0, 0, ERROR_SUCCESS},
    {GENERIC_ALL, SR | SW, R, SR | SW, ERROR_SHARING_VIOLATION},  // all access includes delete
};

class ShareModeTest : public FileTest, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(ShareModeTest, BetweenTwoHandlesOfOneProcess) {
    const ShareCase c = GetParam();
    write("f", "data");
    Handle first(
        CreateFileA(suite("f").c_str(), c.firstAccess, c.firstShare, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(first.valid()) << GetLastError();
    EXPECT_EQ(tryOpen(suite("f"), c.secondAccess, c.secondShare), c.expected);
}

TEST_P(ShareModeTest, BetweenTwoProcesses) {
    const ShareCase c = GetParam();
    write("f", "data");
    Handle first(
        CreateFileA(suite("f").c_str(), c.firstAccess, c.firstShare, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(first.valid()) << GetLastError();
    const std::string path = suite("f");
    EXPECT_EQ(inChildProcess([&] { return tryOpen(path, c.secondAccess, c.secondShare); }), c.expected);
}

// The probe answers as the open would, here and in another process, and leaves no registration behind.
TEST_P(ShareModeTest, AProbeAnswersAsTheOpenWould) {
    const ShareCase c = GetParam();
    write("f", "data");
    const std::string path = suite("f");
    const auto probe = [&]() -> DWORD {
        const bool granted = velmora::canOpenExisting(path.c_str(), c.secondAccess, c.secondShare, 0);
        return granted == (GetLastError() == ERROR_SUCCESS) ? GetLastError() : 0xBAD;
    };
    {
        Handle first(
            CreateFileA(path.c_str(), c.firstAccess, c.firstShare, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(first.valid()) << GetLastError();
        EXPECT_EQ(probe(), c.expected);
        EXPECT_EQ(inChildProcess(probe), c.expected);
    }
    EXPECT_EQ(tryOpen(path, GENERIC_ALL, 0), ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Grid, ShareModeTest, ::testing::ValuesIn(kShareGrid));

using ShareLifetimeTest = FileTest;

TEST_F(ShareLifetimeTest, ClosingTheHandleLiftsItsShareMode) {
    write("f", "data");
    Handle first(CreateFileA(suite("f").c_str(), R, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_EQ(tryOpen(suite("f"), R, SR), ERROR_SHARING_VIOLATION);
    first.close();
    EXPECT_EQ(tryOpen(suite("f"), R, SR), ERROR_SUCCESS);
}

// A child process that runs `hold`, reports its result and waits to be killed.
class Holder {
  public:
    explicit Holder(const std::function<bool()>& hold) {
        int ready[2], wait[2];
        if (pipe(ready) != 0 || pipe(wait) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            const char result = hold() ? 'y' : 'n';
            (void)!::write(ready[1], &result, 1);
            char ignored;
            (void)!::read(wait[0], &ignored, 1);  // until killed
            _exit(0);
        }
        char result = 0;
        m_ready = ::read(ready[0], &result, 1) == 1 && result == 'y';
        for (int fd : {ready[0], ready[1], wait[0], wait[1]}) close(fd);
    }
    ~Holder() { kill(); }
    bool ready() const { return m_ready; }
    void kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

  private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

TEST_F(ShareLifetimeTest, AKilledHolderReleasesItsFileAndOnlyThat) {
    write("f", "data");
    write("g", "data");
    const std::string f = suite("f"), g = suite("g");
    Holder holder([&] {
        return CreateFileA(f.c_str(), R | W, 0, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE &&
               CreateFileA(g.c_str(), R, SR, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE;
    });
    ASSERT_TRUE(holder.ready());
    EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(tryOpen(g, R, SR), ERROR_SUCCESS);  // the same lock file, another slot
    EXPECT_EQ(tryOpen(g, W, SR), ERROR_SHARING_VIOLATION);
    holder.kill();
    EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SUCCESS);
    EXPECT_EQ(tryOpen(g, W, 0), ERROR_SUCCESS);
}

TEST_F(ShareLifetimeTest, ADeletePendingMarkLeftByAKilledHolderIsForgotten) {
    write("f", "data");
    const std::string f = suite("f");
    Holder holder([&] {
        HANDLE doomed =
            CreateFileA(f.c_str(), R, SR | SD, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        HANDLE other = CreateFileA(f.c_str(), R, SR | SD, nullptr, OPEN_EXISTING, 0, nullptr);
        return doomed != INVALID_HANDLE_VALUE && other != INVALID_HANDLE_VALUE && CloseHandle(doomed);
    });
    ASSERT_TRUE(holder.ready());
    EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_ACCESS_DENIED);  // delete pending
    holder.kill();                                                // its last handle never closed
    ASSERT_TRUE(exists("f"));
    EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SUCCESS);
    EXPECT_TRUE(exists("f"));  // and that open's close deletes nothing
    EXPECT_EQ(tryOpen(f, R, SR), ERROR_SUCCESS);
}

TEST_F(ShareLifetimeTest, OneEmptyLockFileServesEveryFileOfADevice) {
    std::filesystem::remove_all(velmora::runtimeFolder());  // no marks of earlier tests
    for (const char* name : {"a", "b", "c"}) write(name, "data");
    {
        Handle a(CreateFileA(suite("a").c_str(), R, SR, nullptr, OPEN_EXISTING, 0, nullptr));
        Handle b(CreateFileA(suite("b").c_str(), R, SR, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(a.valid() && b.valid());
        EXPECT_EQ(tryOpen(suite("c"), W, 0), ERROR_SUCCESS);
    }
    int lockFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(velmora::runtimeFolder())) {
        if (entry.path().extension() != ".lock") continue;
        ++lockFiles;
        EXPECT_EQ(entry.file_size(), 0u) << entry.path();
    }
    EXPECT_EQ(lockFiles, 1);
}

TEST_F(ShareLifetimeTest, ARemovedRuntimeFolderIsMadeAgain) {
    write("f", "data");
    ASSERT_EQ(tryOpen(suite("f"), R, SR), ERROR_SUCCESS);
    std::filesystem::remove_all(velmora::runtimeFolder());
    EXPECT_EQ(tryOpen(suite("f"), R, SR), ERROR_SUCCESS);
}

TEST_F(ShareLifetimeTest, LockFilesKeptFromEarlierOpensStillMeetOtherProcesses) {
    write("f", "data");
    const std::string f = suite("f");
    // The child is forked with our kept lock-file descriptors; then the lock file is removed under them.
    for (const bool removeFolder : {false, true}) {
        ASSERT_EQ(tryOpen(f, R, SR), ERROR_SUCCESS);
        if (removeFolder) std::filesystem::remove_all(velmora::runtimeFolder());
        Holder holder([&] {
            return CreateFileA(f.c_str(), R | W, 0, nullptr, OPEN_EXISTING, 0, nullptr) !=
                   INVALID_HANDLE_VALUE;
        });
        ASSERT_TRUE(holder.ready());
        EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SHARING_VIOLATION) << removeFolder;
        EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SHARING_VIOLATION) << removeFolder;
        holder.kill();
        EXPECT_EQ(tryOpen(f, R, SR | SW | SD), ERROR_SUCCESS) << removeFolder;
    }
}

TEST_F(ShareLifetimeTest, HandlesAreNotInheritedByChildPrograms) {
    write("f", "data");
    Handle h(CreateFileA(suite("f").c_str(), R, SR, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h.valid());
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(entry.path(), ec).string();
        if (target != native("f") && target.find(".lock") == std::string::npos) continue;
        const int fd = std::stoi(entry.path().filename().string());
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << target;
        ++checked;
    }
    EXPECT_GE(checked, 2);  // the file and its lock file
}

using DeleteOnCloseTest = FileTest;

TEST_F(DeleteOnCloseTest, TheFileGoesWithItsLastHandle) {
    Handle h(CreateFileA(suite("f").c_str(), W, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(h.valid());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h.get(), "abc", 3, &written, nullptr));
    EXPECT_TRUE(exists("f"));
    h.close();
    EXPECT_FALSE(exists("f"));
}

TEST_F(DeleteOnCloseTest, OtherHandlesMustShareDeleteAndKeepTheFileUntilTheyClose) {
    write("f", "data");
    Handle doomed(CreateFileA(suite("f").c_str(), R, SR | SD, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(doomed.valid());
    EXPECT_EQ(tryOpen(suite("f"), R, SR), ERROR_SHARING_VIOLATION);
    Handle other(CreateFileA(suite("f").c_str(), R, SR | SD, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other.valid());
    doomed.close();
    EXPECT_TRUE(exists("f"));
    EXPECT_EQ(tryOpen(suite("f"), R, SR | SW | SD), ERROR_ACCESS_DENIED);  // delete pending
    other.close();
    EXPECT_FALSE(exists("f"));
}

TEST_F(DeleteOnCloseTest, TheLastHandleInAnotherProcessDeletes) {
    write("f", "data");
    const std::string path = suite("f");
    Handle holder(CreateFileA(path.c_str(), R, SR | SD, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(
        inChildProcess([&] { return tryOpen(path, R, SR | SD, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE); }),
        ERROR_SUCCESS);
    EXPECT_TRUE(exists("f"));
    holder.close();
    EXPECT_FALSE(exists("f"));
}

// The name goes at the close; the descriptor, whose last close frees the file, goes on another thread, a
// batch at a time (of 16 at most, which may wait for the process's end).
TEST_F(DeleteOnCloseTest, DescriptorsOfDeletedFilesDoNotPileUp) {
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    const auto before = openDescriptors();
    for (int i = 0; i < 200; ++i) {
        const std::string name = "f" + std::to_string(i);
        Handle h(
            CreateFileA(suite(name).c_str(), W, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        ASSERT_TRUE(h.valid());
        h.close();
        EXPECT_FALSE(exists(name));
    }
    // Bounded: the closing thread is given time, not a moment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    constexpr long kMostWaiting = 16 + 1;  // and the lock file's spare descriptor
    while (openDescriptors() > before + kMostWaiting && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_LE(openDescriptors(), before + kMostWaiting);
}

TEST_F(DeleteOnCloseTest, ARenamedFileIsStillDeletedAndAnotherFileUnderItsOldNameStays) {
    write("f", "data");
    Handle h(CreateFileA(suite("f").c_str(), R, SR | SD, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE,
                         nullptr));
    ASSERT_TRUE(h.valid());
    std::filesystem::rename(native("f"), native("g"));
    write("f", "another");
    h.close();
    EXPECT_FALSE(exists("g"));
    EXPECT_EQ(read("f"), "another");
}

}  // namespace
