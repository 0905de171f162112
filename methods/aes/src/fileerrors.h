// Platform failures of the file operations as the run-time errors a caller sees, and the file writes
// that raise them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "component/fileerrors.h"
#include "platform/ReplacementFile.h"
#include "platform/win32types.h"

namespace velmora {

// Puts contents in the place of the file at path without ever losing what it held (the platform's
// replacement), raising the file error of any failure; the destination is untouched then.
void replaceFile(std::u16string_view path, std::span<const std::uint8_t> contents,
                 ReplacementFile::NewFile newFile);

}  // namespace velmora
