// The temporary folder and GetTempFileNameA.
#include "platform/tempfiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UniqueFd.h"
#include "fileerrors.h"
#include "platform/paths.h"
#include "resolve.h"
#include "textout.h"

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    // /tmp is shared by every user of the machine; decrypted copies land here, so without $TMPDIR the
    // folder is the user's own, as on the platform the suite was written for.
    const char* tmp = std::getenv("TMPDIR");
    const std::string native = tmp && *tmp ? std::string(tmp) : velmora::privateTempFolder();
    if (native.empty()) return velmora::failWith(EACCES), 0;
    std::string path = velmora::toSuitePath(native);
    if (path.back() != '\\') path += '\\';
    return velmora::copyOut(path, lpBuffer, nBufferLength);
}

UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName) {
    using namespace velmora;
    std::string folder;
    if (!lpPathName || !lpTempFileName) return failWith(EINVAL), 0;
    if (!resolveSuitePath(lpPathName, folder)) return 0;
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    std::string base = lpPathName;
    if (!base.empty() && !isPathSeparator(base.back())) base += '\\';
    base += std::string(lpPrefixString ? lpPrefixString : "").substr(0, 3);

    const auto nameFor = [&](unsigned number) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", number);
        return base + hex + ".TMP";
    };
    const auto deliver = [&](const std::string& name, UINT number) -> UINT {
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
        return number;
    };
    if (uUnique != 0) return deliver(nameFor(uUnique & 0xFFFF), uUnique & 0xFFFF);

    // Start from a number that differs between processes and moments, then take the first free one.
    const auto seed =
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() ^ getpid());
    for (unsigned i = 0; i < 0xFFFF; ++i) {
        const unsigned number = (seed + i) % 0xFFFF + 1;
        const std::string name = nameFor(number);
        if (name.size() >= MAX_PATH) return deliver(name, 0);
        std::string native;
        if (!resolveSuitePath(name, native)) return 0;
        UniqueFd fd(open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd) return deliver(name, number);
        if (errno != EEXIST) return failWith(errno, native), 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
