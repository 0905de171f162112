// Several replacement files put in place at once: each stands under its name with its whole contents once
// its commit is finished, a failure belongs to its own file, and nothing is left waiting when the run ends.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "platform/CommitsInFlight.h"
#include "platform/ReplacementFile.h"

using velmora::CommitsInFlight;
using velmora::ReplacementFile;
namespace fs = std::filesystem;

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class InFlight : public FileTest, public ::testing::WithParamInterface<ReplacementFile::Staging> {
  protected:
    // Opens, writes and commits; true when commit() said so.
    bool replace(const std::string& name, const std::string& contents) {
        ReplacementFile file;
        return file.open(suite(name), ReplacementFile::NewFile::Shared, GetParam()) &&
               file.write(bytesOf(contents)) && file.commit();
    }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(m_folder)) result.insert(entry.path().filename());
        return result;
    }
};

TEST_P(InFlight, ManyFilesStandUnderTheirNamesWithTheirContentsOnceFinished) {
    constexpr int kFiles = 40;
    std::set<std::string> expected;
    for (int i = 0; i < kFiles; i += 2) write("old" + std::to_string(i), "before");  // half are replaced
    CommitsInFlight commits(8);
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = (i % 2 == 0 ? "old" : "new") + std::to_string(i);
        expected.insert(name);
        ASSERT_TRUE(replace(name, "contents of " + name));
        EXPECT_EQ(commits.handedOver(), static_cast<CommitsInFlight::Ticket>(i + 1));
    }
    EXPECT_EQ(commits.finish(0, kFiles), static_cast<DWORD>(ERROR_SUCCESS));
    for (const std::string& name : expected) EXPECT_EQ(read(name), "contents of " + name);
    EXPECT_EQ(names(), expected);  // no staging name left anywhere
}

TEST_P(InFlight, AFailedCommitIsToldForItsOwnFileAndLeavesNothingBehind) {
    CommitsInFlight commits(4);
    ASSERT_TRUE(replace("first.zqf", "ours 1"));
    {
        ReplacementFile file;
        ASSERT_TRUE(file.open(suite("taken.zqf"), ReplacementFile::NewFile::Shared, GetParam()));
        ASSERT_TRUE(file.write(bytesOf("ours 2")));
        write("taken.zqf", "another run's");
        EXPECT_TRUE(file.commit());  // handed over: the failure comes with the ticket
    }
    ASSERT_TRUE(replace("third.zqf", "ours 3"));
    EXPECT_EQ(commits.finish(2, 3), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(commits.finish(1, 2), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(commits.finish(0, 1), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(commits.finish(0, 3), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(read("taken.zqf"), "another run's");
    EXPECT_EQ(names(), (std::set<std::string>{"first.zqf", "taken.zqf", "third.zqf"}));
}

INSTANTIATE_TEST_SUITE_P(Staging, InFlight,
                         ::testing::Values(ReplacementFile::Staging::Unnamed,
                                           ReplacementFile::Staging::Named),
                         [](const auto& tested) {
                             return tested.param == ReplacementFile::Staging::Unnamed ? "Unnamed" : "Named";
                         });

// Unnamed files are made ahead for the folder and permission bits last asked for: one made for another
// folder or other bits is never used, whatever order the files come in.
TEST_F(FileTest, FilesMadeAheadGoToTheirOwnFolderWithTheirOwnPermissionBits) {
    fs::create_directories(native("a"));
    fs::create_directories(native("b"));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct Step {
        std::string name;
        ReplacementFile::NewFile bits;
        unsigned mode;
    };
    // Runs of one folder and kind long enough for files made ahead to be taken, then a change.
    std::vector<Step> steps;
    const std::string folders[] = {"a/", "a/", "b/", "a/"};
    for (int run = 0; run < 4; ++run) {
        const bool ownerOnly = run == 1;
        for (int i = 0; i < 10; ++i)
            steps.push_back(
                {folders[run] + std::to_string(10 * run + i),
                 ownerOnly ? ReplacementFile::NewFile::OwnerOnly : ReplacementFile::NewFile::Shared,
                 ownerOnly ? 0600u : 0666u & ~mask});
    }
    {
        CommitsInFlight commits(4);
        for (const Step& step : steps) {
            ReplacementFile file;
            ASSERT_TRUE(file.open(suite(step.name), step.bits));
            ASSERT_TRUE(file.write(bytesOf("in " + step.name)));
            ASSERT_TRUE(file.commit());
        }
        EXPECT_EQ(commits.finish(0, steps.size()), static_cast<DWORD>(ERROR_SUCCESS));
    }
    for (const Step& step : steps) {
        EXPECT_EQ(read(step.name), "in " + step.name);
        EXPECT_EQ(static_cast<unsigned>(fs::status(native(step.name)).permissions()), step.mode) << step.name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(native("a")), {}), 30);
    EXPECT_EQ(std::distance(fs::directory_iterator(native("b")), {}), 10);
}

// One waiting in a hurry has names flushed as they come, and the worker that flushed them goes back to
// its queue: with one worker, a later commit in another folder is still done.
TEST_F(FileTest, AHurriedWaitForALaterCommitEndsWhileEarlierNamesGoElsewhere) {
    fs::create_directories(native("sub"));
    CommitsInFlight commits(1);
    for (int i = 0; i < 3; ++i) {
        ReplacementFile file;
        const std::string name = i < 2 ? "sub/" + std::to_string(i) : "top";
        ASSERT_TRUE(file.open(suite(name), ReplacementFile::NewFile::Shared));
        ASSERT_TRUE(file.write(bytesOf(name)));
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(commits.finish(2, 3), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(commits.finish(0, 3), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(read("sub/1"), "sub/1");
    EXPECT_EQ(read("top"), "top");
}

// The end of a run waits for every commit, and commits are the caller's own again afterwards.
TEST_F(FileTest, EveryCommitIsDoneWhenTheRunEndsAndLaterCommitsAreImmediate) {
    {
        CommitsInFlight outer(2);
        {
            CommitsInFlight inner(3);
            EXPECT_EQ(CommitsInFlight::active(), &inner);
            for (int i = 0; i < 12; ++i) {
                ReplacementFile file;
                ASSERT_TRUE(file.open(suite("f" + std::to_string(i)), ReplacementFile::NewFile::Shared));
                ASSERT_TRUE(file.write(bytesOf(std::string(1000 + i, 'x'))));
                ASSERT_TRUE(file.commit());
            }
        }
        EXPECT_EQ(CommitsInFlight::active(), &outer);
        EXPECT_EQ(outer.handedOver(), 0u);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(read("f" + std::to_string(i)).size(), 1000u + i);
    }
    EXPECT_EQ(CommitsInFlight::active(), nullptr);
    ReplacementFile file;
    ASSERT_TRUE(file.open(suite("late.zqf"), ReplacementFile::NewFile::Shared));
    write("late.zqf", "taken");
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

}  // namespace
