// The one-shot wait: its length, the messages it lets through, stopping, and its errors.
#include <QTimer>
#include <chrono>

#include "TickworkTestSupport.h"
#include "component/EventSource.h"
#include "platform/handles.h"
#include "runtime/Error.h"
#include "testsupport/GuiTest.h"
#include "timers/WaitTimerObject.h"

using namespace velmora;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class WaitTimer : public test::GuiTest {
  protected:
    Ref<WaitTimerObject> makeWait(int& timers) {
        auto wait = makeObject<WaitTimerObject>();
        connectEvents(ObjectRef(wait), test::countingSink(u"Timer", timers));
        return wait;
    }
    // Wait(ms) and how long it took.
    static Clock::duration timed(WaitTimerObject& wait, double ms) {
        const auto start = Clock::now();
        wait.Wait(ms);
        return Clock::now() - start;
    }
};

}  // namespace

TEST_F(WaitTimer, LastsAtLeastAsAskedWhileWindowMessagesAreProcessed) {
    int timers = 0;
    auto wait = makeWait(timers);
    bool handled = false;
    QTimer::singleShot(50, [&] { handled = true; });
    const auto took = timed(*wait, 250);
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 10s);
    EXPECT_TRUE(handled) << "a window message arriving meanwhile is processed";
    EXPECT_EQ(timers, 1);
}

TEST_F(WaitTimer, ZeroAndNegativeWaitsAreDueAtOnce) {
    for (double ms : {0.0, -5.0, -1e12}) {
        int timers = 0;
        auto wait = makeWait(timers);
        EXPECT_LT(timed(*wait, ms), 5s) << ms;
        EXPECT_EQ(timers, 1) << ms;
    }
}

TEST_F(WaitTimer, StopTimerFromAHandlerEndsTheWaitWithoutTheEventAndForGood) {
    int timers = 0;
    auto wait = makeWait(timers);
    QTimer::singleShot(20, [&] { wait->StopTimer(); });
    EXPECT_LT(timed(*wait, 600000), 10s);
    EXPECT_EQ(timers, 0);

    // Stopped stays: the next wait returns at its first wake-up (here a window message), without Timer.
    QTimer::singleShot(20, [] {});
    EXPECT_LT(timed(*wait, 600000), 10s);
    EXPECT_EQ(timers, 0);
    // ... or at its expiry.
    EXPECT_LT(timed(*wait, 30), 10s);
    EXPECT_EQ(timers, 0);
}

TEST_F(WaitTimer, ANestedWaitDoesNotCutAnEarlierOneShort) {
    int outerTimers = 0;
    int innerTimers = 0;
    auto outer = makeWait(outerTimers);
    auto inner = makeWait(innerTimers);
    Clock::duration innerTook{};
    QTimer::singleShot(10, [&] { innerTook = timed(*inner, 50); });
    const auto outerTook = timed(*outer, 300);
    EXPECT_EQ(innerTimers, 1);
    EXPECT_GE(innerTook, 50ms);
    EXPECT_EQ(outerTimers, 1);
    EXPECT_GE(outerTook, 300ms) << "each wait runs on a timer of its own";
}

TEST_F(WaitTimer, EnormousWaitsRaiseTheOverflowWithTheMethodNamed) {
    int timers = 0;
    auto wait = makeWait(timers);
    for (double ms : {1e300, -1e300, 1e15, std::numeric_limits<double>::quiet_NaN()}) {
        try {
            wait->Wait(ms);
            ADD_FAILURE() << ms << " did not raise";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::Overflow) << ms;
            EXPECT_EQ(error.description(), u"Overflow[clsWaitableTimer.Wait]") << ms;
        }
    }
    EXPECT_EQ(timers, 0);
}

TEST_F(WaitTimer, LeavesNoHandleOpen) {
    const std::size_t before = openHandleCount();
    {
        int timers = 0;
        auto wait = makeWait(timers);
        timed(*wait, 1);
        EXPECT_EQ(openHandleCount(), before) << "closed when the wait ran its time";
        wait->StopTimer();
        timed(*wait, 1);
        timed(*wait, 1);  // a stopped wait leaves its handle open until the next wait or the release
        EXPECT_EQ(openHandleCount(), before + 1);
    }
    EXPECT_EQ(openHandleCount(), before);
}

TEST(WaitTimerWithoutGui, WaitsTheTimeAndRaisesTimer) {
    int timers = 0;
    auto wait = makeObject<WaitTimerObject>();
    connectEvents(ObjectRef(wait), test::countingSink(u"Timer", timers));
    const auto start = Clock::now();
    double ms = 30;
    wait->Wait(ms);
    EXPECT_GE(Clock::now() - start, 30ms);
    EXPECT_EQ(timers, 1);
}
