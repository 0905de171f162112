#include "InputFile.h"

#include <algorithm>

#include "component/fileerrors.h"
#include "platform/files.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

InputFile::InputFile(std::u16string_view path) {
    const std::string name = toUtf8(path);
    // Sharing delete access lets the destination's replacement take the place of this very file while it
    // is read: the handle keeps reading the contents it opened.
    m_handle = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) raiseFileError(GetLastError());
    DWORD high = 0;
    const DWORD low = GetFileSize(m_handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        const DWORD error = GetLastError();
        CloseHandle(m_handle);
        raiseFileError(error);
    }
    m_size = static_cast<std::int64_t>(high) << 32 | low;
}

InputFile::~InputFile() {
    CloseHandle(m_handle);
}

void InputFile::readInto(std::span<std::uint8_t> destination) {
    constexpr std::size_t kChunk = 1u << 30;  // ReadFile counts in 32 bits
    std::size_t done = 0;
    while (done < destination.size()) {
        const auto want = static_cast<DWORD>(std::min(kChunk, destination.size() - done));
        DWORD got = 0;
        if (!ReadFile(m_handle, destination.data() + done, want, &got, nullptr))
            raiseFileError(GetLastError());
        if (got == 0) raise(err::InputPastEndOfFile);
        done += got;
    }
}

}  // namespace velmora
