// The message-queue yield: nothing waits without a GUI, and an installed hook answers within the mask.
#include <gtest/gtest.h>

#include "platform/queue.h"

using namespace velmora;

namespace {

DWORD g_waiting = 0;  // what the fake GUI queue holds (high word) and what just arrived (low word)
UINT g_askedWith = 0;
int g_passes = 0;

DWORD fakeStatus(UINT flags) {
    g_askedWith = flags;
    return g_waiting;
}
void fakePass() {
    ++g_passes;
    g_waiting = 0;  // one pass handles everything that was waiting
}

class QueueHook : public ::testing::Test {
  protected:
    void SetUp() override {
        g_waiting = 0;
        g_askedWith = 0;
        g_passes = 0;
        m_previous = setMessageQueueHook({&fakeStatus, &fakePass});
    }
    void TearDown() override { setMessageQueueHook(m_previous); }

    MessageQueueHook m_previous;
};

}  // namespace

TEST(Queue, WithoutAGuiNothingIsEverWaitingAndAPassDoesNothing) {
    for (UINT mask : {0u, QS_KEY, QS_INPUT, QS_ALLEVENTS, QS_ALLINPUT, 0xFFFFFFFFu})
        EXPECT_EQ(GetQueueStatus(mask), 0u) << mask;
    processWaitingMessages();  // must not need a GUI
}

TEST_F(QueueHook, AnswersAreCutToTheKindsAsked) {
    g_waiting = (QS_KEY | QS_TIMER) << 16 | QS_KEY;
    struct Case {
        UINT mask;
        DWORD expected;
    };
    for (const Case& c : {Case{0, 0}, Case{QS_KEY, QS_KEY << 16 | QS_KEY}, Case{QS_TIMER, QS_TIMER << 16},
                          Case{QS_MOUSE, 0}, Case{QS_ALLINPUT, g_waiting}}) {
        EXPECT_EQ(GetQueueStatus(c.mask), c.expected) << c.mask;
        EXPECT_EQ(g_askedWith, c.mask);
    }
}

TEST_F(QueueHook, APassGoesToTheHookAndRestoringTheOldHookEndsIt) {
    g_waiting = QS_KEY << 16;
    processWaitingMessages();
    EXPECT_EQ(g_passes, 1);
    EXPECT_EQ(GetQueueStatus(QS_KEY), 0u);

    // A hook with only one member keeps the platform's own answer for the other call.
    const MessageQueueHook mine = setMessageQueueHook({&fakeStatus, nullptr});
    EXPECT_EQ(mine.processMessages, &fakePass);
    processWaitingMessages();
    EXPECT_EQ(g_passes, 1);

    setMessageQueueHook({});
    g_waiting = QS_KEY << 16;
    EXPECT_EQ(GetQueueStatus(QS_KEY), 0u);
}
