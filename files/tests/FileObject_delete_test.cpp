// Deleting (the four kinds, the wipe's exact write sequence and Progress), copying, moving, renaming and
// FileExecute, on real files.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "DiskwareTestSupport.h"
#include "component/CallbackSink.h"
#include "files/FileObject.h"
#include "platform/attributes.h"
#include "platform/files.h"
#include "platform/messagebox.h"
#include "platform/registryapi.h"

using namespace velmora;
using namespace velmora::test;

namespace {

// Records the wipe's calls and passes them on to the platform, so the file really goes through them.
class RecordingWipeIo : public PlatformWipeIo {
  public:
    struct Call {
        char kind;  // 'W' write, 'F' flush, 'R' rewind, 'C' close
        int value = 0;
        std::uint64_t count = 0;
        std::uint64_t sizeAfter = 0;
    };

    HANDLE open(const std::string& path) override {
        opened = true;
        return PlatformWipeIo::open(path);
    }
    DWORD write(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t count) override {
        std::lock_guard lock(m_mutex);
        // A write numbered failAt fails as a disk that filled up (or whatever failWith says) would.
        const bool fails = ++m_writes == failAt;
        const DWORD result = fails ? failWith : PlatformWipeIo::write(file, block, count);
        calls.push_back({'W', block[0], count, sizeOf(file)});
        return result;
    }
    DWORD flush(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        const DWORD result = PlatformWipeIo::flush(file);
        calls.push_back({'F'});
        return result;
    }
    void rewind(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        PlatformWipeIo::rewind(file);
        calls.push_back({'R'});
    }
    void close(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        PlatformWipeIo::close(file);
        calls.push_back({'C'});
    }

    std::vector<Call> writes() const {
        std::lock_guard lock(m_mutex);
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == 'W') out.push_back(c);
        return out;
    }
    std::string kinds() const {
        std::lock_guard lock(m_mutex);
        std::string out;
        for (const Call& c : calls) out += c.kind;
        return out;
    }

    std::atomic<bool> opened = false;
    std::vector<Call> calls;
    int failAt = 0;
    DWORD failWith = ERROR_DISK_FULL;

  private:
    mutable std::mutex m_mutex;  // wipes started ahead call from worker threads
    int m_writes = 0;
    static std::uint64_t sizeOf(HANDLE file) {
        DWORD high = 0;
        const DWORD low = GetFileSize(file, &high);
        return (std::uint64_t(high) << 32) | low;
    }
};

class FileObjectDelete : public DiskwareTest {
  protected:
    void SetUp() override {
        DiskwareTest::SetUp();
        m_file = makeObject<FileObject>();
        m_file->setWipeIo(m_io);
        connectEvents(ObjectRef(m_file),
                      makeObject<CallbackSink>([this](std::u16string_view, std::span<Variant> a) {
                          m_progress.push_back(a[0].toInteger());
                      }));
    }
    bool wipe(const std::string& name, std::int16_t passes) {
        std::u16string path = suite(name);
        return m_file->FileDelete(vWipe, path, false, passes);
    }

    Ref<FileObject> m_file;
    std::shared_ptr<RecordingWipeIo> m_io = std::make_shared<RecordingWipeIo>();
    std::vector<std::int16_t> m_progress;
    MessageBoxRecorder m_boxes;
};

