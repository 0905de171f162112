#include "EraseProcedure.h"

#include <deque>
#include <exception>
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
// A file of at most one block reports its Progress once per pass: wiped ahead of its turn, it shows the
// user the same. A longer one shows its progress block by block as it is written.
constexpr std::uint64_t kAheadUpTo = 1048576;
// Reports waiting at most: enough to keep the file object's workers busy while the first is awaited.
constexpr std::size_t kAheadDepth = 32;

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
    : m_objects(std::move(objects)),
      m_ahead(m_objects.file.as<FileObject>()),
      m_passSelector(std::move(passSelector)) {}

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
    try {
        for (std::size_t i = 1; i < arguments.size(); ++i) eraseItem(arguments[i], count);
        settle();
    } catch (...) {
        // The files already in the workers' hands are still awaited, and what stayed is still recorded.
        settle(true);
        throw;
    }
    call(m_objects.progress, u"Terminate");
}

void EraseProcedure::settle(bool quiet) {
    while (!m_turns.empty()) {
        if (!quiet) {
            takeTurn(false);
            continue;
        }
        try {
            takeTurn(true);
        } catch (...) {
            // Already failing: every file after this one is still awaited.
        }
    }
}

void EraseProcedure::takeTurn(bool quiet) {
    const Turn turn = std::move(m_turns.front());
    m_turns.pop_front();
    turn(quiet);
}

void EraseProcedure::leave(const std::u16string& path, std::int32_t number, std::u16string reason) {
    m_leftAlone.push_back({path, number, std::move(reason)});
}

void EraseProcedure::leaveInTurn(const std::u16string& path, std::int32_t number, std::u16string reason) {
    if (m_turns.empty()) return leave(path, number, std::move(reason));
    m_turns.push_back([this, path, number, reason](bool) { leave(path, number, reason); });
}

void EraseProcedure::eraseItem(const std::u16string& path, std::int16_t passes) {
    // A name with a '\' given as a POSIX path: the suite's path would name another file.
    if (namesBackslashEntry(toUtf8(path))) {
        leaveInTurn(path, err::BadFileNameOrNumber, kBackslashName);
        return;
    }
    const EntryInfo entry = entryOf(toUtf8(path));
    switch (entry.kind) {
        case EntryKind::Missing:
            return;
        case EntryKind::Other:  // a pipe or device holds no file of the user's to destroy
            leaveInTurn(path, err::BadFileMode, kNoFile);
            return;
        case EntryKind::Link: {
            // The link goes, never what it points to: the wipe opens the link itself.
            settle();
            const std::u16string link = withoutTrailingSeparators(path);
            letProperty(m_objects.file, u"FileName", link);
            announce();
            wipeSelected(passes, entryOf(toUtf8(link)));
            return;
        }
        case EntryKind::Folder:
            letProperty(m_objects.directory, u"Path", path);
            if (getProperty(m_objects.directory, u"Exists").toBool()) eraseTree(path);
            return;
        case EntryKind::File:
            eraseFile(path, entry, passes, false);
            return;
    }
}

void EraseProcedure::eraseFile(const std::u16string& path, const EntryInfo& entry, std::int16_t passes,
                               bool inTree) {
    // The same file still in flight (named twice, or under another name): its outcome comes first, and the
    // item is then taken as that wipe left it.
    if (m_inFlight.contains({entry.device, entry.inode})) {
        settle();
        if (!inTree) return eraseItem(path, passes);
        const EntryInfo now = entryOf(toUtf8(path));
        if (now.kind == EntryKind::File && now.size > 0) eraseFile(path, now, passes, inTree);
        return;
    }
    if (!m_ahead || entry.size > kAheadUpTo) {
        settle();
        return eraseFileNow(path, entry, passes, inTree);
    }
    letProperty(m_objects.file, u"FileName", path);
    if (!getProperty(m_objects.file, u"Exists").toBool()) {
        const auto notOpened = [this, path, inTree](bool quiet) {
            if (inTree && !quiet) {
                letProperty(m_objects.file, u"FileName", path);
                announce();
            }
            leave(path, err::PermissionDenied, kNotOpened);
        };
        if (m_turns.empty()) return notOpened(false);
        m_turns.push_back(notOpened);
        return;
    }
    const FileId id{entry.device, entry.inode};
    m_ahead->wipeAhead(path, passes);
    m_inFlight.insert(id);
    m_turns.push_back([this, path, entry, passes, id](bool quiet) {
        letProperty(m_objects.file, u"FileName", path);
        // The wipe is under way whatever fails before its report: its outcome is awaited and recorded first.
        std::exception_ptr failure;
        try {
            if (!quiet) {
                announce();
                if (m_observer) m_observer(path);
            }
        } catch (...) {
            failure = std::current_exception();
        }
        deleteSelected(passes, entry);
        m_inFlight.erase(id);
        if (failure) std::rethrow_exception(failure);
    });
    while (m_turns.size() > kAheadDepth) takeTurn(false);
}

void EraseProcedure::eraseFileNow(const std::u16string& path, const EntryInfo& entry, std::int16_t passes,
                                  bool inTree) {
    letProperty(m_objects.file, u"FileName", path);
    if (inTree) announce();  // in a tree the status text comes before the check
    if (!getProperty(m_objects.file, u"Exists").toBool())
        return leave(path, err::PermissionDenied, kNotOpened);
    if (!inTree) announce();
    wipeSelected(passes, entry);
}

void EraseProcedure::announce() {
    const std::u16string title = getProperty(m_objects.file, u"Title").toString();
    // Not waited for: a folder of small files writes one a file, and the window shows the latest anyway.
    postProperty(m_objects.progress, u"StatusText", u"Shredwell " + title);
}

void EraseProcedure::wipeSelected(std::int16_t passes, const EntryInfo& before) {
    if (m_observer) m_observer(getProperty(m_objects.file, u"FileName").toString());
    deleteSelected(passes, before);
}

void EraseProcedure::deleteSelected(std::int16_t passes, const EntryInfo& before) {
    const std::u16string path = getProperty(m_objects.file, u"FileName").toString();
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
                leaveInTurn(name, err::BadFileNameOrNumber, kBackslashName);
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
                leaveInTurn(name, err::BadFileMode, kNoFile);
            if (entry.kind != EntryKind::File || entry.size == 0) continue;
            eraseFile(name, entry, count, true);
        }
    }
}

}  // namespace velmora
