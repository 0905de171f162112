// The freedesktop trash: GIO first; where GIO refuses (a tmpfs, a volume without a trash folder), the
// trash folder the freedesktop trash layout gives that volume, filled the same way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "UniqueFd.h"
#include "fileerrors.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "shellgio.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string homeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Trash";
}

dev_t deviceOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_dev : static_cast<dev_t>(-1);
}

// The top folder of the mount that holds path: the last ancestor on the same device.
std::string topFolderOf(const std::string& path) {
    const dev_t device = deviceOf(path);
    fs::path top = fs::path(path).parent_path();
    while (top.has_parent_path() && top != top.root_path() && deviceOf(top.parent_path().string()) == device)
        top = top.parent_path();
    return top.string();
}

bool makeTrashFolders(const std::string& trash) {
    std::error_code ec;
    fs::create_directories(trash + "/files", ec);
    fs::create_directories(trash + "/info", ec);
    ::chmod(trash.c_str(), 0700);
    return fs::is_directory(trash + "/files") && fs::is_directory(trash + "/info");
}

// The home trash for items on its volume, else "$topdir/.Trash-$uid".
std::string trashFor(const std::string& path) {
    const std::string home = homeTrash();
    makeTrashFolders(home);
    if (deviceOf(home) == deviceOf(path)) return home;
    const std::string volume = topFolderOf(path) + "/.Trash-" + std::to_string(::getuid());
    return makeTrashFolders(volume) ? volume : std::string();
}

std::string percentEncoded(const std::string& path) {
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) ||
            std::string_view("/-_.~").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
    return buffer;
}

// Claims a free name in the trash by creating its .trashinfo exclusively; the name, or empty.
std::string claimName(const std::string& trash, const std::string& path) {
    const std::string base = fs::path(path).filename().string();
    const std::string record =
        "[Trash Info]\nPath=" + percentEncoded(path) + "\nDeletionDate=" + deletionDate() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        UniqueFd fd(::open((trash + "/info/" + name + ".trashinfo").c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST) continue;
            return {};
        }
        if (::write(fd.get(), record.data(), record.size()) != static_cast<ssize_t>(record.size())) return {};
        return name;
    }
    return {};
}

DWORD trashByHand(const std::string& path) {
    const std::string trash = trashFor(path);
    if (trash.empty()) return static_cast<DWORD>(DE_ERROR_MAX);
    const std::string name = claimName(trash, path);
    if (name.empty()) return static_cast<DWORD>(DE_ERROR_MAX);
    if (::rename(path.c_str(), (trash + "/files/" + name).c_str()) == 0) return ERROR_SUCCESS;
    const DWORD error = win32Error(errno, path);
    ::unlink((trash + "/info/" + name + ".trashinfo").c_str());
    return error;
}

// A file that one of our handles holds without delete sharing stays where it is, as for any deletion. A
// link is probed as the link: what it points to is not what goes to the trash.
DWORD shareCheck(const std::string& path, HANDLE& probe) {
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) return ERROR_SUCCESS;
    probe = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe != INVALID_HANDLE_VALUE) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION ? error : ERROR_SUCCESS;
}

}  // namespace

DWORD moveToTrash(const std::string& nativePath) {
    std::error_code ec;
    std::string path = fs::absolute(nativePath, ec).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (ec || !fs::exists(fs::symlink_status(path, ec))) return ERROR_FILE_NOT_FOUND;
    HANDLE probe = INVALID_HANDLE_VALUE;
    DWORD status = shareCheck(path, probe);
    if (status == ERROR_SUCCESS && !gio::trash(path)) status = trashByHand(path);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    return status;
}

}  // namespace velmora
