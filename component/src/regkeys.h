// Small helpers over the platform registry for the class registrations (string values only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registryapi.h"

namespace velmora::regkeys {

// Creates root\path and sets its value `name` ("" = the default value) to text. Returns the Win32 status.
LONG writeText(HKEY root, const std::string& path, const std::string& name, std::string_view text);
// The text of value `name` of root\path; nothing when the key or the value is missing or not a string.
std::optional<std::string> readText(HKEY root, const std::string& path, const std::string& name = {});
// Deletes root\path if it exists (it must have no subkeys by then). Missing is success.
LONG deleteKey(HKEY root, const std::string& path);

}  // namespace velmora::regkeys
