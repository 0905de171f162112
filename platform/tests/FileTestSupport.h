// A fresh folder per test, with helpers to make and inspect files in it, and a child-process runner.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/files.h"
#include "platform/owned.h"
#include "platform/paths.h"
#include "testsupport/TempFolder.h"

class FileTest : public velmora::test::TempFolderTest {
  protected:
    std::string suite(const std::string& name) const { return velmora::toSuitePath(native(name)); }
};

// Closes a handle at the end of a scope.
class Handle : public velmora::OwnedHandle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : velmora::OwnedHandle(handle) {}
    bool valid() const { return bool(*this); }
    void close() { reset(); }
};

// Runs `work` in a forked child process and returns the number it reports.
inline DWORD inChildProcess(const std::function<DWORD()>& work) {
    int channel[2];
    if (pipe(channel) != 0) return 0xDEADBEEF;
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        const DWORD result = work();
        (void)!::write(channel[1], &result, sizeof result);
        _exit(0);
    }
    close(channel[1]);
    DWORD result = 0xDEADBEEF;
    if (::read(channel[0], &result, sizeof result) != sizeof result) result = 0xDEADBEEF;
    close(channel[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return result;
}

// CreateFileA that reports ERROR_SUCCESS or the error, closing any handle it got.
inline DWORD tryOpen(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING,
                     DWORD flags = 0) {
    const velmora::OwnedHandle handle(
        CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
    return handle ? ERROR_SUCCESS : GetLastError();
}
