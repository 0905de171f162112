// SHFileOperationA on the platform's own file calls, so that share modes, read-only files and atomic
// replacement behave as everywhere else in the suite. Every walk takes a symbolic link as the link: it
// is copied, moved and deleted itself, and nothing is ever done to what it points to.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ShareLock.h"
#include "UniqueFd.h"
#include "fileerrors.h"
#include "platform/attributes.h"
#include "platform/fileops.h"
#include "platform/messagebox.h"
#include "platform/shell.h"
#include "resolve.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Operation {
    SHFILEOPSTRUCTA& request;
    FILEOP_FLAGS flags() const { return request.fFlags; }
    bool has(FILEOP_FLAGS flag) const { return (request.fFlags & flag) != 0; }
};

std::vector<std::string> splitList(LPCSTR list) {
    std::vector<std::string> names;
    if (!list) return names;
    for (const char* p = list; *p; p += names.back().size() + 1) names.emplace_back(p);
    return names;
}

enum class Kind { Missing, File, Folder, Link };

// What the name itself is: a link is a link, whatever it points to.
Kind kindOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return Kind::Missing;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

// A destination named by the caller is the named path: a link to a folder there is that folder.
bool isFolderDestination(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string lastName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return fs::path(trimmed).filename().string();
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

int lastErrorCode() {
    const DWORD error = GetLastError();
    return error ? static_cast<int>(error) : static_cast<int>(ERROR_ACCESS_DENIED);
}

// True when `inner` is `outer` or lies below it.
bool isWithin(const std::string& inner, const std::string& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    auto [endB, endA] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return endB == b.end();
}

// "name (2).ext", "name (3).ext", ... the first that is free.
std::string freeNameFor(const std::string& target) {
    const fs::path path(target);
    const std::string stem = path.stem().string();
    const std::string ext = path.extension().string();
    for (int n = 2;; ++n) {
        const fs::path candidate = path.parent_path() / (stem + " (" + std::to_string(n) + ")" + ext);
        if (kindOf(candidate.string()) == Kind::Missing) return candidate.string();
    }
}

// Whether an existing file may be replaced; may change target to a free name.
int settleCollision(Operation& op, std::string& target) {
    if (kindOf(target) == Kind::Missing) return 0;
    if (op.has(FOF_RENAMEONCOLLISION)) {
        target = freeNameFor(target);
        return 0;
    }
    if (op.has(FOF_NOCONFIRMATION)) return 0;
    const std::string text = "This folder already contains a file named '" + lastName(target) +
                             "'.\n\nWould you like to replace the existing file?";
    if (MessageBoxA(op.request.hwnd, text.c_str(), "Confirm File Replace",
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
        return 0;
    op.request.fAnyOperationsAborted = TRUE;
    return static_cast<int>(ERROR_CANCELLED);
}

// A new link beside `to` with the text of the link `from`, renamed over `to`.
int copyLink(const std::string& from, const std::string& to) {
    std::string text(4096, '\0');
    const ssize_t length = ::readlink(from.c_str(), text.data(), text.size());
    if (length < 0 || static_cast<std::size_t>(length) >= text.size())
        return static_cast<int>(win32Error(length < 0 ? errno : ENAMETOOLONG, from));
    text.resize(static_cast<std::size_t>(length));
    const fs::path target(to);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = (target.parent_path() / (".velmora-link-" + std::to_string(::getpid()) +
                                                          "-" + std::to_string(attempt)))
                                     .string();
        if (::symlink(text.c_str(), temp.c_str()) != 0) {
            if (errno == EEXIST) continue;
            return static_cast<int>(win32Error(errno, to));
        }
        if (::rename(temp.c_str(), to.c_str()) == 0) return 0;
        const int error = errno;
        ::unlink(temp.c_str());
        return static_cast<int>(win32Error(error, to));
    }
    return static_cast<int>(ERROR_ALREADY_EXISTS);
}

int copySettled(const std::string& from, const std::string& to) {
    if (kindOf(to) == Kind::Folder) return static_cast<int>(ERROR_ALREADY_EXISTS);
    if (kindOf(from) == Kind::Link) return copyLink(from, to);
    return CopyFileA(from.c_str(), to.c_str(), FALSE) ? 0 : lastErrorCode();
}

int copyFile(Operation& op, const std::string& from, std::string to) {
    if (int status = settleCollision(op, to)) return status;
    return copySettled(from, to);
}

int copyTree(Operation& op, const std::string& from, const std::string& to) {
    if (kindOf(from) != Kind::Folder) return copyFile(op, from, to);
    if (kindOf(to) == Kind::Missing && !CreateDirectoryA(to.c_str(), nullptr)) return lastErrorCode();
    if (kindOf(to) != Kind::Folder) return static_cast<int>(ERROR_ALREADY_EXISTS);
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
        const std::string name = entry.path().filename().string();
        if (int status = copyTree(op, entry.path().string(), joined(to, name))) return status;
    }
    return ec ? static_cast<int>(win32Error(ec.value(), from)) : 0;
}

// The names in an open folder, without "." and "..".
std::vector<std::string> namesIn(int folder) {
    std::vector<std::string> names;
    const int listing = ::dup(folder);
    if (listing < 0) return names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listing), ::closedir);
    if (!dir) {
        ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    return names;
}