TEST_F(FileObjectDelete, WipeOfASmallFileWritesSixTimesAndReportsPerPass) {
    write("small", "0123456789");
    EXPECT_TRUE(wipe("small", 2));
    const auto writes = m_io->writes();
    ASSERT_EQ(writes.size(), 6u);
    const int fixed[] = {0x00, -1, 0xFF, 0x00, -1, 0xFF};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(writes[i].count, 10u);
        EXPECT_EQ(writes[i].sizeAfter, 10u);
        if (fixed[i] >= 0) {
            EXPECT_EQ(writes[i].value, fixed[i]) << i;
        } else {
            EXPECT_GE(writes[i].value, 1) << i;
            EXPECT_LE(writes[i].value, 255) << i;
        }
    }
    // Every phase reaches the device before the next one starts.
    EXPECT_EQ(m_io->kinds(), "WFRWFRWFRWFRWFRWFRC");
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{50, 100, 100}));
    EXPECT_FALSE(exists("small"));
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(FileObjectDelete, WipeOfALargeFileGrowsAndCountsBlocks) {
    constexpr std::uint64_t kMiB = 1048576;
    write("large", std::string(2621440, 'x'));
    EXPECT_TRUE(wipe("large", 1));
    const auto writes = m_io->writes();
    ASSERT_EQ(writes.size(), 9u);
    const std::uint64_t counts[] = {kMiB, kMiB, 524288, kMiB, kMiB, 2621440, kMiB, kMiB, 2621440};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(writes[i].count, counts[i]) << i;
    EXPECT_EQ(writes[2].sizeAfter, 2621440u);
    EXPECT_EQ(writes[5].sizeAfter, 2 * kMiB + 2621440);  // the file grows while it is wiped
    EXPECT_EQ(writes[3].value, writes[5].value);
    EXPECT_EQ(writes[8].value, 0xFF);
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{16, 33, 50, 66, 83, 100, 100}));
    EXPECT_FALSE(exists("large"));
}

TEST_F(FileObjectDelete, WipeEdgeLengthsAndPassCounts) {
    write("mib", std::string(1048576, 'x'));
    EXPECT_TRUE(wipe("mib", 1));  // N = 1, R = 0, but not above one block: only tails
    const auto writes = m_io->writes();
    ASSERT_EQ(writes.size(), 2u);  // the first zero phase writes nothing
    EXPECT_EQ(writes[0].count, 1048576u);
    EXPECT_EQ(writes[1].value, 0xFF);
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{100, 100}));

    m_io->calls.clear();
    m_progress.clear();
    write("none", "keep?");
    EXPECT_TRUE(wipe("none", 0));  // no pass, yet deleted through its delete-on-close handle
    EXPECT_EQ(m_io->kinds(), "C");
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{100}));
    EXPECT_FALSE(exists("none"));

    m_io->calls.clear();
    write("negative", "abc");
    EXPECT_TRUE(wipe("negative", -3));
    EXPECT_EQ(m_io->kinds(), "C");
}

