#include "SourceClaim.h"

#include "platform/entry.h"
#include "platform/fileinformation.h"
#include "runtime/text.h"

namespace velmora {

namespace {
bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Whether the name still names the claimed file, the entry itself (a link put in its place is another).
bool namesFile(const std::string& path, const BY_HANDLE_FILE_INFORMATION& taken) {
    const EntryInfo entry = fileEntryOf(path);
    return entry.kind != EntryKind::Missing &&
           static_cast<DWORD>(entry.device) == taken.dwVolumeSerialNumber &&
           static_cast<DWORD>(entry.inode >> 32) == taken.nFileIndexHigh &&
           static_cast<DWORD>(entry.inode) == taken.nFileIndexLow;
}

// What the name refers to now, through a handle that asks for no access and so disturbs no other open; a
// file whose deletion is pending cannot be opened any more.
bool currentFacts(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool read = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return read;
}
}  // namespace

SourceClaim::~SourceClaim() {
    release();
}

void SourceClaim::release() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

DWORD SourceClaim::take(const std::u16string& path) {
    release();
    m_path = toUtf8(path);
    // Read access proves the file can be read; delete access, not shared, keeps every other run away.
    m_handle = CreateFileA(m_path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) return GetLastError();
    if (!GetFileInformationByHandle(m_handle, &m_taken)) {
        const DWORD error = GetLastError();
        release();
        return error;
    }
    return ERROR_SUCCESS;
}

bool SourceClaim::unchanged() const {
    BY_HANDLE_FILE_INFORMATION now{};
    if (m_handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(m_handle, &now)) return false;
    return now.nFileSizeHigh == m_taken.nFileSizeHigh && now.nFileSizeLow == m_taken.nFileSizeLow &&
           now.ftLastWriteTime.dwLowDateTime == m_taken.ftLastWriteTime.dwLowDateTime &&
           now.ftLastWriteTime.dwHighDateTime == m_taken.ftLastWriteTime.dwHighDateTime &&
           namesFile(m_path, m_taken);
}

bool SourceClaim::removeName() {
    FILE_DISPOSITION_INFO remove{TRUE};
    if (m_handle == INVALID_HANDLE_VALUE ||
        !SetFileInformationByHandle(m_handle, FileDispositionInfo, &remove, sizeof remove))
        return false;
    release();
    // Gone, as a rule; a name still there may be a deletion pending until another open closes, which
    // only an open can tell.
    BY_HANDLE_FILE_INFORMATION named{};
    if (!namesFile(m_path, m_taken) || !currentFacts(m_path, named) || !sameFile(named, m_taken)) return true;
    // The folder refused the removal, or another open sharing deletion holds the file a moment longer
    // (then it goes when that one closes).
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

}  // namespace velmora
