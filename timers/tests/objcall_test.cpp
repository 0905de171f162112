// Tickwork's objects driven by objcall in a child process: they need the GUI thread that --gui gives them,
// and @wait lets its event loop run while they tick.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "testsupport/ChildProcess.h"

namespace {

using velmora::test::objcall;
using velmora::test::Output;
using Clock = std::chrono::steady_clock;

int count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

class TickworkThroughObjcall : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_EQ(objcall({"--register", VELMORA_TICKWORK_PATH}).status, 0);
    }
};

}  // namespace

TEST_F(TickworkThroughObjcall, TheIntervalTimerTicksWhileTheGuiLoopRuns) {
    // Left running at the end: the run must still end cleanly, the timer going with the application.
    const Output out = objcall(
        {"--gui", "Tickwork.APITimer", "ITick:=sink", "Interval=100", "Enabled=b:true", "@wait(550)"});
    ASSERT_EQ(out.status, 0) << out.text;
    ASSERT_EQ(out.text.substr(0, 24), "empty\nempty\nempty\nempty\n") << out.text;
    // Ticks come at 100, 200, ... 500 ms of the wait; a loaded machine may merge some, never add any.
    const int ticks = count(out.text, "  event Tick(");
    EXPECT_GE(ticks, 3) << out.text;
    EXPECT_LE(ticks, 5) << out.text;
    EXPECT_EQ(count(out.text, "\n  event "), count(out.text, "\n  event Tick(")) << out.text;
}

TEST_F(TickworkThroughObjcall, WithoutGuiTheTimerStillHasNoneAndWaitOnlySleeps) {
    const auto start = Clock::now();
    const Output out =
        objcall({"Tickwork.APITimer", "ITick:=sink", "Interval=100", "@wait(150)", "Enabled=b:true"});
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_EQ(out.status, 1);
    EXPECT_EQ(out.text, "empty\nempty\nempty\nerror -2147190491 Tickwork.APITimer: No timers available\n");
}

TEST_F(TickworkThroughObjcall, TheOneShotWaitWaitsOnTheGuiThread) {
    for (const bool gui : {true, false}) {
        std::vector<std::string> args{"Tickwork.WaitTimerObject", "Wait(d:200)", "@wait(0)", "StopTimer"};
        if (gui) args.insert(args.begin(), "--gui");
        const auto start = Clock::now();
        const Output out = objcall(args);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200)) << gui;
        EXPECT_EQ(out.status, 0) << out.text;
        EXPECT_EQ(out.text, "empty\n  event Timer()\nempty\nempty\n") << gui;
    }
}
