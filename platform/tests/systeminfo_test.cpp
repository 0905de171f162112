#include "platform/systeminfo.h"

#include "ScopedEnv.h"
#include "platform/thread.h"
#include "platform/waitable.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

TEST(System, ComputerNameIsTheUpperCaseShortHostName) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string expected(host);
    expected = expected.substr(0, expected.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(std::string(name, size), expected);
    EXPECT_EQ(std::string(name), expected);

    DWORD shortSize = static_cast<DWORD>(expected.size());  // no room for the NUL
    EXPECT_FALSE(GetComputerNameA(name, &shortSize));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(shortSize, expected.size() + 1);
    EXPECT_FALSE(SetComputerNameA("NEWNAME"));
}

TEST(System, UserNameReportsItsSizeWithTheNul) {
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    const std::string expected = entry->pw_name;

    char name[256];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(std::string(name), expected);
    EXPECT_EQ(size, expected.size() + 1);

    size = 1;
    EXPECT_FALSE(GetUserNameA(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, expected.size() + 1);
}

TEST(System, WindowsAndSystemFoldersLiveOnDriveC) {
    const struct {
        UINT (*query)(LPSTR, UINT);
        const char* expected;
        const char* folder;
    } cases[] = {{GetWindowsDirectoryA, "C:\\WINDOWS", "WINDOWS"},
                 {GetSystemDirectoryA, "C:\\WINDOWS\\SYSTEM32", "WINDOWS/SYSTEM32"}};
    for (const auto& c : cases) {
        char buffer[MAX_PATH];
        const UINT length = c.query(buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, length), c.expected);
        EXPECT_TRUE(
            std::filesystem::is_directory(std::filesystem::path(std::getenv("VELMORA_DRIVE_C")) / c.folder));

        char small[4] = "abc";
        EXPECT_EQ(c.query(small, sizeof small), std::string(c.expected).size() + 1);
        EXPECT_STREQ(small, "abc");
    }
}

TEST(System, EnvironmentVariables) {
    ScopedEnv set("VELMORA_TEST_VAR", "value");
    ScopedEnv unset("VELMORA_TEST_UNSET", nullptr);
    char buffer[32];
    EXPECT_EQ(GetEnvironmentVariableA("VELMORA_TEST_VAR", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "value");
    EXPECT_EQ(GetEnvironmentVariableA("velmora_test_var", buffer, sizeof buffer), 5u);  // case-blind fallback
    EXPECT_EQ(GetEnvironmentVariableA("VELMORA_TEST_VAR", buffer, 5), 6u);              // needs the NUL too

    EXPECT_EQ(GetEnvironmentVariableA("VELMORA_TEST_UNSET", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);

    ASSERT_TRUE(SetEnvironmentVariableA("VELMORA_TEST_UNSET", ""));
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetEnvironmentVariableA("VELMORA_TEST_UNSET", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);  // set but empty
    EXPECT_TRUE(SetEnvironmentVariableA("VELMORA_TEST_UNSET", nullptr));
    EXPECT_EQ(std::getenv("VELMORA_TEST_UNSET"), nullptr);
    EXPECT_FALSE(SetEnvironmentVariableA("VELMORA_TEST_UNSET", nullptr));

    for (const char* bad : {static_cast<const char*>(nullptr), "", "A=B"}) {
        EXPECT_FALSE(SetEnvironmentVariableA(bad, "x"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(System, ExpandEnvironmentStrings) {
    ScopedEnv set("VELMORA_TEST_DIR", "/opt/v");
    ScopedEnv unset("VELMORA_TEST_UNSET", nullptr);
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"%VELMORA_TEST_DIR%\\bin", "/opt/v\\bin"},
        {"a%velmora_test_dir%b", "a/opt/vb"},
        {"%VELMORA_TEST_UNSET%", "%VELMORA_TEST_UNSET%"},
        {"%VELMORA_TEST_UNSET%%VELMORA_TEST_DIR%", "%VELMORA_TEST_UNSET%/opt/v"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"", ""},
        {"no variables", "no variables"},
    };
    for (const auto& c : cases) {
        char buffer[64];
        const DWORD needed = ExpandEnvironmentStringsA(c.source, nullptr, 0);
        EXPECT_EQ(needed, std::string(c.expected).size() + 1) << c.source;
        EXPECT_EQ(ExpandEnvironmentStringsA(c.source, buffer, sizeof buffer), needed) << c.source;
        EXPECT_STREQ(buffer, c.expected);
    }
    char small[4] = "abc";
    EXPECT_EQ(ExpandEnvironmentStringsA("%VELMORA_TEST_DIR%", small, sizeof small), 7u);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(ExpandEnvironmentStringsA(nullptr, small, sizeof small), 0u);
}

TEST(System, ProcessAndThreadIds) {
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(getpid()));  // the main thread's id is the process id
    static DWORD seenInside;
    DWORD reported = 0;
    HANDLE thread = CreateThread(
        nullptr, 0, +[](LPVOID) -> DWORD { return seenInside = GetCurrentThreadId(), 0; }, nullptr, 0,
        &reported);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(seenInside, reported);
    EXPECT_NE(reported, GetCurrentThreadId());
    CloseHandle(thread);
}

TEST(System, SleepLastsAtLeastItsTimeOnTheTickCount) {
    const DWORD before = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - before, 20u);
}

}  // namespace
