// OpenFile on top of CreateFileA.
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resolve.h"

namespace {

bool onNetworkFileSystem(const std::string& path) {
    struct statfs fs {};
    if (statfs(path.c_str(), &fs) != 0) return false;
    switch (static_cast<std::uint32_t>(fs.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
            return true;
        default:
            return false;
    }
}

// The kernel marks removable media on the disk's block device; a partition asks its parent disk.
bool onRemovableDevice(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || major(st.st_dev) == 0) return false;
    char device[64];
    std::snprintf(device, sizeof device, "/sys/dev/block/%u:%u", major(st.st_dev), minor(st.st_dev));
    for (const char* relative : {"/removable", "/../removable"}) {
        std::ifstream flag(std::string(device) + relative);
        char value = 0;
        if (flag >> value) return value == '1';
    }
    return false;
}

bool isFixedDisk(std::string path) {
    struct stat st {};
    while (stat(path.c_str(), &st) != 0 && path.size() > 1) {
        const std::size_t slash = path.rfind('/');  // a file still to be created: judge by its folder
        path.erase(slash == std::string::npos ? 0 : slash == 0 ? 1 : slash);
    }
    return !onNetworkFileSystem(path) && !onRemovableDevice(path);
}

HFILE failed(LPOFSTRUCT record) {
    record->nErrCode = static_cast<WORD>(GetLastError());
    return HFILE_ERROR;
}

DWORD shareOf(UINT style) {
    switch (style & 0x70) {
        case OF_SHARE_EXCLUSIVE:
            return 0;
        case OF_SHARE_DENY_WRITE:
            return FILE_SHARE_READ;
        case OF_SHARE_DENY_READ:
            return FILE_SHARE_WRITE;
        default:
            return FILE_SHARE_READ | FILE_SHARE_WRITE;  // deny none, and compatibility mode
    }
}

}  // namespace

HFILE OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle) {
    if (!lpReOpenBuff) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    OFSTRUCT& record = *lpReOpenBuff;
    record = OFSTRUCT{};
    record.cBytes = sizeof(OFSTRUCT);
    std::string native;
    if (!lpFileName) SetLastError(ERROR_PATH_NOT_FOUND);
    if (!lpFileName || !velmora::resolveSuitePath(lpFileName, native)) return failed(&record);
    std::strncpy(record.szPathName, velmora::toSuitePath(native).c_str(), OFS_MAXPATHNAME - 1);
    record.fFixedDisk = isFixedDisk(native) ? 1 : 0;
    if (uStyle & OF_PARSE) return 0;
    if (uStyle & OF_DELETE) return DeleteFileA(lpFileName) ? 1 : failed(&record);

    const DWORD access = (uStyle & 3) == OF_WRITE       ? GENERIC_WRITE
                         : (uStyle & 3) == OF_READWRITE ? GENERIC_READ | GENERIC_WRITE
                                                        : GENERIC_READ;
    HANDLE handle =
        CreateFileA(lpFileName, access, shareOf(uStyle), nullptr,
                    (uStyle & OF_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failed(&record);
    if (uStyle & OF_EXIST) {
        CloseHandle(handle);
        return 1;
    }
    return static_cast<HFILE>(reinterpret_cast<std::intptr_t>(handle));
}
