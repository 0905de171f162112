#include "EraseProcedure.h"

#include <deque>
#include <set>
#include <utility>

#include "component/calls.h"
#include "platform/entry.h"
#include "platform/find.h"
#include "platform/handles.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "runtime/nativenames.h"
#include "runtime/text.h"

namespace velmora {

namespace {

constexpr std::int32_t kWipe = 3;        // DeleteType vWipe
constexpr std::int32_t kFileNuke = 108;  // AnimationType FileNuke
constexpr char16_t kBackslashName[] =
    u"The name holds a \\, which this platform reads as a separator; left as it is";
constexpr char16_t kNotOpened[] = u"The file could not be opened; left as it is";
constexpr char16_t kNoFile[] = u"Not a regular file (a link, pipe or device); left as it is";
constexpr char16_t kStillThere[] = u"The file is still there after its wipe (in use, or read-only)";

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string withoutTrailingSeparators(std::u16string path) {
    while (path.size() > 1 && isSeparator(path.back())) path.pop_back();
    return path;
}

struct FolderEntry {
    std::u16string name;
    DWORD attributes = 0;
};

// The names in a folder as the platform's listing returns them, "." and ".." left out.
std::vector<FolderEntry> listFolder(const std::u16string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data{};
    const HANDLE search = FindFirstFileA(toUtf8(folder + u"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::u16string name = fromNativeName(data.cFileName);
        if (name != u"." && name != u"..") entries.push_back({name, data.dwFileAttributes});
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return entries;
}

}  // namespace

EraseProcedure::EraseProcedure(Objects objects, std::function<std::int32_t()> passSelector)
    : m_objects(std::move(objects)), m_passSelector(std::move(passSelector)) {}

std::int16_t EraseProcedure::choosePasses(std::int32_t selectorValue) {
    // Compared before narrowing: a value beyond 16 bits is "2000 or more", never a wrapped number.
    if (selectorValue < 1) return 1;
    if (selectorValue >= 2000) return 400;
    return static_cast<std::int16_t>(selectorValue);
}

std::int16_t EraseProcedure::passes() const {
    return choosePasses(m_passSelector ? m_passSelector() : 1);
}

void EraseProcedure::run(const std::vector<std::u16string>& arguments) {
    Variant canCancel(false), alwaysOnTop(false);
    call(m_objects.progress, u"Initialize", u"Shreding File(s)", u"Initializing", 0, 100, kFileNuke,
         canCancel, alwaysOnTop);
    const std::int16_t count = passes();
    for (std::size_t i = 1; i < arguments.size(); ++i) eraseItem(arguments[i], count);
    call(m_objects.progress, u"Terminate");
}

void EraseProcedure::leave(const std::u16string& path, std::int32_t number, std::u16string reason) {
    m_leftAlone.push_back({path, number, std::move(reason)});
}

void EraseProcedure::eraseItem(const std::u16string& path, std::int16_t passes) {
    // A name with a '\' given as a POSIX path: the suite's path would name another file.
    if (namesBackslashEntry(toUtf8(path))) {
        leave(path, err::BadFileNameOrNumber, kBackslashName);
        return;
    }
    const EntryInfo entry = entryOf(toUtf8(path));
    switch (entry.kind) {
        case EntryKind::Missing:
            return;
        case EntryKind::Other:  // a pipe or device holds no file of the user's to destroy
            leave(path, err::BadFileMode, kNoFile);
            return;
        case EntryKind::Link:
            // The link goes, never what it points to: the wipe opens the link itself.
            letProperty(m_objects.file, u"FileName", withoutTrailingSeparators(path));
            announce();
            wipeSelected(passes);
            return;
        case EntryKind::Folder:
            letProperty(m_objects.directory, u"Path", path);
            if (getProperty(m_objects.directory, u"Exists").toBool()) eraseTree(path);
            return;
        case EntryKind::File:
            letProperty(m_objects.file, u"FileName", path);
            if (getProperty(m_objects.file, u"Exists").toBool()) {
                announce();
                wipeSelected(passes);
            } else {
                leave(path, err::PermissionDenied, kNotOpened);
            }
            return;
    }
}

void EraseProcedure::announce() {
    const std::u16string title = getProperty(m_objects.file, u"Title").toString();
    letProperty(m_objects.progress, u"StatusText", u"Shredwell " + title);
}

void EraseProcedure::wipeSelected(std::int16_t passes) {
    const std::u16string path = getProperty(m_objects.file, u"FileName").toString();
    if (m_observer) m_observer(path);
    const EntryInfo before = entryOf(toUtf8(path));
    // "" stands for the object's own FileName.
    Variant name(u""), confirm(false), count(passes);
    try {
        call(m_objects.file, u"FileDelete", kWipe, name, confirm, count);
    } catch (const RuntimeError& error) {
        // The wipe refused (other names) or its writes failed: the file stays, and so does the reason.
        leave(path, error.number(), error.description());
        return;
    }
    const EntryInfo after = entryOf(toUtf8(path));
    if (after.kind != EntryKind::Missing && after.device == before.device && after.inode == before.inode)
        leave(path, err::PermissionDenied, kStillThere);
}

void EraseProcedure::eraseTree(const std::u16string& path) {
    if (path.empty()) return;
    const std::int16_t count = passes();
    const std::u16string root = withoutTrailingSeparators(path) + u"\\";
    const EntryInfo start = entryOf(toUtf8(root));
    if (start.kind != EntryKind::Folder) return;
    std::set<std::pair<std::uint64_t, std::uint64_t>> visited{{start.device, start.inode}};
    std::deque<std::u16string> queue{root};
    while (!queue.empty()) {
        const std::u16string folder = std::move(queue.front());
        queue.pop_front();
        for (const FolderEntry& item : listFolder(folder)) {
            // Hidden and system entries are not listed to the walk, as the platform's own listing does.
            if (item.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
            const std::u16string name = folder + item.name;
            if (item.name.find(u'\\') != std::u16string::npos) {
                leave(name, err::BadFileNameOrNumber, kBackslashName);
                continue;
            }
            const EntryInfo entry = entryOf(toUtf8(name));
            if (entry.kind == EntryKind::Folder) {
                // Another file system mounted inside the tree, or a folder seen before (a bind mount), is
                // not walked.
                if (entry.device == start.device && visited.insert({entry.device, entry.inode}).second)
                    queue.push_back(name + u"\\");
                continue;
            }
            if (entry.kind == EntryKind::Link || entry.kind == EntryKind::Other)
                leave(name, err::BadFileMode, kNoFile);
            if (entry.kind != EntryKind::File || entry.size == 0) continue;
            letProperty(m_objects.file, u"FileName", name);
            announce();
            if (getProperty(m_objects.file, u"Exists").toBool())
                wipeSelected(count);
            else
                leave(name, err::PermissionDenied, kNotOpened);
        }
    }
}

}  // namespace velmora
