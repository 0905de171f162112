// Win32 share modes between all of our opens of one file, across processes.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

#include "UniqueFd.h"
#include "platform/win32types.h"

namespace velmora {

// The kinds of access that take part in sharing; the same bits as FILE_SHARE_READ/WRITE/DELETE.
enum ShareKind : unsigned { kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };

// One open's registration in its file's slot of the device's lock file in the runtime folder. Open file
// description locks (F_OFD_SETLK) encode it, so two handles in one process conflict just like two processes,
// and a crashed process's registrations vanish with it.
class ShareLock {
  public:
    ShareLock() = default;
    ShareLock(ShareLock&&) = default;
    ShareLock& operator=(ShareLock&&) = default;
    ~ShareLock() { release(-1); }

    // Registers an open of `file` using `access` and sharing `share` (ShareKind bits). ERROR_SUCCESS,
    // ERROR_SHARING_VIOLATION by the Win32 rule, ERROR_ACCESS_DENIED when the file is pending deletion or
    // no lock folder is usable.
    DWORD acquire(const struct stat& file, unsigned access, unsigned share, bool deleteOnClose);

    // Makes this open delete-on-close, or takes that back (the file stays when it closes, unless another
    // delete-on-close open remains). ERROR_INVALID_HANDLE when nothing is registered.
    DWORD setDeleteOnClose(bool on);

    // Ends the registration. When it was the file's last open and a delete-on-close open was among them,
    // unlinks the file dataFd refers to (when dataFd >= 0): at openedPath, the name it was opened by, when
    // that still names it (asked first: finding a descriptor's name through /proc costs far more). True
    // when it unlinked the file.
    bool release(int dataFd, const std::string& openedPath = {});

  private:
    UniqueFd m_lock;
    std::string m_lockPath;  // where m_lock goes back to when released
    off_t m_slot = 0;
    bool m_deleteOnClose = false;
};

// Runs `action` when an open using `access` and sharing `share` would be granted, without registering one;
// no open can start meanwhile. Returns the refusal, or what the action returns. DeleteFileA, MoveFileA and
// CopyFileA use it to honour the share modes of open handles.
DWORD withShareAccess(const struct stat& file, unsigned access, unsigned share,
                      const std::function<DWORD()>& action);

}  // namespace velmora
