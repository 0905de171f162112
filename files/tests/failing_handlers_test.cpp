// Event handlers that raise never stop what promises to run to its end: the wipe finishes every pass,
// closes, deletes and returns true; the search completes and can run again. Also across processes: a
// handler forwarding the wipe's Progress to a real progress server that is killed mid-wipe.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>

#include <filesystem>
#include <fstream>

#include "DiskwareTestSupport.h"
#include "files/FileObject.h"
#include "FilesObject.h"
#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "platform/files.h"
#include "platform/messagebox.h"

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr std::int32_t kHandlerError = 1234;

class FailingHandlers : public DiskwareTest {
  protected:
    // A sink that records every event and raises on the events numbered in `failOn` (0-based).
    ObjectRef sink(std::vector<std::int16_t>& seen, std::vector<std::size_t> failOn) {
        return makeObject<CallbackSink>([&seen, failOn](std::u16string_view, std::span<Variant> args) {
            const std::size_t index = seen.size();
            seen.push_back(args.empty() ? std::int16_t{-1} : args[0].toInteger());
            if (std::find(failOn.begin(), failOn.end(), index) != failOn.end())
                raise(kHandlerError, u"handler failed", u"Test:Progress");
        });
    }
    bool fileIsFree(const std::string& name) const {
        // No handle of the wipe is left: the name can be created afresh and held without sharing.
        const HANDLE file =
            CreateFileA(native(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }

    MessageBoxRecorder m_boxes;
};

TEST_F(FailingHandlers, AProgressHandlerRaisingOnAnyEventNeverStopsTheWipe) {
    // A 10-byte file, two passes: Progress 50, 100, then 100 at the end. A 2.5 MiB file, one pass:
    // six block events and the final 100.
    struct Case {
        std::size_t size;
        std::int16_t passes;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {{10, 2, {50, 100, 100}}, {2621440, 1, {16, 33, 50, 66, 83, 100, 100}}};
    for (const Case& c : cases) {
        const std::size_t last = c.expected.size() - 1;
        for (const auto& failOn :
             std::vector<std::vector<std::size_t>>{{0}, {last / 2}, {last}, {0, 1, 2, 3, 4, 5, 6}}) {
            SCOPED_TRACE(testing::Message() << c.size << " bytes, failing on " << failOn.front());
            write("victim", std::string(c.size, 'v'));
            auto file = makeObject<FileObject>();
            std::vector<std::int16_t> failing, after;
            connectEvents(ObjectRef(file), sink(failing, failOn));
            connectEvents(ObjectRef(file), sink(after, {}));  // a second sink still hears every event
            std::u16string name = suite("victim");
            EXPECT_TRUE(file->FileDelete(vWipe, name, false, c.passes));
            EXPECT_EQ(failing, c.expected);
            EXPECT_EQ(after, c.expected);
            EXPECT_FALSE(exists("victim"));
            EXPECT_TRUE(fileIsFree("victim"));
            std::filesystem::remove(native("victim"));
        }
    }
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(FailingHandlers, AFoundFileHandlerRaisingLeavesTheSearchCompletedAndUsable) {
    write("t/a.txt", "");
    write("t/b.txt", "");
    write("t/s/c.txt", "");
    for (const std::size_t failOn : {0u, 1u, 2u}) {
        SCOPED_TRACE(failOn);
        auto files = makeObject<FilesObject>();
        std::vector<std::int16_t> found;
        int completed = 0;
        std::size_t count = 0;
        connectEvents(
            ObjectRef(files), makeObject<CallbackSink>([&](std::u16string_view event, std::span<Variant>) {
                if (event == u"Completed") {
                    ++completed;
                    velmora::raise(kHandlerError);  // a failing Completed handler changes nothing either
                }
                if (count++ == failOn) raise(kHandlerError, u"handler failed", u"Test:FoundFile");
            }));
        EXPECT_TRUE(files->Find(suite("t\\"), u"*.txt"));
        EXPECT_EQ(completed, 1);
        EXPECT_FALSE(files->Searching());
        EXPECT_EQ(files->Count(), 3);  // the search went on past the failure
        // The next Find is a search, not a stop request.
        EXPECT_TRUE(files->Find());
        EXPECT_EQ(completed, 2);
        EXPECT_EQ(files->Count(), 6);
    }
}

TEST_F(FailingHandlers, FileExecuteOfAnUnknownExtensionHoldingTextHasNoAssociation) {
    // Text a content sniffer would take for plain text: the extension alone decides.
    for (const char* name : {"doc.zzqq", "notes.txt.zzqq"}) {
        write(name, "Just some plain text.\nSecond line.\n");
        auto file = makeObject<FileObject>();
        try {
            file->FileExecute(suite(name));
            ADD_FAILURE() << name << ": no error raised";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), 31) << name;
            EXPECT_EQ(error.description(), u"No association for file extension");
            EXPECT_EQ(error.source(), u"FileObject:FileExecute");
        }
    }
}

// Whether the process has ended, without reaping it (its launcher does that).
bool endsInTime(pid_t process) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
    if (pidfd < 0) return true;
    pollfd watch{pidfd, POLLIN, 0};
    const bool ended = poll(&watch, 1, 10000) == 1;
    close(pidfd);
    return ended;
}

// The progress server this process started: our child running Gaugebox.exe.
pid_t progressServer() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string pid, comm, state;
        pid_t parent = 0;
        stat >> pid >> comm >> state >> parent;
        if (parent == getpid() && comm == "(Gaugebox.exe)") return static_cast<pid_t>(std::stoi(pid));
    }
    return -1;
}

TEST_F(FailingHandlers, TheWipeFinishesWhenItsProgressServerIsKilledMidWipe) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ASSERT_EQ(runProgram(VELMORA_GAUGEBOX_PATH, {"/regserver"}).status, 0);
    ObjectRef progress = CreateObject(u"Gaugebox.ProgressObject");
    Variant canCancel(false), onTop(false);
    call(progress, u"Initialize", u"Erasing", u"Starting", 0, 100, 0, canCancel, onTop);
    const pid_t server = progressServer();
    ASSERT_GT(server, 0);

    // The eraser's forwarding: every Progress becomes the progress window's value, in the server.
    write("victim", std::string(2621440, 'v'));
    auto file = makeObject<FileObject>();
    std::vector<std::int16_t> seen;
    std::vector<std::int32_t> failures;
    connectEvents(ObjectRef(file),
                  makeObject<CallbackSink>([&](std::u16string_view, std::span<Variant> args) {
                      seen.push_back(args[0].toInteger());
                      if (seen.size() == 2) {
                          kill(server, SIGKILL);
                          endsInTime(server);
                      }
                      try {
                          letProperty(progress, u"value", std::int32_t{args[0].toInteger()});
                      } catch (const RuntimeError& error) {
                          failures.push_back(error.number());
                          throw;
                      }
                  }));
    std::u16string name = suite("victim");
    EXPECT_TRUE(file->FileDelete(vWipe, name, false, 1));
    EXPECT_EQ(seen, (std::vector<std::int16_t>{16, 33, 50, 66, 83, 100, 100}));
    ASSERT_FALSE(failures.empty());  // the handler did fail, on every event after the kill
    EXPECT_EQ(failures.size(), seen.size() - 1);
    EXPECT_FALSE(exists("victim"));
    EXPECT_TRUE(fileIsFree("victim"));
    progress.reset();
    runProgram(VELMORA_GAUGEBOX_PATH, {"/unregserver"});
}

}  // namespace