// Empties a folder through descriptors relative to it, so that no name met on the way (a link, or a
// folder swapped for a link meanwhile) can lead the deletion out of the tree.
int emptyFolder(int folder, const std::string& path) {
    for (const std::string& name : namesIn(folder)) {
        const std::string child = joined(path, name);
        struct stat st {};
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;
            return static_cast<int>(win32Error(errno, child));
        }
        if (S_ISDIR(st.st_mode)) {
            UniqueFd inner(::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!inner) return static_cast<int>(win32Error(errno, child));
            if (int status = emptyFolder(inner.get(), child)) return status;
            if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0)
                return static_cast<int>(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : win32Error(errno, child));
            continue;
        }
        // Files (read-only ones too, as the shell deletes them once agreed to) and links themselves.
        const DWORD status = withShareAccess(st, kShareDelete, 7, [&]() -> DWORD {
            return ::unlinkat(folder, name.c_str(), 0) == 0 ? ERROR_SUCCESS : win32Error(errno, child);
        });
        if (status != ERROR_SUCCESS) return static_cast<int>(status);
    }
    return 0;
}

int deleteTree(const std::string& path) {
    if (kindOf(path) == Kind::Folder) {
        UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder) return static_cast<int>(win32Error(errno, path));
        if (int status = emptyFolder(folder.get(), path)) return status;
        return RemoveDirectoryA(path.c_str()) ? 0 : lastErrorCode();
    }
    if (DeleteFileA(path.c_str())) return 0;
    if (GetLastError() != ERROR_ACCESS_DENIED) return lastErrorCode();
    // A read-only file: the shell deletes it once the deletion itself is agreed to.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return lastErrorCode();
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path.c_str())) return 0;
    const int status = lastErrorCode();
    SetFileAttributesA(path.c_str(), attributes);
    return status;
}

int moveTree(Operation& op, const std::string& from, std::string to) {
    const Kind source = kindOf(from);
    const Kind target = kindOf(to);
    if (source == Kind::Folder && target == Kind::Folder) {
        // Merging into a folder of the same name, as the shell does.
        std::error_code ec;
        std::vector<std::string> children;
        for (const fs::directory_entry& entry : fs::directory_iterator(from, ec))
            children.push_back(entry.path().filename().string());
        for (const std::string& name : children)
            if (int status = moveTree(op, joined(from, name), joined(to, name))) return status;
        return RemoveDirectoryA(from.c_str()) ? 0 : lastErrorCode();
    }
    if (target != Kind::Missing) {
        if (source == Kind::Folder || target == Kind::Folder) return static_cast<int>(ERROR_ALREADY_EXISTS);
        if (int status = settleCollision(op, to)) return status;
        if (kindOf(to) != Kind::Missing) {
            if (int status = copySettled(from, to)) return status;
            return deleteTree(from);
        }
    }
    if (MoveFileA(from.c_str(), to.c_str())) return 0;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE) return lastErrorCode();
    if (int status = copyTree(op, from, to)) return status;
    return deleteTree(from);
}

