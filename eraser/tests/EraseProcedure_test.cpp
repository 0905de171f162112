// The erase procedure on real files and folders with the real file, directory and progress objects: the
// pass rule, which items go and in which order, what a tree walk leaves, and what it never touches (what a
// link points to, pipes, names the suite's paths cannot address).
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>

#include "EraseProcedure.h"
#include "EraserTest.h"
#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "files/FileObject.h"
#include "platform/files.h"
#include "platform/messagebox.h"
#include "testsupport/Errors.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class EraseProcedureTest : public test::EraserTest {
  protected:
    void SetUp() override {
        EraserTest::SetUp();
        m_objects = {CreateObject(u"Diskware.FileObject"), CreateObject(u"Diskware.DirectoryObject"),
                     CreateObject(u"Gaugebox.ProgressObject")};
        connectEvents(m_objects.file,
                      makeObject<CallbackSink>([this](std::u16string_view, std::span<Variant> args) {
                          m_reports.push_back(std::to_string(args[0].toInteger()));
                      }));
    }
    // Runs the procedure on the items (element 0 stands for the program) and returns the wiped paths in
    // order.
    std::vector<std::string> erase(const std::vector<std::string>& names, std::int32_t passes = 1) {
        std::vector<std::u16string> arguments{u"Shredwell.exe"};
        for (const std::string& name : names) arguments.push_back(item(name));
        EraseProcedure procedure(m_objects, [passes] { return passes; });
        std::vector<std::string> wiped;
        const std::string prefix = path("").string();
        procedure.setWipeObserver([&](const std::u16string& wipedPath) {
            std::string text = toUtf8(wipedPath);
            if (text.starts_with(prefix)) text.erase(0, prefix.size());
            for (char& c : text)
                if (c == '\\') c = '/';
            wiped.push_back(text);
            m_reports.push_back(text);
            m_shown.push_back(getProperty(m_objects.progress, u"FormCaption").toString() + u" / " +
                              getProperty(m_objects.progress, u"StatusText").toString());
        });
        procedure.run(arguments);
        m_leftAlone.clear();
        for (const auto& left : procedure.leftAlone()) {
            std::string text = toUtf8(left.path);
            if (text.starts_with(prefix)) text.erase(0, prefix.size());
            m_leftAlone.push_back({text, left.number});
        }
        return wiped;
    }
    // What the last run left, by name relative to the test's folder, with the error number.
    std::vector<std::pair<std::string, std::int32_t>> m_leftAlone;

    EraseProcedure::Objects m_objects;
    std::vector<std::u16string> m_shown;  // the progress window's caption and status at each wipe
    std::vector<std::string> m_reports;   // each wiped name, then the Progress values its wipe raised
    MessageBoxRecorder m_boxes;
};

// Passes the wipe's calls on to the platform and records them by file name, with the threads that wrote;
// the writes of the file named `failing` fail from its second one on, as a failing device would.
class WipeRecorder : public PlatformWipeIo {
  public:
    explicit WipeRecorder(std::string failing = {}) : m_failing(std::move(failing)) {}

    HANDLE open(const std::string& path) override {
        const HANDLE file = PlatformWipeIo::open(path);
        std::lock_guard lock(m_mutex);
        m_names[file] = path.substr(path.find_last_of("\\/") + 1);
        return file;
    }
    DWORD write(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t count) override {
        std::lock_guard lock(m_mutex);
        std::string& calls = record(file, 'W');
        m_writers[m_names[file]].insert(std::this_thread::get_id());
        if (m_names[file] == m_failing && calls.size() > 1) return ERROR_WRITE_FAULT;
        return PlatformWipeIo::write(file, block, count);
    }
    DWORD flush(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        record(file, 'F');
        return PlatformWipeIo::flush(file);
    }
    void rewind(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        record(file, 'R');
        PlatformWipeIo::rewind(file);
    }
    void close(HANDLE file) override {
        std::lock_guard lock(m_mutex);
        record(file, 'C');
        m_names.erase(file);
        PlatformWipeIo::close(file);
    }

    // Each file's calls in order: 'W' write, 'F' flush, 'R' rewind, 'C' close.
    std::map<std::string, std::string> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::set<std::thread::id> writers(const std::string& name) const {
        std::lock_guard lock(m_mutex);
        const auto found = m_writers.find(name);
        return found == m_writers.end() ? std::set<std::thread::id>{} : found->second;
    }

