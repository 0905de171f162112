// SHFileOperationA on the platform's own file calls, so that share modes, read-only files and atomic
// replacement behave as everywhere else in the suite.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

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

enum class Kind { Missing, File, Folder };

Kind kindOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Kind::Missing;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
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

int copySettled(const std::string& from, const std::string& to) {
    if (kindOf(to) == Kind::Folder) return static_cast<int>(ERROR_ALREADY_EXISTS);
    return CopyFileA(from.c_str(), to.c_str(), FALSE) ? 0 : lastErrorCode();
}

int copyFile(Operation& op, const std::string& from, std::string to) {
    if (int status = settleCollision(op, to)) return status;
    return copySettled(from, to);
}

int copyTree(Operation& op, const std::string& from, const std::string& to) {
    if (kindOf(from) == Kind::File) return copyFile(op, from, to);
    if (kindOf(to) == Kind::Missing && !CreateDirectoryA(to.c_str(), nullptr)) return lastErrorCode();
    if (kindOf(to) != Kind::Folder) return static_cast<int>(ERROR_ALREADY_EXISTS);
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
        const std::string name = entry.path().filename().string();
        if (int status = copyTree(op, entry.path().string(), joined(to, name))) return status;
    }
    return ec ? static_cast<int>(win32Error(ec.value(), from)) : 0;
}

int deleteTree(const std::string& path) {
    if (kindOf(path) == Kind::Folder) {
        std::error_code ec;
        std::vector<std::string> children;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, ec))
            children.push_back(entry.path().string());
        for (const std::string& child : children)
            if (int status = deleteTree(child)) return status;
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
        if (kindOf(to) == Kind::File) {
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
    return kindOf(to) == Kind::Folder ? joined(to, lastName(from)) : to;
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
    std::error_code ec;
    if (fs::equivalent(from, place, ec)) return DE_SAMEFILE;
    if (kindOf(from) == Kind::Folder && isWithin(place, from)) return DE_DESTSUBTREE;
    return op.request.wFunc == FO_COPY ? copyTree(op, from, place) : moveTree(op, from, place);
}

int renameItem(const std::string& from, const std::string& to) {
    if (int status = checkSource(from)) return status;
    if (to.empty()) return static_cast<int>(ERROR_PATH_NOT_FOUND);
    std::error_code ec;
    if (kindOf(to) != Kind::Missing && !fs::equivalent(from, to, ec))
        return static_cast<int>(ERROR_ALREADY_EXISTS);
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
