// Shared helpers of the Hivekeep tests: raw registry reads and objcall in a child process.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/owned.h"
#include "platform/registryapi.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"

namespace velmora::test {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};

// A value as the registry holds it, bypassing every conversion under test.
inline std::optional<RawValue> rawValue(HKEY root, const char* keyPath, const char* name) {
    OwnedKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(key.get(), name, nullptr, &value.type, value.bytes.data(), &size);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

inline void writeRaw(HKEY root, const char* keyPath, const char* name, DWORD type,
                     std::vector<std::uint8_t> bytes) {
    OwnedKey key;
    ASSERT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

inline std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace velmora::test