// Where a copy or move of `from` lands: inside an existing folder, else at `to` itself.
std::string landingPlace(const std::string& from, const std::string& to) {
    return isFolderDestination(to) ? joined(to, lastName(from)) : to;
}

// Both names lead to the same entry (a link and the file it points to are two entries).
bool sameEntry(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::lstat(a.c_str(), &sa) != 0 || ::lstat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int checkSource(const std::string& from) {
    if (kindOf(from) == Kind::Missing) return static_cast<int>(ERROR_FILE_NOT_FOUND);
    if (fs::path(from).lexically_normal() == "/") return DE_ROOTDIR;
    return 0;
}

int copyOrMove(Operation& op, const std::string& from, const std::string& to) {
    if (int status = checkSource(from)) return status;
    if (to.empty()) return static_cast<int>(ERROR_PATH_NOT_FOUND);
    const std::string place = landingPlace(from, to);
    if (sameEntry(from, place)) return DE_SAMEFILE;
    if (kindOf(from) == Kind::Folder && isWithin(place, from)) return DE_DESTSUBTREE;
    return op.request.wFunc == FO_COPY ? copyTree(op, from, place) : moveTree(op, from, place);
}

int renameItem(const std::string& from, const std::string& to) {
    if (int status = checkSource(from)) return status;
    if (to.empty()) return static_cast<int>(ERROR_PATH_NOT_FOUND);
    if (kindOf(to) != Kind::Missing && !sameEntry(from, to)) return static_cast<int>(ERROR_ALREADY_EXISTS);
    return MoveFileA(from.c_str(), to.c_str()) ? 0 : lastErrorCode();
}

int deleteItem(Operation& op, const std::string& path) {
    if (int status = checkSource(path)) return status;
    if (!op.has(FOF_ALLOWUNDO)) return deleteTree(path);
    const DWORD status = moveToTrash(path);
    return status == ERROR_SUCCESS ? 0 : static_cast<int>(status);
}

int runOne(Operation& op, const std::string& from, const std::string& to) {
    switch (op.request.wFunc) {
        case FO_COPY:
        case FO_MOVE:
            return copyOrMove(op, from, to);
        case FO_RENAME:
            return renameItem(from, to);
        case FO_DELETE:
            return deleteItem(op, from);
        default:
            return static_cast<int>(ERROR_INVALID_PARAMETER);
    }
}

// Native forms of a list of suite paths; empty when one of them cannot name a file.
bool resolveAll(const std::vector<std::string>& names, std::vector<std::string>& natives, int& status) {
    for (const std::string& name : names) {
        std::string native;
        if (!resolveSuitePath(name, native)) {
            status = static_cast<int>(GetLastError() == ERROR_INVALID_NAME ? ERROR_INVALID_NAME
                                                                           : ERROR_FILE_NOT_FOUND);
            return false;
        }
        natives.push_back(native);
    }
    return true;
}

}  // namespace
}  // namespace velmora

int SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp) {
    using namespace velmora;
    if (!lpFileOp) return static_cast<int>(ERROR_INVALID_PARAMETER);
    lpFileOp->fAnyOperationsAborted = FALSE;
    Operation op{*lpFileOp};
    int status = 0;
    std::vector<std::string> sources;
    if (!resolveAll(splitList(lpFileOp->pFrom), sources, status)) return status;
    if (sources.empty()) return DE_INVALIDFILES;
    std::vector<std::string> targets;
    if (lpFileOp->wFunc != FO_DELETE) {
        const std::vector<std::string> names = splitList(lpFileOp->pTo);
        if (names.empty()) return static_cast<int>(ERROR_PATH_NOT_FOUND);
        if (!resolveAll(names, targets, status)) return static_cast<int>(ERROR_PATH_NOT_FOUND);
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const bool perSource = op.has(FOF_MULTIDESTFILES) && i < targets.size();
        const std::string to = targets.empty() ? std::string() : targets[perSource ? i : 0];
        if ((status = runOne(op, sources[i], to)) != 0) return status;
    }
    return 0;
}
