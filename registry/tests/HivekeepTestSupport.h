// Shared helpers of the Hivekeep tests: raw registry reads and objcall in a child process.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "runtime/Error.h"

namespace velmora::test {

template <class Action>
std::int32_t errorNumberOf(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};

// A value as the registry holds it, bypassing every conversion under test.
inline std::optional<RawValue> rawValue(HKEY root, const char* keyPath, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

inline void writeRaw(HKEY root, const char* keyPath, const char* name, DWORD type,
                     std::vector<std::uint8_t> bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

inline std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

struct Output {
    int status = -1;
    std::string text;
};

// Runs objcall with the arguments and collects what it prints on standard output.
inline Output objcall(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        std::vector<char*> argv{const_cast<char*>(VELMORA_OBJCALL_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(VELMORA_OBJCALL_PATH, argv.data());
        _exit(127);
    }
    close(fds[1]);
    Output out;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = read(fds[0], buffer.data(), buffer.size())) > 0;) out.text.append(buffer.data(), n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

}  // namespace velmora::test
