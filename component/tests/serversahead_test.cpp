// Servers started ahead of their first object, with a real server program: the creation takes the very
// process started ahead, a server nobody took ends when the run says so, and whatever goes wrong with a
// start ahead leaves creation to fail or succeed exactly as it does without one.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RemoteObject.h"
#include "component/CreateObject.h"
#include "component/ServersAhead.h"
#include "component/calls.h"
#include "component/registration.h"
#include "platform/paths.h"
#include "regkeys.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"
#include "testsupport/TempFolder.h"

using namespace velmora;

namespace {

constexpr std::u16string_view kTally = u"Tallyserver.Tally";
constexpr std::u16string_view kTallyOnly[] = {kTally};

// The server programs this process has started and that have not ended: its live children.
std::vector<pid_t> liveChildren() {
    std::vector<pid_t> children;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream list(task.path() / "children");
        for (pid_t child; list >> child;) {
            std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
            std::string pid, name, state;
            if (stat >> pid >> name >> state && state != "Z") children.push_back(child);
        }
    }
    return children;
}

std::string tallyClassId() {
    return classIdOfProgId(kTally).value_or("");
}

// Points the class's registration at program (a POSIX path).
void registerServerAt(const std::string& program) {
    ASSERT_EQ(regkeys::writeText(HKEY_CLASSES_ROOT, "CLSID\\" + tallyClassId() + "\\LocalServer32", "",
                                 toSuitePath(program)),
              ERROR_SUCCESS);
}

class ServersAhead : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(test::runProgram(VELMORA_TALLYSERVER_PATH, {"/regserver"}).status, 0);
        ASSERT_TRUE(liveChildren().empty());
    }
    void TearDown() override {
        const std::vector<pid_t> left = liveChildren();
        endServersAhead();
        for (pid_t child : left) EXPECT_TRUE(velmora::test::processEnds(child));
    }
};

}  // namespace

TEST_F(ServersAhead, TheFirstCreationTakesTheServerStartedAheadAndItEndsWithItsLastObject) {
    startServersAhead(kTallyOnly);
    const std::vector<pid_t> started = liveChildren();
    ASSERT_EQ(started.size(), 1u);
    startServersAhead(kTallyOnly);  // already running for this process: not started twice
    EXPECT_EQ(liveChildren(), started);

    ObjectRef first = CreateObject(kTally);
    ObjectRef second = CreateObject(kTally);
    EXPECT_EQ(serverProcessOf(first), started[0]);
    EXPECT_EQ(serverProcessOf(second), started[0]);
    letProperty(first, u"Total", 7);
    EXPECT_EQ(getProperty(first, u"Total").toLong(), 7);
    startServersAhead(kTallyOnly);  // in use: nothing new either
    EXPECT_EQ(liveChildren(), started);

    // Taken, it is an ordinary server: nothing keeps it once its objects are gone.
    first.reset();
    second.reset();
    EXPECT_TRUE(velmora::test::processEnds(started[0]));
}

TEST_F(ServersAhead, AServerNobodyTookEndsWhenTheRunIsDone) {
    startServersAhead(kTallyOnly);
    const std::vector<pid_t> started = liveChildren();
    ASSERT_EQ(started.size(), 1u);
    endServersAhead();
    EXPECT_TRUE(velmora::test::processEnds(started[0]));

    const ObjectRef tally = CreateObject(kTally);
    EXPECT_NE(serverProcessOf(tally), started[0]);
}

TEST_F(ServersAhead, AServerThatEndedBeforeItWasTakenIsStartedAfresh) {
    startServersAhead(kTallyOnly);
    const std::vector<pid_t> started = liveChildren();
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(kill(started[0], SIGKILL), 0);
    ASSERT_TRUE(velmora::test::processEnds(started[0]));

    const ObjectRef tally = CreateObject(kTally);
    EXPECT_NE(serverProcessOf(tally), started[0]);
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 0);
    EXPECT_EQ(liveChildren().size(), 1u);
}

TEST_F(ServersAhead, CreationFollowsARegistrationChangedSinceTheStartAhead) {
    startServersAhead(kTallyOnly);
    const std::vector<pid_t> started = liveChildren();
    ASSERT_EQ(started.size(), 1u);
    // The same program under another name: another registered server as far as creation can tell.
    const auto folder = test::freshFolder("elsewhere");
    std::filesystem::create_symlink(VELMORA_TALLYSERVER_PATH, folder / "Other.exe");
    registerServerAt((folder / "Other.exe").string());

    const ObjectRef tally = CreateObject(kTally);
    EXPECT_NE(serverProcessOf(tally), started[0]);
    EXPECT_EQ(liveChildren().size(), 2u);
    endServersAhead();  // the one started under the old registration was never taken
    EXPECT_TRUE(velmora::test::processEnds(started[0]));
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 0);
}

TEST_F(ServersAhead, WhatCannotBeStartedAheadFailsAtCreationWithTheErrorItGivesWithout) {
    const auto folder = test::freshFolder("broken");
    const std::string missing = (folder / "Missing.exe").string();
    const std::string notAProgram = (folder / "Text.exe").string();
    std::ofstream(notAProgram) << "not a program";
    std::filesystem::permissions(notAProgram, std::filesystem::perms::owner_all);
    for (const std::string& program : {missing, notAProgram}) {
        SCOPED_TRACE(program);
        registerServerAt(program);
        const auto without = test::errorOf([] { CreateObject(kTally); });
        ASSERT_TRUE(without);
        startServersAhead(kTallyOnly);
        EXPECT_TRUE(liveChildren().empty());
        const auto with = test::errorOf([] { CreateObject(kTally); });
        ASSERT_TRUE(with);
        EXPECT_EQ(with->number(), err::CantCreateObject);
        EXPECT_EQ(with->number(), without->number());
        EXPECT_EQ(with->description(), without->description());
    }
    // Names that lead to no registered class: nothing to start.
    constexpr std::u16string_view kNotServers[] = {u"Nowhere.Nothing", u"", u"Tallyserver"};
    startServersAhead(kNotServers);
    EXPECT_TRUE(liveChildren().empty());
}