TEST_F(FileObjectDelete, WipeRefusedForOpenReadOnlyOrMissingFilesLeavesThemAlone) {
    write("open", "data");
    write("ro", "data");
    ASSERT_TRUE(SetFileAttributesA(native("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    const HANDLE reader = CreateFileA(native("open").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    for (const char* name : {"open", "ro", "missing"}) EXPECT_TRUE(wipe(name, 3)) << name;
    CloseHandle(reader);
    ASSERT_EQ(m_boxes.messages().size(), 3u);
    for (const auto& box : m_boxes.messages()) {
        EXPECT_EQ(box.text, "File does Not exist, or is already open!");
        EXPECT_EQ(box.caption, "Error!");
        EXPECT_EQ(box.type, MB_ICONERROR | MB_OK);
    }
    EXPECT_TRUE(m_io->writes().empty());
    EXPECT_TRUE(m_progress.empty());
    EXPECT_EQ(read("open"), "data");
    EXPECT_EQ(read("ro"), "data");
}

// What the wipe must not destroy, or could not overwrite, stays under its name and the failure is raised
// to the caller: a file with a second name, a write that fails (injected), and a disk that really fills up
// while the file grows during its wipe.
TEST_F(FileObjectDelete, WipeKeepsFilesItCannotOrMustNotOverwrite) {
    write("named twice", "shared data");
    ASSERT_EQ(::link(native("named twice").c_str(), native("other name").c_str()), 0);
    const auto linked = errorOf([&] { wipe("named twice", 3); });
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->number(), err::PathFileAccessError);
    EXPECT_EQ(linked->source(), u"FileObject:FileDelete");
    EXPECT_TRUE(m_io->writes().empty());
    EXPECT_EQ(read("named twice"), "shared data");
    EXPECT_EQ(read("other name"), "shared data");

    struct Case {
        const char* name;
        DWORD platformError;
        std::int32_t number;
    } cases[] = {{"full", ERROR_DISK_FULL, err::DiskFull}, {"broken", ERROR_WRITE_FAULT, err::DeviceIOError}};
    for (const Case& c : cases) {
        m_io->calls.clear();
        m_progress.clear();
        write(c.name, "0123456789");
        m_io->failAt = 2;  // the first pass's random phase
        m_io->failWith = c.platformError;
        EXPECT_EQ(errorNumberOf([&] { wipe(c.name, 2); }), c.number) << c.name;
        EXPECT_EQ(m_io->kinds(), "WFRWC") << c.name;  // nothing written after the failure
        EXPECT_TRUE(exists(c.name)) << c.name;
        EXPECT_TRUE(m_boxes.messages().empty());
        m_io = std::make_shared<RecordingWipeIo>();
        m_file->setWipeIo(m_io);
    }
}

TEST_F(FileObjectDelete, WipeOnAFileSystemThatFillsUpKeepsTheFile) {
    const std::string mount = native("small disk");
    std::filesystem::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=3m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mount};
    // 2.5 MiB grows to 2 MiB + 2.5 MiB in the random phase: more than the 3 MiB there is.
    write("small disk/victim", std::string(2621440, 'p'));
    EXPECT_EQ(errorNumberOf([&] { wipe("small disk/victim", 1); }), err::DiskFull);
    EXPECT_TRUE(exists("small disk/victim"));
    EXPECT_EQ(m_io->kinds().back(), 'C');
}

// A wipe started ahead runs on a worker at once; everything it reports waits for its FileDelete, on the
// caller's thread: the Progress values, the refused open's message, the error of a file with other names.
TEST_F(FileObjectDelete, WipeAheadReportsInItsFileDeleteAsAWipeInTheCallWould) {
    write("small", "0123456789");
    write("held", "data");
    write("named twice", "shared data");
    ASSERT_EQ(::link(native("named twice").c_str(), native("other name").c_str()), 0);
    const HANDLE reader = CreateFileA(native("held").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    m_file->wipeAhead(suite("small"), 2);
    while (m_io->kinds().empty() || m_io->kinds().back() != 'C') std::this_thread::yield();
    EXPECT_TRUE(m_progress.empty());
    EXPECT_TRUE(wipe("small", 2));
    EXPECT_EQ(m_io->kinds(), "WFRWFRWFRWFRWFRWFRC");  // each phase flushed before the next
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{50, 100, 100}));
    EXPECT_FALSE(exists("small"));

    for (const char* name : {"held", "named twice"}) m_file->wipeAhead(suite(name), 2);

    EXPECT_TRUE(wipe("held", 2));
    ASSERT_EQ(m_boxes.messages().size(), 1u);
    EXPECT_EQ(m_boxes.messages()[0].text, "File does Not exist, or is already open!");
    CloseHandle(reader);
    EXPECT_EQ(read("held"), "data");

    EXPECT_EQ(errorNumberOf([&] { wipe("named twice", 2); }), err::PathFileAccessError);
    EXPECT_EQ(read("named twice"), "shared data");
    EXPECT_EQ(m_progress.size(), 3u);  // neither of the two raised any

    // A file object released with wipes still ahead: each file is either wiped whole or untouched.
    m_file->wipeAhead(suite("other name"), 1);
    m_file.reset();
    EXPECT_TRUE(!exists("other name") || read("other name") == "shared data");
}

TEST_F(FileObjectDelete, KillRecycleAndDestroy) {
    write("k", "x");
    std::u16string name = suite("k");
    EXPECT_TRUE(m_file->FileDelete(vKill, name));
    EXPECT_FALSE(exists("k"));
    EXPECT_FALSE(m_file->FileDelete(vKill, name));  // missing now
    std::u16string other = suite("k");
    EXPECT_FALSE(m_file->FileDelete(42, other));  // any other kind is vKill

    write("r", "recycled");
    m_file->setFileName(suite("r"));
    std::u16string own;
    EXPECT_TRUE(m_file->FileDelete(vRecycle, own));
    EXPECT_EQ(own, suite("r"));  // the caller's empty name receives the object's
    EXPECT_FALSE(exists("r"));
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/r"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/r.trashinfo"));

    write("d", "destroyed");
    std::u16string destroyed = suite("d");
    EXPECT_TRUE(m_file->FileDelete(vDestroy, destroyed));
    EXPECT_FALSE(exists("d"));
}

