#include "logging/LogFile.h"

#include "platform/attributes.h"
#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/owned.h"
#include "platform/systeminfo.h"

namespace velmora {
namespace {

// The log opened for appending; the error of a refused open.
struct OpenLog {
    explicit OpenLog(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr)),
          error(handle ? 0 : GetLastError()) {}

    OwnedHandle handle;
    DWORD error;
};

// The file's length, or 0 when it does not exist; -1 when it cannot be read.
std::int64_t lengthOf(const std::string& path) {
    const OwnedHandle file(CreateFileA(path.c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    return static_cast<std::int64_t>(high) << 32 | low;
}

}  // namespace

bool appendLogLine(const std::string& path, std::string_view bytes, std::int32_t maxFileSize) {
    if (bytes.empty() || path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const auto giveUp = std::chrono::steady_clock::now() + kShareRetry;
    for (;;) {
        // No rotation and no backup: a full log starts afresh. The test comes before the write, so the
        // file may pass the limit by one line.
        if (lengthOf(path) >= maxFileSize) DeleteFileA(path.c_str());
        OpenLog log(path);
        if (!log.handle) {
            if (log.error != ERROR_SHARING_VIOLATION || std::chrono::steady_clock::now() >= giveUp)
                return false;
            Sleep(2);
            continue;
        }
        SetLastError(ERROR_SUCCESS);
        if (SetFilePointer(log.handle.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS)
            return false;
        DWORD written = 0;
        const bool ok =
            WriteFile(log.handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
        FlushFileBuffers(log.handle.get());
        return ok;
    }
}

}  // namespace velmora
