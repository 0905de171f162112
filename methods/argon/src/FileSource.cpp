#include "argon/FileSource.h"

#include <algorithm>
#include <string>

#include "argon/MethodErrors.h"
#include "platform/files.h"
#include "runtime/text.h"

namespace velmora::argonbox {

FileSource::FileSource(std::u16string_view path) {
    const std::string name = toUtf8(path);
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
    m_size = std::uint64_t{high} << 32 | low;
}

FileSource::~FileSource() {
    CloseHandle(m_handle);
}

std::size_t FileSource::read(std::span<std::uint8_t> buffer) {
    constexpr std::size_t kMostPerCall = 1u << 30;  // ReadFile counts in 32 bits
    std::size_t done = 0;
    while (done < buffer.size()) {
        const auto want = static_cast<DWORD>(std::min(kMostPerCall, buffer.size() - done));
        DWORD got = 0;
        if (!ReadFile(m_handle, buffer.data() + done, want, &got, nullptr)) raiseFileError(GetLastError());
        if (got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace velmora::argonbox
