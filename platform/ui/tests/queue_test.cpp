// The yield through the platform's message-queue calls: the mask decides whether anything runs.
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <thread>

#include "platform/queue.h"
#include "testsupport/GuiTest.h"
#include "ui/application.h"
#include "ui/timers.h"

using namespace velmora;
using velmora::test::GuiTest;

namespace {

// What a component's Do_Events does: one pass only when input of a kind in the mask waits.
void doEvents(UINT mask) {
    if (GetQueueStatus(mask) != 0) processWaitingMessages();
}

void postKey(QWidget& target, char c) {
    const QString text(QLatin1Char{c});
    QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, text));
    QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyRelease, 0, Qt::NoModifier, text));
}

class QueueYield : public GuiTest {};

}  // namespace

TEST(QueueWithoutGui, NothingWaitsNoTimerStartsAndAPassDoesNothing) {
    ASSERT_FALSE(guiApplicationRunning());
    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
    processWaitingMessages();
    SetLastError(0);
    EXPECT_EQ(SetTimer(0, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {}), 0u);
    EXPECT_EQ(GetLastError(), ERROR_NO_SYSTEM_RESOURCES);
    EXPECT_FALSE(KillTimer(0, 1));
}

TEST_F(QueueYield, MaskZeroNeverRunsAWaitingKeyPress) {
    QLineEdit edit;
    edit.show();
    postKey(edit, 'k');
    for (int i = 0; i < 3; ++i) doEvents(0);
    EXPECT_EQ(edit.text(), QString());
    EXPECT_EQ(GetQueueStatus(0), 0u);
}

TEST_F(QueueYield, AllInputsHandleAWaitingKeyPressBeforeReturning) {
    QLineEdit edit;
    edit.show();
    processWaitingMessages();  // the show's own events
    postKey(edit, 'k');
    const DWORD status = GetQueueStatus(QS_ALLINPUT);
    EXPECT_TRUE(status >> 16 & QS_KEY);
    EXPECT_TRUE(status & QS_KEY) << "just arrived";
    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT) & 0xFFFF, 0u) << "reported once as new";
    doEvents(255);
    EXPECT_EQ(edit.text(), QStringLiteral("k"));
}

TEST_F(QueueYield, OnlyTheAskedKindsAreReported) {
    QLineEdit edit;
    postKey(edit, 'x');
    const DWORD status = GetQueueStatus(QS_MOUSEMOVE);
    EXPECT_EQ(status & ~(QS_MOUSEMOVE << 16 | QS_MOUSEMOVE), 0u);
    processWaitingMessages();
}

TEST_F(QueueYield, TimerKindFollowsTheThreadTimers) {
    static int ticks = 0;
    ticks = 0;
    processWaitingMessages();
    EXPECT_EQ(GetQueueStatus(QS_TIMER), 0u) << "no thread timer yet";
    const UINT_PTR id = SetTimer(0, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    ASSERT_NE(id, 0u);
    // Without a pass of the loop nothing can deliver the tick, so once the interval has passed the timer
    // must be reported as waiting (processing events meanwhile could deliver it between two checks).
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_NE(GetQueueStatus(QS_TIMER) & QS_TIMER, 0u);
    doEvents(QS_TIMER);
    EXPECT_TRUE(velmora::test::processUntil([&] { return ticks > 0; }));
    EXPECT_TRUE(KillTimer(0, id));
}
