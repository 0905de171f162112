// Win32's way of returning text into a caller's buffer.
#pragma once

#include <cstring>
#include <string_view>

#include "platform/win32types.h"

namespace velmora {

// Copies text and its NUL when the buffer holds both and returns the length without the NUL; otherwise
// writes nothing and returns the size needed, NUL included.
inline DWORD copyOut(std::string_view text, LPSTR buffer, DWORD bufferSize) {
    if (!buffer || bufferSize <= text.size()) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

}  // namespace velmora
