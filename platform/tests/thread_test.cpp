#include "platform/thread.h"

#include "platform/waitable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <stdexcept>

namespace {

// Holds a thread inside its routine until the test lets it finish.
struct Gate {
    std::latch release{1};
    std::latch finished{1};
    std::atomic<bool> ranToEnd{false};
};

DWORD waitAtGate(LPVOID parameter) {
    auto& gate = *static_cast<Gate*>(parameter);
    gate.release.wait();
    gate.ranToEnd = true;
    gate.finished.count_down();
    return 42;
}

TEST(Thread, RunsWithItsParameterAndReportsTheExitCode) {
    int value = 20;
    DWORD id = 0;
    HANDLE thread = CreateThread(
        nullptr, 0, +[](LPVOID p) -> DWORD { return static_cast<DWORD>(*static_cast<int*>(p) + 1); }, &value,
        0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 21u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(Thread, WaitTimesOutWhileTheThreadRuns) {
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, waitAtGate, &gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(thread, 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    gate.release.count_down();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    CloseHandle(thread);
}

TEST(Thread, ClosingTheHandleLetsTheThreadRunToItsEnd) {
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, waitAtGate, &gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(CloseHandle(thread));
    gate.release.count_down();
    gate.finished.wait();
    EXPECT_TRUE(gate.ranToEnd);

    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
}

TEST(Thread, AnEscapingExceptionEndsOnlyTheThread) {
    HANDLE thread = CreateThread(
        nullptr, 0, +[](LPVOID) -> DWORD { throw std::runtime_error("boom"); }, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, ERROR_UNHANDLED_EXCEPTION);
    CloseHandle(thread);
}

TEST(Thread, BadHandlesAndArguments) {
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(CreateThread(nullptr, 0, waitAtGate, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
    for (HANDLE bad :
         {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x7654)}) {
        EXPECT_EQ(WaitForSingleObject(bad, 10), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DWORD code = 0;
        EXPECT_FALSE(GetExitCodeThread(bad, &code));
    }
}

}  // namespace
