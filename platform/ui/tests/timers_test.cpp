// Thread timers and waitable timers: ids, re-entry from nested loops, due times and the input wait.
#include <QTimer>
#include <chrono>

#include "platform/handles.h"
#include "platform/queue.h"
#include "testsupport/GuiTest.h"
#include "ui/timers.h"
#include "ui/waitabletimer.h"

using namespace velmora;
using namespace std::chrono_literals;
using velmora::test::processUntil;

namespace {

class ThreadTimer : public test::GuiTest {};

int g_calls = 0;
int g_depth = 0;
int g_deepest = 0;

// Yields for several periods inside its first call: the timer must come again from the nested loop.
void CALLBACK_yielding(HWND, UINT message, UINT_PTR, DWORD) {
    EXPECT_EQ(message, WM_TIMER);
    ++g_calls;
    g_deepest = std::max(g_deepest, ++g_depth);
    if (g_calls == 1) {
        const auto end = std::chrono::steady_clock::now() + 100ms;
        while (std::chrono::steady_clock::now() < end) processWaitingMessages();
    }
    --g_depth;
}

void CALLBACK_count(HWND, UINT, UINT_PTR, DWORD) {
    ++g_calls;
}

}  // namespace

TEST_F(ThreadTimer, ACallbackThatYieldsIsCalledAgainFromTheNestedLoop) {
    g_calls = g_depth = g_deepest = 0;
    const UINT_PTR id = SetTimer(0, 0, 10, &CALLBACK_yielding);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(processUntil([] { return g_calls >= 3; }));
    EXPECT_EQ(g_deepest, 2) << "the platform re-enters; dropping nested ticks is the caller's business";
    EXPECT_TRUE(KillTimer(0, id));
}

TEST_F(ThreadTimer, IdsAreFreshAndAKilledTimerNeverCallsAgain) {
    g_calls = 0;
    const UINT_PTR a = SetTimer(0, 0, 0, &CALLBACK_count);  // 0 ms is the 10 ms minimum
    const UINT_PTR b = SetTimer(0, 0, 10, &CALLBACK_count);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(SetTimer(0, a, 20, &CALLBACK_count), a) << "setting a running id restarts it";
    EXPECT_TRUE(processUntil([] { return g_calls >= 2; }));
    EXPECT_TRUE(KillTimer(0, a));
    EXPECT_TRUE(KillTimer(0, b));
    const int calls = g_calls;
    EXPECT_FALSE(processUntil([&] { return g_calls > calls; }, 60ms));
    SetLastError(0);
    EXPECT_FALSE(KillTimer(0, a)) << "killed twice";
    EXPECT_FALSE(KillTimer(0, 987654));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetTimer(0, 0, 10, nullptr), 0u);
    EXPECT_EQ(SetTimer(12345, 0, 10, &CALLBACK_count), 0u);
}

TEST(WaitableTimer, RelativeAbsoluteAndUnreachableDueTimes) {
    HANDLE timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(WaitForSingleObject(timer, 0), WAIT_TIMEOUT) << "new timers are not signalled";
    LARGE_INTEGER due{.QuadPart = -30 * 10000LL};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(timer, 10000), WAIT_OBJECT_0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_EQ(WaitForSingleObject(timer, 0), WAIT_OBJECT_0) << "manual reset stays signalled";

    due.QuadPart = 1;  // an absolute time long past
    ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(timer, 0), WAIT_OBJECT_0);
    for (LONGLONG far : {INT64_MIN, -INT64_MAX, INT64_MAX}) {
        due.QuadPart = far;
        ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
        EXPECT_EQ(WaitForSingleObject(timer, 20), WAIT_TIMEOUT) << far;
    }
    EXPECT_FALSE(SetWaitableTimer(timer, nullptr, 0, nullptr, nullptr, FALSE));
    EXPECT_FALSE(SetWaitableTimer(timer, &due, -1, nullptr, nullptr, FALSE));
    EXPECT_TRUE(CloseHandle(timer));
    EXPECT_FALSE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(WaitableTimer, AutoResetTakesTheSignalAndNamesAreShared) {
    HANDLE autoReset = CreateWaitableTimerA(nullptr, FALSE, "velmora-test-timer");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE same = CreateWaitableTimerA(nullptr, FALSE, "velmora-test-timer");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    LARGE_INTEGER due{.QuadPart = -1};
    ASSERT_TRUE(SetWaitableTimer(same, &due, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoReset, FALSE, 10000, 0), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoReset, FALSE, 0, 0), WAIT_TIMEOUT) << "the wait took it";
    CloseHandle(autoReset);
    CloseHandle(same);
    EXPECT_EQ(CreateWaitableTimerA(nullptr, FALSE, "velmora-test-timer") != nullptr, true);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << "the name ends with its last handle";
}

TEST(MsgWait, BadArgumentsFailAtOnce) {
    HANDLE handles[65] = {};
    EXPECT_EQ(MsgWaitForMultipleObjects(65, handles, FALSE, 0, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, 0), WAIT_FAILED);
    HANDLE made_up = reinterpret_cast<HANDLE>(0x3FFFFF00);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &made_up, FALSE, INFINITE, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT)
        << "no GUI: no input";
}

class MsgWaitGui : public test::GuiTest {};

TEST_F(MsgWaitGui, WakesForInputBeforeTheTimerWithoutDispatchingIt) {
    processWaitingMessages();
    HANDLE timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
    LARGE_INTEGER due{.QuadPart = -600LL * 10000000};  // ten minutes
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    bool ran = false;
    QTimer::singleShot(20, [&] { ran = true; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &timer, FALSE, 10000, 0xFF), WAIT_OBJECT_0 + 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(ran) << "waiting dispatches nothing";
    EXPECT_TRUE(processUntil([&] { return ran; }));
    // With no input kinds asked for, only the handle or the time ends the wait.
    QTimer::singleShot(0, [] {});
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &timer, FALSE, 30, 0), WAIT_TIMEOUT);
    CloseHandle(timer);
}
