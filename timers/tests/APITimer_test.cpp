// The interval timer: when a platform timer runs, the thread's timer table, nested and failing ticks,
// and the lifetime the table gives a running timer.
#include <chrono>

#include "TickworkTestSupport.h"
#include "component/calls.h"
#include "platform/queue.h"
#include "runtime/Error.h"
#include "testsupport/GuiTest.h"
#include "timers/APITimer.h"
#include "timers/TimerTable.h"

using namespace velmora;
using namespace std::chrono_literals;
using velmora::test::countingSink;
using velmora::test::processUntil;

namespace {

class ApiTimer : public test::GuiTest {
  protected:
    static TimerTable& table() { return TimerTable::ofThisThread(); }
    static bool allRecordsFree() {
        for (std::int16_t i = 1; i <= table().length(); ++i)
            if (table().idAt(i) != 0) return false;
        return true;
    }
    void TearDown() override {
        EXPECT_TRUE(allRecordsFree()) << "a test left a timer running";
        GuiTest::TearDown();
    }
    static Ref<APITimer> running(std::int32_t interval, ObjectRef sink = {}) {
        auto timer = makeObject<APITimer>();
        if (sink) timer->setITick(std::move(sink));
        timer->setInterval(interval);
        timer->setEnabled(true);
        return timer;
    }
};

}  // namespace

TEST_F(ApiTimer, RunsExactlyWhileEnabledWithAnInterval) {
    int ticks = 0;
    auto timer = makeObject<APITimer>();
    timer->setITick(countingSink(u"Tick", ticks));
    timer->setEnabled(true);
    EXPECT_EQ(timer->timerId(), 0) << "no interval yet";
    timer->setInterval(20);
    EXPECT_NE(timer->timerId(), 0);
    EXPECT_TRUE(processUntil([&] { return ticks >= 2; }));
    timer->setInterval(0);
    EXPECT_EQ(timer->timerId(), 0);
    timer->setInterval(30);
    timer->setEnabled(false);
    EXPECT_EQ(timer->timerId(), 0);
}

TEST_F(ApiTimer, ChangingTheIntervalRestartsWithANewId) {
    auto timer = running(1000);
    const std::int32_t first = timer->timerId();
    timer->setInterval(1000);
    EXPECT_EQ(timer->timerId(), first) << "the same value changes nothing";
    timer->setInterval(500);
    EXPECT_NE(timer->timerId(), 0);
    EXPECT_NE(timer->timerId(), first);
    timer->setEnabled(false);
}

TEST_F(ApiTimer, TheTableGrowsByFiveAndReusesFreedRecords) {
    // Free records left by earlier tests of this process are taken first; fill them.
    std::vector<Ref<APITimer>> timers;
    const std::int16_t start = table().length();
    for (std::int16_t i = 0; i < start; ++i) timers.push_back(running(60000));
    EXPECT_EQ(table().length(), start);

    std::vector<std::int16_t> lengths;
    for (int i = 0; i < 6; ++i) {
        timers.push_back(running(60000));
        lengths.push_back(table().length());
    }
    EXPECT_EQ(lengths, (std::vector<std::int16_t>{
                           static_cast<std::int16_t>(start + 5), static_cast<std::int16_t>(start + 5),
                           static_cast<std::int16_t>(start + 5), static_cast<std::int16_t>(start + 5),
                           static_cast<std::int16_t>(start + 5), static_cast<std::int16_t>(start + 10)}));

    // Stopping the second of the six frees record start + 2; the next start takes it.
    timers[start + 1]->setEnabled(false);
    EXPECT_EQ(table().idAt(start + 2), 0);
    timers.push_back(running(60000));
    EXPECT_EQ(table().idAt(start + 2), timers.back()->timerId());
    EXPECT_EQ(table().length(), start + 10);
    for (auto& timer : timers) timer->setEnabled(false);
}

TEST_F(ApiTimer, ATickArrivingWhileTheLastOneRunsIsDropped) {
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    auto timer = running(10, countingSink(u"Tick", ticks, [&](std::span<Variant>) {
                             ++depth;
                             deepest = std::max(deepest, depth);
                             // The first tick yields for several periods: the platform delivers the
                             // timer again meanwhile, and the table must not run it nested.
                             if (ticks == 1) {
                                 const auto end = std::chrono::steady_clock::now() + 150ms;
                                 while (std::chrono::steady_clock::now() < end) processWaitingMessages();
                             }
                             --depth;
                         }));
    EXPECT_TRUE(processUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(deepest, 1);
    timer->setEnabled(false);
}

TEST_F(ApiTimer, AReleasedRunningTimerKeepsTickingUntilItsHandlerDisablesIt) {
    int ticks = 0;
    auto sink = countingSink(u"Tick", ticks, [&](std::span<Variant> args) {
        if (ticks == 3) letProperty(args[0].toObject(), u"Enabled", false);
    });
    running(10, ObjectRef(sink));  // released at once by the test
    EXPECT_TRUE(processUntil([&] { return ticks >= 3; }));
    // Disabled and released by everyone: the timer ended and let go of its sink.
    EXPECT_TRUE(processUntil([&] { return sink->refCount() == 1; }, 5s));
    EXPECT_TRUE(allRecordsFree());
    EXPECT_FALSE(processUntil([&] { return ticks > 3; }, 100ms));
}

TEST_F(ApiTimer, AFailingTickHandlerStopsItsTimerSilently) {
    int ticks = 0;
    auto timer = running(
        10, countingSink(u"Tick", ticks, [](std::span<Variant>) { raise(5, u"handler failed", u"Test"); }));
    EXPECT_TRUE(processUntil([&] { return ticks == 1; }));
    EXPECT_TRUE(allRecordsFree());
    EXPECT_TRUE(timer->Enabled()) << "the object does not learn of it";
    EXPECT_FALSE(processUntil([&] { return ticks > 1; }, 100ms));

    // A sink of Nothing fails in the same way.
    auto empty = running(10, ObjectRef());
    empty->setITick(ObjectRef());
    EXPECT_THROW(empty->RaiseTick(), RuntimeError);
    EXPECT_TRUE(processUntil([&] { return allRecordsFree(); }));
    timer->setEnabled(false);
}

TEST_F(ApiTimer, OddIntervalsStartTimersWithoutHarm) {
    for (std::int32_t interval : {1, -1, -2147483647 - 1, 2147483647}) {
        auto timer = running(interval);
        EXPECT_NE(timer->timerId(), 0) << interval;
        timer->setEnabled(false);
    }
}

TEST_F(ApiTimer, TheDefaultSinkDoesNothingAndMembersBindByName) {
    auto timer = makeObject<APITimer>();
    EXPECT_EQ(getProperty(timer, u"ITick").toObject()->typeName(), u"ITick");
    timer->RaiseTick();
    letProperty(timer, u"Interval", 50);
    letProperty(timer, u"Enabled", true);
    EXPECT_NE(timer->timerId(), 0);
    letProperty(timer, u"Enabled", false);
    EXPECT_EQ(getProperty(timer, u"Interval").toLong(), 50);
}

TEST(ApiTimerWithoutGui, StartingFailsWithNoTimersAvailableAfterStoringTheValue) {
    auto timer = makeObject<APITimer>();
    timer->setInterval(100);
    try {
        timer->setEnabled(true);
        FAIL() << "started without a message loop";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), -2147190491);
        EXPECT_EQ(error.description(), u"No timers available");
    }
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->timerId(), 0);
    EXPECT_THROW(timer->setInterval(200), RuntimeError);
    EXPECT_EQ(timer->Interval(), 200);
}
