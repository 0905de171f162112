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
#include "platform/paths.h"

class FileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::string(std::getenv("TMPDIR")) + "/" + info->test_suite_name() + "." + info->name();
        for (char& c : m_folder)
            if (c == '\\') c = '_';
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string native(const std::string& name) const { return m_folder + "/" + name; }
    std::string suite(const std::string& name) const { return velmora::toSuitePath(native(name)); }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream(native(name), std::ios::binary) << content;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(native(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(native(name)); }

    std::string m_folder;
};

// Closes a handle at the end of a scope.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void close() {
        if (valid()) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE m_handle;
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
    HANDLE handle = CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(handle);
    return ERROR_SUCCESS;
}
