#include "logging/LogFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/attributes.h"
#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/owned.h"
#include "platform/paths.h"
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

// No for a folder this process may not write to; yes for anything else (a missing folder loses the line
// where it would have gone, as before).
bool refusesWriting(const std::string& nativePath) {
    if (faccessat(AT_FDCWD, nativePath.c_str(), W_OK, AT_EACCESS) == 0) return false;
    return errno == EACCES || errno == EROFS || errno == EPERM;
}

std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/velmora";
    std::string home;
    if (const char* value = std::getenv("HOME"); value && *value)
        home = value;
    else if (const passwd* user = getpwuid(geteuid()))
        home = user->pw_dir;
    return home + "/.local/state/velmora";
}

}  // namespace

std::string logFileFor(const std::string& path) {
    const std::string native = toNativePath(path);
    if (native.empty()) return path;
    if (!refusesWriting(containingFolder(native))) return path;
    if (access(native.c_str(), F_OK) == 0 && !refusesWriting(native)) return path;
    const std::string folder = stateFolder();
    std::error_code ignored;  // a folder that cannot be made loses the line, as any unwritable log does
    std::filesystem::create_directories(containingFolder(folder), ignored);
    mkdir(folder.c_str(), 0700);
    return toSuitePath(folder + native.substr(native.find_last_of('/')));
}

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
