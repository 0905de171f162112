// Files whose results are put in place while the next is worked on: each file's last step runs only once
// its result stands under its name, in the files' order, even when a last step says something itself.
#include "FilesInFlight.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ReplacementFile.h"
#include "platform/paths.h"
#include "testsupport/TempFolder.h"

namespace velmora {
namespace {

class FilesInFlightTest : public test::TempFolderTest {
  protected:
    // A method's call for one file: its result written and committed (handed over while files fly).
    void produce(const std::string& name) {
        ReplacementFile file;
        const std::string contents = "result " + name;
        ASSERT_TRUE(file.open(toSuitePath(native(name)), ReplacementFile::NewFile::Shared));
        ASSERT_TRUE(file.write({reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size()}));
        ASSERT_TRUE(file.commit());
    }
    // The file's last step: notes the file, what it was told, and whether its result stood by then.
    FilesInFlight::Finish noting(const std::string& name) {
        return [this, name](DWORD outcome) {
            finished.push_back(name);
            outcomes.push_back(outcome);
            stood.push_back(read(name) == "result " + name);
        };
    }

    std::vector<std::string> finished;
    std::vector<DWORD> outcomes;
    std::vector<bool> stood;
};

TEST_F(FilesInFlightTest, EachFileFinishesInOrderOnceItsResultStandsAndNoMoreThanTheDepthWait) {
    FilesInFlight files(3);
    for (int i = 0; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i);
        const FilesInFlight::Ticket since = files.mark();
        produce(name);
        files.add(since, noting(name));
        EXPECT_EQ(finished.size(), i < 3 ? 0u : static_cast<std::size_t>(i - 2));  // the oldest when too many
    }
    files.settle();
    EXPECT_EQ(finished, (std::vector<std::string>{"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"}));
    EXPECT_EQ(stood, std::vector<bool>(8, true));
    EXPECT_EQ(outcomes, std::vector<DWORD>(8, ERROR_SUCCESS));
}

TEST_F(FilesInFlightTest, AFileThatSaysSomethingDoesNotLetLaterFilesGoFirstAndAFailureIsItsOwn) {
    FilesInFlight files;
    FilesInFlight::Ticket since = files.mark();
    produce("a");
    // What the first file says settles files, as every line the run logs does; the later ones must wait.
    files.add(since, [&](DWORD outcome) {
        files.settle();
        noting("a")(outcome);
    });
    since = files.mark();
    {
        ReplacementFile file;
        ASSERT_TRUE(file.open(toSuitePath(native("b")), ReplacementFile::NewFile::Shared));
        write("b", "another program's");  // the name is taken before the result can have it
        ASSERT_TRUE(file.commit());
    }
    files.add(since, noting("b"));
    since = files.mark();
    files.add(since, noting("nothing committed"));  // a call that made no result finishes at once too
    since = files.mark();
    produce("c");
    files.add(since, noting("c"));
    files.settle();
    EXPECT_EQ(finished, (std::vector<std::string>{"a", "b", "nothing committed", "c"}));
    EXPECT_EQ(outcomes, (std::vector<DWORD>{ERROR_SUCCESS, ERROR_FILE_EXISTS, ERROR_SUCCESS, ERROR_SUCCESS}));
    EXPECT_EQ(read("b"), "another program's");
}

TEST_F(FilesInFlightTest, TheSilentPartRunsAheadInOrderOnceTheResultStandsAndItsResultComesInTurn) {
    FilesInFlight files(4);
    std::mutex mutex;
    std::vector<std::string> behindOrder;  // what the files' own thread did, in the order it did it
    std::vector<bool> stoodBehind;
    const auto silent = [&](const std::string& name) {
        return [&, name](DWORD outcome) {
            if (name == "thrown") throw std::runtime_error("behind failed");
            std::lock_guard lock(mutex);
            behindOrder.push_back(name);
            stoodBehind.push_back(read(name) == "result " + name);
            return outcome == ERROR_SUCCESS ? static_cast<int>(behindOrder.size()) : -1;
        };
    };
    std::vector<int> told;
    for (const std::string name : {"g0", "g1", "g2", "g3", "g4", "g5"}) {
        const FilesInFlight::Ticket since = files.mark();
        produce(name);
        files.add(since, silent(name), [&, name](DWORD outcome, int behind) {
            noting(name)(outcome);
            told.push_back(behind);
        });
    }
    FilesInFlight::Ticket since = files.mark();
    produce("thrown");
    files.add(since, silent("thrown"), [&](DWORD, int) { finished.push_back("thrown"); });
    since = files.mark();
    produce("g6");
    files.add(since, silent("g6"), [&](DWORD outcome, int behind) {
        noting("g6")(outcome);
        told.push_back(behind);
    });
    // A failure of the silent part comes out where its file finishes, and the files after it still do.
    EXPECT_THROW(files.settle(), std::runtime_error);
    files.settle();
    EXPECT_EQ(behindOrder, (std::vector<std::string>{"g0", "g1", "g2", "g3", "g4", "g5", "g6"}));
    EXPECT_EQ(stoodBehind, std::vector<bool>(7, true));
    EXPECT_EQ(finished, (std::vector<std::string>{"g0", "g1", "g2", "g3", "g4", "g5", "g6"}));
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(FilesInFlightTest, ARunLeftUnsettledStillEndsWithEveryResultStanding) {
    {
        FilesInFlight files;
        for (const std::string name : {"u0", "u1"}) {
            const FilesInFlight::Ticket since = files.mark();
            produce(name);
            files.add(
                since, [](DWORD) { return 0; }, [&, name](DWORD outcome, int) { noting(name)(outcome); });
        }
    }  // a failure left them: nobody asks for their folder's flush, yet the end waits for it
    EXPECT_TRUE(finished.empty());
    EXPECT_EQ(read("u0"), "result u0");
    EXPECT_EQ(read("u1"), "result u1");
}

}  // namespace
}  // namespace velmora
