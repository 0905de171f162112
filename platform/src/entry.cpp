#include "platform/entry.h"

#include <sys/stat.h>

#include "platform/paths.h"

namespace velmora {

EntryInfo entryOf(const std::string& path) {
    EntryInfo info;
    std::string native;
    if (!suiteToNative(path, native)) return info;
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return info;
    info.device = static_cast<std::uint64_t>(st.st_dev);
    info.inode = static_cast<std::uint64_t>(st.st_ino);
    if (S_ISREG(st.st_mode)) {
        info.kind = EntryKind::File;
        info.size = static_cast<std::uint64_t>(st.st_size);
    } else if (S_ISDIR(st.st_mode)) {
        info.kind = EntryKind::Folder;
    } else if (S_ISLNK(st.st_mode)) {
        info.kind = EntryKind::Link;
    } else {
        info.kind = EntryKind::Other;
    }
    return info;
}

bool namesBackslashEntry(std::string_view path) {
    struct stat st {};
    return path.find('\\') != std::string_view::npos && ::lstat(std::string(path).c_str(), &st) == 0;
}

}  // namespace velmora
