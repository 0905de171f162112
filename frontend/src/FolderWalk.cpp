#include "FolderWalk.h"

#include <deque>
#include <vector>

#include "platform/attributes.h"
#include "platform/entry.h"
#include "platform/find.h"
#include "platform/owned.h"
#include "runtime/nativenames.h"
#include "runtime/text.h"

namespace velmora::FolderWalk {

namespace {
constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;

struct Listing {
    std::vector<std::u16string> files;
    std::vector<std::u16string> folders;
};

// The whole listing of one folder, taken before anything in it changes; false with the error.
bool list(const std::u16string& folder, Listing& listing, DWORD& error, const FolderFailure& onFailure) {
    WIN32_FIND_DATAA entry{};
    // The basic level: the walk never reads short names, which cost a look at every entry's creation time.
    const OwnedFind search(FindFirstFileExA(toUtf8(folder + u"\\*.*").c_str(), FindExInfoBasic, &entry,
                                            FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;  // an empty folder
    }
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == ".." || (entry.dwFileAttributes & kLeftOut) != 0) continue;
        std::u16string path = folder + u"\\" + fromNativeName(name);
        if (name.find('\\') != std::string::npos) {
            if (onFailure) onFailure(path, ERROR_INVALID_NAME);
            continue;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listing.folders.push_back(std::move(path));
        else
            listing.files.push_back(std::move(path));
    } while (FindNextFileA(search.get(), &entry));
    return true;
}
}  // namespace

void walk(const std::u16string& root, const FileHandler& onFile, const FolderFailure& onFailure) {
    std::deque<std::u16string> queue{root};
    while (!queue.empty()) {
        const std::u16string folder = std::move(queue.front());
        queue.pop_front();
        Listing listing;
        DWORD error = 0;
        if (!list(folder, listing, error, onFailure)) {
            if (onFailure) onFailure(folder, error);
            continue;
        }
        queue.insert(queue.end(), listing.folders.begin(), listing.folders.end());
        for (const std::u16string& file : listing.files) onFile(file);
    }
}

bool isSymbolicLink(const std::u16string& path) {
    // The entry itself, looked up literally: as a search pattern, "q?.bin" would answer for "qa.bin".
    return entryOf(toUtf8(path)).kind == EntryKind::Link;
}

}  // namespace velmora::FolderWalk
