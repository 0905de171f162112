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

#include "ChildProcess.h"
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

using Output = ProgramOutput;

inline Output objcall(const std::vector<std::string>& args) {
    return runProgram(VELMORA_OBJCALL_PATH, args);
}

}  // namespace velmora::test