TEST_F(FileObjectDelete, LockedFileIsNeitherKilledNorRecycled) {
    write("held", "x");
    const HANDLE holder = CreateFileA(native("held").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    std::u16string name = suite("held");
    EXPECT_FALSE(m_file->FileDelete(vKill, name));
    EXPECT_FALSE(m_file->FileDelete(vRecycle, name));
    CloseHandle(holder);
    EXPECT_EQ(read("held"), "x");
}

TEST_F(FileObjectDelete, CopyMoveAndRenameThroughTheShell) {
    write("a.txt", "A");
    std::filesystem::create_directories(native("dir"));
    m_file->setFileName(suite("a.txt"));
    std::u16string own;
    EXPECT_TRUE(m_file->FileCopy(suite("dir"), own));  // into the folder
    EXPECT_EQ(read("dir/a.txt"), "A");
    write("a.txt", "A2");
    own.clear();
    EXPECT_TRUE(m_file->FileCopy(suite("dir"), own));  // replaced without asking
    EXPECT_EQ(read("dir/a.txt"), "A2");

    std::u16string source = suite("a.txt");
    EXPECT_TRUE(m_file->FileRename(suite("b.txt"), source));
    EXPECT_TRUE(exists("b.txt"));
    write("c.txt", "C");
    source = suite("c.txt");
    EXPECT_FALSE(m_file->FileRename(suite("b.txt"), source));  // rename never replaces

    // A move onto an existing file asks; the default answer keeps the existing file.
    source = suite("c.txt");
    EXPECT_FALSE(m_file->FileMove(suite("b.txt"), source));
    ASSERT_EQ(m_boxes.messages().size(), 1u);
    EXPECT_EQ(read("b.txt"), "A2");
    m_boxes.answer(IDYES);
    EXPECT_TRUE(m_file->FileMove(suite("b.txt"), source));
    EXPECT_EQ(read("b.txt"), "C");
    EXPECT_FALSE(exists("c.txt"));
}

TEST_F(FileObjectDelete, FileExecuteErrorsAndTheEmptyCase) {
    EXPECT_EQ(m_file->FileExecute(), 0);  // no name: nothing is called

    write("doc.qqzx", std::string("\x01\x02\x03\x00\xff", 5));
    try {
        m_file->FileExecute(suite("doc.qqzx"));
        FAIL() << "no error raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 31);
        EXPECT_EQ(error.description(), u"No association for file extension");
        EXPECT_EQ(error.source(), u"FileObject:FileExecute");
    }
    EXPECT_EQ(m_file->FileName(), suite("doc.qqzx"));
    EXPECT_EQ(errorNumberOf([&] { m_file->FileExecute(suite("gone.qqzx")); }), 2);
    EXPECT_EQ(errorNumberOf([&] { m_file->FileExecute(suite("no/such/dir/x.qqzx")); }), 3);
}

TEST_F(FileObjectDelete, FileExecuteRunsTheRegisteredCommand) {
    // HKCR\.vtest -> Velmora.Test -> shell\open\command, with %1 replaced by the path.
    const std::string marker = native("ran");
    const std::string command = "/bin/sh -c \"echo $0 > '" + marker + "'\" %1";
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".vtest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        0);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("Velmora.Test"), 13);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Velmora.Test\\shell\\open\\command", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    write("my doc.vtest", "x");
    EXPECT_GT(m_file->FileExecute(suite("my doc.vtest")), 32);
    for (int i = 0; i < 500 && read("ran").empty(); ++i) usleep(10000);
    EXPECT_EQ(read("ran"), native("my doc.vtest") + "\n");
}

}  // namespace
