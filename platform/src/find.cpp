// FindFirstFileA / FindNextFileA / FindClose: a snapshot of matching folder entries.
#include "platform/find.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fileerrors.h"
#include "fileinfo.h"
#include "platform/paths.h"
#include "resolve.h"
#include "shortnaming.h"
#include "wildcard.h"

namespace velmora {
namespace {

class FindSearch : public HandleObject {
  public:
    explicit FindSearch(std::vector<WIN32_FIND_DATAA> entries) : m_entries(std::move(entries)) {}
    bool next(WIN32_FIND_DATAA& data) {
        if (m_next >= m_entries.size()) return false;
        data = m_entries[m_next++];
        return true;
    }

  private:
    std::vector<WIN32_FIND_DATAA> m_entries;
    std::size_t m_next = 0;
};

// attributePath: the path (or, in a listing, the name) whose dot-name makes an entry hidden.
void fillData(const FileFacts& facts, bool link, std::string_view attributePath, std::string_view name,
              const std::string& shortName, WIN32_FIND_DATAA& data) {
    data = WIN32_FIND_DATAA{};
    data.dwFileAttributes = attributesFrom(facts.mode, facts.stored, attributePath);
    data.ftCreationTime = facts.times.creation;
    data.ftLastAccessTime = facts.times.lastAccess;
    data.ftLastWriteTime = facts.times.lastWrite;
    if (!S_ISDIR(facts.mode)) {
        data.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(facts.size);
    }
    if (link) {
        if (data.dwFileAttributes == FILE_ATTRIBUTE_NORMAL) data.dwFileAttributes = 0;
        data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        data.dwReserved0 = IO_REPARSE_TAG_SYMLINK;
    }
    std::strncpy(data.cFileName, name.data(), std::min(name.size(), sizeof data.cFileName - 1));
    if (!shortName.empty() && shortName != name)
        std::strncpy(data.cAlternateFileName, shortName.c_str(), sizeof data.cAlternateFileName - 1);
}

bool entryData(const std::string& path, const std::string& name, const std::string& shortName,
               WIN32_FIND_DATAA& data) {
    FileFacts facts;
    if (!readFileFacts({-1, path.c_str()}, facts)) return false;
    struct stat own {};
    fillData(facts, lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode), path, name, shortName, data);
    return true;
}

bool sameFile(const struct stat& st, const std::string& other) {
    struct stat so {};
    return stat(other.c_str(), &so) == 0 && st.st_dev == so.st_dev && st.st_ino == so.st_ino;
}

bool isDriveRoot(const struct stat& folder) {
    return sameFile(folder, "/") || sameFile(folder, driveCRoot());
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [&](char x, char y) { return lower(x) < lower(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [&](char x, char y) { return lower(x) < lower(y); });
    return less || (!greater && a < b);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// "folder\" names the folder itself.
DWORD findFolderItself(const std::string& suitePath, std::vector<WIN32_FIND_DATAA>& found) {
    std::string native;
    if (!resolveSuitePath(suitePath, native)) return GetLastError();
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) return win32Error(errno, native);
    if (!S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    std::string_view trimmed = native;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
    const std::size_t slash = trimmed.rfind('/');
    const std::string name(isDriveRoot(st) ? std::string_view(".") : trimmed.substr(slash + 1));
    WIN32_FIND_DATAA data;
    if (!entryData(native, name, name, data)) return win32Error(errno, native);
    found.push_back(data);
    return ERROR_SUCCESS;
}

struct FolderEntry {
    std::string name;
    unsigned char type;  // as the folder records it; DT_UNKNOWN where it does not
};

// What a search asks for beyond matching names.
struct SearchOptions {
    bool shortNames = true;    // cAlternateFileName filled
    bool foldersOnly = false;  // entries that are no folder left out
};

// An entry of the open folder `folderFd`, its facts read relative to the folder (no path walk per entry).
bool listedEntryData(int folderFd, const std::string& path, const std::string& name,
                     const std::string& shortName, WIN32_FIND_DATAA& data) {
    FileFacts facts;
    bool link = false;
    if (!readEntryFacts(folderFd, name.c_str(), path.c_str(), facts, link)) return false;
    fillData(facts, link, name, name, shortName, data);
    return true;
}

DWORD findMatches(std::string_view suitePath, std::vector<WIN32_FIND_DATAA>& found,
                  const SearchOptions& options = {}) {
    if (const DWORD error = checkSuitePath(suitePath); error != ERROR_SUCCESS) return error;
    const std::size_t split = suitePath.find_last_of("\\/");
    std::size_t patternStart = split == std::string_view::npos ? 0 : split + 1;
    if (patternStart == 0 && suitePath.size() >= 2 && suitePath[1] == ':') patternStart = 2;  // "C:*.txt"
    const std::string folderText(suitePath.substr(0, patternStart));
    const std::string pattern(suitePath.substr(patternStart));
    if (pattern.empty()) return findFolderItself(std::string(suitePath), found);

    std::string folder;
    if (!resolveSuitePath(folderText.empty() ? "." : folderText, folder)) return GetLastError();
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return win32Error(errno, folder);

    std::vector<FolderEntry> entries;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") entries.push_back({std::string(name), entry->d_type});
    }
    const bool matchShort = pattern.find('~') != std::string::npos;
    std::map<std::string, std::string> shortNames;
    if (options.shortNames || matchShort) {
        std::vector<std::string> names;
        names.reserve(entries.size());
        for (const FolderEntry& entry : entries) names.push_back(entry.name);
        shortNames = shortNamesOf(folder, names);
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return lessIgnoringCase(a.name, b.name); });
    if (!isDriveRoot(st)) entries.insert(entries.begin(), {{".", DT_DIR}, {"..", DT_DIR}});
    for (const FolderEntry& entry : entries) {
        // A link may lead to a folder, and an unknown type may be one: only their facts tell.
        if (options.foldersOnly && entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN)
            continue;
        const auto it = shortNames.find(entry.name);
        const std::string& shortName = it == shortNames.end() ? entry.name : it->second;
        if (!matchesPattern(pattern, entry.name) && !(matchShort && matchesPattern(pattern, shortName)))
            continue;
        WIN32_FIND_DATAA data;
        if (!listedEntryData(dirfd(dir.get()), joined(folder, entry.name), entry.name,
                             options.shortNames ? shortName : std::string(), data))
            continue;
        if (options.foldersOnly && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        found.push_back(data);
    }
    return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

}  // namespace
}  // namespace velmora

using namespace velmora;

namespace {

HANDLE startSearch(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData, const SearchOptions& options) {
    std::vector<WIN32_FIND_DATAA> found;
    const DWORD error = lpFindFileData
                            ? (lpFileName ? findMatches(lpFileName, found, options) : ERROR_PATH_NOT_FOUND)
                            : ERROR_INVALID_PARAMETER;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindSearch>(std::move(found));
    search->next(*lpFindFileData);
    SetLastError(ERROR_SUCCESS);
    return insertHandle(std::move(search));
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    return startSearch(lpFileName, lpFindFileData, SearchOptions{});
}

HANDLE FindFirstFileExA(LPCSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId, LPVOID lpFindFileData,
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD dwAdditionalFlags) {
    const bool valid = (fInfoLevelId == FindExInfoStandard || fInfoLevelId == FindExInfoBasic) &&
                       (fSearchOp == FindExSearchNameMatch || fSearchOp == FindExSearchLimitToDirectories) &&
                       !lpSearchFilter && (dwAdditionalFlags & ~FIND_FIRST_EX_LARGE_FETCH) == 0;
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    SearchOptions options;
    options.shortNames = fInfoLevelId == FindExInfoStandard;
    options.foldersOnly = fSearchOp == FindExSearchLimitToDirectories;
    return startSearch(lpFileName, static_cast<LPWIN32_FIND_DATAA>(lpFindFileData), options);
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto search = findHandleOf<FindSearch>(hFindFile);
    if (!search) return FALSE;
    if (!lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (search->next(*lpFindFileData)) return TRUE;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

BOOL FindClose(HANDLE hFindFile) {
    return removeHandleOf<FindSearch>(hFindFile) ? TRUE : FALSE;
}
