#include "platform/entry.h"

#include <sys/stat.h>

#include "platform/paths.h"
#include "resolve.h"

namespace velmora {

namespace {

EntryInfo entryAt(std::string native, bool followLinks) {
    EntryInfo info;
    // "link\" is still the link itself; followed, the separator asks for a folder, as in the file calls.
    while (!followLinks && native.size() > 1 && native.back() == '/') native.pop_back();
    struct stat st {};
    if ((followLinks ? ::stat(native.c_str(), &st) : ::lstat(native.c_str(), &st)) != 0) return info;
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

}  // namespace

EntryInfo entryOf(const std::string& path) {
    std::string native;
    return suiteToNative(path, native) ? entryAt(std::move(native), false) : EntryInfo{};
}

EntryInfo fileEntryOf(const std::string& path, bool followLinks) {
    std::string native;
    return resolveSuitePath(path, native) ? entryAt(std::move(native), followLinks) : EntryInfo{};
}

bool namesBackslashEntry(std::string_view path) {
    struct stat st {};
    return path.find('\\') != std::string_view::npos && ::lstat(std::string(path).c_str(), &st) == 0;
}

}  // namespace velmora