  private:
    std::string& record(HANDLE file, char kind) { return m_calls[m_names[file]] += kind; }

    const std::string m_failing;
    mutable std::mutex m_mutex;
    std::map<HANDLE, std::string> m_names;
    std::map<std::string, std::string> m_calls;
    std::map<std::string, std::set<std::thread::id>> m_writers;
};

TEST(PassRule, BelowOneGivesOneAndTwoThousandOrMoreGivesFourHundred) {
    const std::pair<std::int32_t, std::int16_t> cases[] = {
        {-40000, 1},  {-1, 1},     {0, 1},      {1, 1},       {2, 2},       {3, 3},
        {1999, 1999}, {2000, 400}, {2001, 400}, {32767, 400}, {40000, 400}, {65536, 400}};
    for (const auto& [value, passes] : cases) EXPECT_EQ(EraseProcedure::choosePasses(value), passes) << value;
}

TEST_F(EraseProcedureTest, ATreeIsWalkedBreadthFirstAndKeepsItsFoldersEmptyFilesAndHiddenFiles) {
    write("tree/a.txt", "alpha");
    write("tree/empty.txt", "");
    write("tree/.hidden", "hidden inside a tree");
    write("tree/.hiddendir/h.txt", "below a hidden folder");
    write("tree/sub1/b.txt", "bravo");
    write("tree/sub1/empty2", "");
    write("tree/sub1/sub1a/d.txt", std::string(3 * 1048576 + 5, 'd'));
    write("tree/sub2/c.txt", "charlie");
    const auto wiped = erase({"tree"});
    EXPECT_EQ(wiped, (std::vector<std::string>{"tree/a.txt", "tree/sub1/b.txt", "tree/sub2/c.txt",
                                               "tree/sub1/sub1a/d.txt"}));
    for (const char* gone : {"tree/a.txt", "tree/sub1/b.txt", "tree/sub2/c.txt", "tree/sub1/sub1a/d.txt"})
        EXPECT_FALSE(exists(gone)) << gone;
    for (const char* folder : {"tree", "tree/sub1", "tree/sub1/sub1a", "tree/sub2", "tree/.hiddendir"})
        EXPECT_TRUE(fs::is_directory(path(folder))) << folder;
    EXPECT_EQ(read("tree/.hidden"), "hidden inside a tree");
    EXPECT_EQ(read("tree/.hiddendir/h.txt"), "below a hidden folder");
    EXPECT_TRUE(exists("tree/empty.txt"));
    EXPECT_TRUE(exists("tree/sub1/empty2"));
    EXPECT_EQ(m_shown, (std::vector<std::u16string>{
                           u"Shreding File(s) / Shredwell a.txt", u"Shreding File(s) / Shredwell b.txt",
                           u"Shreding File(s) / Shredwell c.txt", u"Shreding File(s) / Shredwell d.txt"}));
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(EraseProcedureTest, ItemsNamedDirectlyGoWhateverTheirLengthInCommandLineOrder) {
    write("one", "1");
    write(".secret", "a hidden file named directly");
    write("empty", "");
    write("dir with blanks/two", "2");
    write("dir with blanks/three", "3");
    const auto wiped = erase({"missing", "one", ".secret", "empty", "one", "dir with blanks/three",
                              "dir with blanks", "not there/x"});
    // A file named twice, or named and met again in a tree, goes once; the second time it no longer exists
    // and is skipped without a word, even while its first wipe is still under way.
    EXPECT_EQ(wiped, (std::vector<std::string>{"one", ".secret", "empty", "dir with blanks/three",
                                               "dir with blanks/two"}));
    for (const char* gone : {"one", ".secret", "empty", "dir with blanks/two", "dir with blanks/three"})
        EXPECT_FALSE(exists(gone)) << gone;
    EXPECT_TRUE(fs::is_directory(path("dir with blanks")));
    EXPECT_TRUE(m_boxes.messages().empty());
    EXPECT_TRUE(m_leftAlone.empty());
}

TEST_F(EraseProcedureTest, NoLinkIsEverFollowedAndWhatLinksPointToStaysByteIdentical) {
    write("outside/target", "precious");
    write("outside/folder/deep", "deep and precious");
    write("outside/named", "named through a link");
    write("tree/own", "own data");
    fs::create_symlink(path("outside/target"), path("tree/link"));
    fs::create_directory_symlink(path("outside/folder"), path("tree/folderlink"));
    fs::create_symlink(path("outside/named"), path("link named"));
    fs::create_directory_symlink(path("outside/folder"), path("folder link named"));
    fs::create_symlink(path("nowhere"), path("dangling"));
    const auto wiped = erase({"tree", "link named", "folder link named/", "dangling"});
    EXPECT_EQ(wiped, (std::vector<std::string>{"tree/own", "link named", "folder link named", "dangling"}));
    // What the links point to: every byte as it was.
    EXPECT_EQ(read("outside/target"), "precious");
    EXPECT_EQ(read("outside/folder/deep"), "deep and precious");
    EXPECT_EQ(read("outside/named"), "named through a link");
    // Links inside a tree hold no data of their own and stay, as empty files do; links named directly go.
    EXPECT_TRUE(fs::is_symlink(path("tree/link")));
    EXPECT_TRUE(fs::is_symlink(path("tree/folderlink")));
    EXPECT_FALSE(exists("link named"));
    EXPECT_FALSE(exists("folder link named"));
    EXPECT_FALSE(exists("dangling"));
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(EraseProcedureTest, APipeInATreeOrNamedDirectlyIsNeverOpened) {
    write("tree/file", "data");
    fs::create_directories(path("tree"));
    ASSERT_EQ(::mkfifo(path("tree/pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    // A reader on each pipe, so that an open for writing would succeed at once rather than fail.
    const int reader1 = ::open(path("tree/pipe").c_str(), O_RDONLY | O_NONBLOCK);
    const int reader2 = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, path("tree/pipe").c_str(), IN_OPEN), 0);
    ASSERT_GE(inotify_add_watch(watch, path("pipe").c_str(), IN_OPEN), 0);
    const auto wiped = erase({"tree", "pipe"});
    EXPECT_EQ(wiped, std::vector<std::string>{"tree/file"});
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "a pipe was opened";
    EXPECT_TRUE(fs::is_fifo(path("tree/pipe")));
    EXPECT_TRUE(fs::is_fifo(path("pipe")));
    ::close(watch);
    ::close(reader1);
    ::close(reader2);
    EXPECT_TRUE(m_boxes.messages().empty());
}

// A mount made for one test, gone (lazily, so nothing below it can keep it) when the test ends.
struct Mount {
    std::string at;
    bool made = false;
    Mount(const std::string& source, std::string target, const char* type, unsigned long flags,
          const char* options = nullptr)
        : at(std::move(target)), made(::mount(source.c_str(), at.c_str(), type, flags, options) == 0) {}
    ~Mount() {
        if (made) ::umount2(at.c_str(), MNT_DETACH);
    }
};

TEST_F(EraseProcedureTest, ATreeWalkStaysOnItsFileSystemAndEndsOnAFolderThatContainsItself) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    write("tree/a/file", "a");
    fs::create_directories(path("tree/a/loop"));
    fs::create_directories(path("tree/other"));
    const Mount other("none", path("tree/other"), "tmpfs", 0);
    if (!other.made) GTEST_SKIP() << "no mounts in this environment";
    write("tree/other/data", "on another file system");
    // The tree again inside itself: a walk that visited a folder twice would never end.
    const Mount loop(path("tree"), path("tree/a/loop"), nullptr, MS_BIND);
    ASSERT_TRUE(loop.made);
    const auto wiped = erase({"tree"});
    EXPECT_EQ(wiped, std::vector<std::string>{"tree/a/file"});
    EXPECT_EQ(read("tree/other/data"), "on another file system");
}

TEST_F(EraseProcedureTest, ANameTheSuitesPathsWouldReadAsSeveralIsLeftAlone) {
    // On this platform '\' separates, so "..\..\victim" inside tree/sub would name the file beside the tree
    // (a dot-name, hidden, so never walked), and so would "a\..\..\..\victim", which is walked.
    write("victim", "beside the tree");
    write("tree/sub/..\\..\\victim", "odd name");
    write("tree/sub/a\\..\\..\\..\\victim", "odd name too");
    write("tree/sub/plain", "plain");
    write("direct\\name", "named directly");
    const auto wiped = erase({"tree", "direct\\name"});
    EXPECT_EQ(wiped, std::vector<std::string>{"tree/sub/plain"});
    EXPECT_EQ(read("victim"), "beside the tree");
    EXPECT_EQ(read("tree/sub/..\\..\\victim"), "odd name");
    EXPECT_EQ(read("tree/sub/a\\..\\..\\..\\victim"), "odd name too");
    EXPECT_EQ(read("direct\\name"), "named directly");
    // Both are reported by name, never skipped in silence.
    const std::vector<std::pair<std::string, std::int32_t>> expected = {
        {"tree\\sub\\a\\..\\..\\..\\victim", 52}, {"direct\\name", 52}};
    EXPECT_EQ(m_leftAlone, expected);
}

TEST_F(EraseProcedureTest, EveryOtherNameLinuxAllowsIsErasedAsItselfNamedOrInATree) {
    const std::vector<std::string> names = {"q?.bin", "st*r.bin", "*.bin",       "quo\"te",   "a<b>",
                                            "pi|pe",  "co:lon",   "line\nbreak", "tab\there", "-dash"};
    write("qa.bin", "a wildcard would match me");
    for (const std::string& name : names) {
        write(name, "named");
        write("tree/" + name, "in a tree");
    }
    std::vector<std::string> items = names;
    items.push_back("tree");
    const auto wiped = erase(items);
    EXPECT_EQ(wiped.size(), 2 * names.size());
    for (const std::string& name : names) {
        EXPECT_FALSE(exists(name)) << name;
        EXPECT_FALSE(exists("tree/" + name)) << name;
    }
    EXPECT_EQ(read("qa.bin"), "a wildcard would match me");
    EXPECT_TRUE(m_leftAlone.empty());
}

TEST_F(EraseProcedureTest, AFileWithAnotherNameIsNeverOverwrittenAndIsReported) {
    write("out/keep.bin", "reachable from outside the tree");
    write("tree/plain.bin", "plain");
    fs::create_hard_link(path("out/keep.bin"), path("tree/hl.bin"));
    fs::create_hard_link(path("out/keep.bin"), path("named.bin"));
    erase({"tree", "named.bin"});
    EXPECT_EQ(read("out/keep.bin"), "reachable from outside the tree");
    EXPECT_EQ(read("tree/hl.bin"), "reachable from outside the tree");
    EXPECT_EQ(read("named.bin"), "reachable from outside the tree");
    EXPECT_FALSE(exists("tree/plain.bin"));
    const std::vector<std::pair<std::string, std::int32_t>> expected = {{"tree\\hl.bin", 75},
                                                                        {"named.bin", 75}};
    EXPECT_EQ(m_leftAlone, expected);
}

TEST_F(EraseProcedureTest, AWipeThatFillsTheDiskKeepsItsFileReportsItAndGoesOn) {
    fs::create_directories(path("small"));
    const Mount small("tmpfs", path("small"), "tmpfs", 0, "size=3m");
    if (!small.made) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    write("small/big.bin", std::string(2621440, 'p'));  // grows to 4.5 MiB while it is wiped
    write("small/after.bin", "after");
    erase({"small/big.bin", "small/after.bin"});
    EXPECT_TRUE(exists("small/big.bin"));
    EXPECT_FALSE(exists("small/after.bin"));
    const std::vector<std::pair<std::string, std::int32_t>> expected = {{"small/big.bin", 61}};
    EXPECT_EQ(m_leftAlone, expected);
}

TEST_F(EraseProcedureTest, AFileThatCannotBeOpenedExclusivelyStaysWithTheWipesMessageAndTheRestGoes) {
    write("busy", "held open elsewhere");
    write("after", "after");
    // Another program holding the file unshared, through the platform's own share rules.
    // It can be read (so it passes the check) but not opened exclusively for writing.
    const HANDLE holder =
        CreateFileA(path("busy").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    m_boxes.answer(IDOK);
    erase({"busy", "after"});
    CloseHandle(holder);
    EXPECT_EQ(read("busy"), "held open elsewhere");
    EXPECT_FALSE(exists("after"));
    ASSERT_EQ(m_boxes.messages().size(), 1u);
    EXPECT_EQ(m_boxes.messages()[0].text, "File does Not exist, or is already open!");
}

// Small files go to the file object's workers, several at once; what a user sees and what the log gets
// still come file by file in the walk's order, each file's Progress right after its status text, and
// every file's own writes and flushes stay in the wipe's order.
TEST_F(EraseProcedureTest, SmallFilesAreWipedAheadYetReportedOneAfterAnotherInTheWalksOrder) {
    auto recorder = std::make_shared<WipeRecorder>("bad");
    m_objects.file.as<FileObject>()->setWipeIo(recorder);
    for (int i = 0; i < 40; ++i) write("tree/f" + std::to_string(i), std::string(100 + i, 'x'));
    write("tree/big", std::string(1048577, 'b'));  // over one block: wiped in its turn, block by block
    write("tree/bad", "its writes fail");
    write("outside", "reachable from outside the tree");
    fs::create_hard_link(path("outside"), path("tree/hl"));
    write("tree/busy", "held open elsewhere");
    const HANDLE holder = CreateFileA(path("tree/busy").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    m_boxes.answer(IDOK);
    std::vector<std::string> walk;  // the order the platform lists the folder in: by name
    for (const auto& entry : fs::directory_iterator(path("tree"))) walk.push_back(entry.path().filename());
    std::sort(walk.begin(), walk.end());

    const auto wiped = erase({"tree"}, 2);
    CloseHandle(holder);

    std::vector<std::string> expected, expectedShown;
    std::vector<std::pair<std::string, std::int32_t>> expectedLeft;
    for (const std::string& name : walk) {
        expected.push_back("tree/" + name);
        if (name == "big") {
            for (const char* value : {"16", "33", "50", "66", "83", "100", "100"}) expected.push_back(value);
        } else if (name == "bad" || name == "hl" || name == "busy") {
            expectedLeft.push_back({"tree\\" + name, name == "bad" ? 57 : name == "hl" ? 75 : 70});
        } else {
            for (const char* value : {"50", "100", "100"}) expected.push_back(value);
        }
    }
    EXPECT_EQ(m_reports, expected);
    EXPECT_EQ(m_leftAlone, expectedLeft);
    ASSERT_EQ(m_shown.size(), walk.size());
    for (std::size_t i = 0; i < walk.size(); ++i)
        EXPECT_EQ(m_shown[i], u"Shreding File(s) / Shredwell " + fromUtf8(walk[i]));
    ASSERT_EQ(m_boxes.messages().size(), 1u);
    EXPECT_EQ(m_boxes.messages()[0].text, "File does Not exist, or is already open!");

    // Every overwrite flushed before the next, and small files written by the workers, not this thread.
    const auto calls = recorder->calls();
    for (int i = 0; i < 40; ++i) {
        const std::string name = "f" + std::to_string(i);
        EXPECT_EQ(calls.at(name), "WFRWFRWFRWFRWFRWFRC") << name;
        EXPECT_FALSE(exists("tree/" + name)) << name;
        EXPECT_FALSE(recorder->writers(name).contains(std::this_thread::get_id())) << name;
    }
    EXPECT_EQ(recorder->writers("big"), std::set{std::this_thread::get_id()});
    EXPECT_FALSE(exists("tree/big"));
    EXPECT_EQ(calls.at("bad"), "WFRWC");  // nothing written after the failure, and the file kept
    EXPECT_EQ(read("tree/bad"), std::string(15, '\0'));
    EXPECT_EQ(calls.at("hl"), "C");
    EXPECT_EQ(read("tree/hl"), "reachable from outside the tree");
    EXPECT_EQ(read("tree/busy"), "held open elsewhere");
}

// The progress window failing halfway through a run stops it, as before; the files already in the
// workers' hands are still awaited, and what stayed among them is still recorded by name.
TEST_F(EraseProcedureTest, AFailureWhileReportingStillAwaitsAndRecordsEveryFileAlreadyBeingWiped) {
    auto recorder = std::make_shared<WipeRecorder>("f5");
    m_objects.file.as<FileObject>()->setWipeIo(recorder);
    for (int i = 0; i < 10; ++i) write("tree/f" + std::to_string(i), "data");
    EraseProcedure procedure(m_objects, [] { return 1; });
    int reported = 0;
    procedure.setWipeObserver([&](const std::u16string&) {
        if (++reported == 2) velmora::raise(err::DeviceIOError, u"The progress window went away", u"test");
    });
    EXPECT_EQ(test::errorNumberOf([&] {
                  procedure.run({u"Shredwell.exe", item("tree")});
              }),
              err::DeviceIOError);
    ASSERT_EQ(procedure.leftAlone().size(), 1u);
    EXPECT_EQ(procedure.leftAlone()[0].number, 57);
    EXPECT_TRUE(toUtf8(procedure.leftAlone()[0].path).ends_with("f5"));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(exists("tree/f" + std::to_string(i)), i == 5) << i;
    EXPECT_EQ(recorder->calls().size(), 10u);
}

}  // namespace
