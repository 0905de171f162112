// The object behind a handle from CreateFileA or OpenFile.
#pragma once

#include <string>

#include "CloseBehind.h"
#include "ShareLock.h"
#include "UniqueFd.h"
#include "platform/files.h"

namespace velmora {

class FileHandle : public HandleObject {
  public:
    FileHandle(UniqueFd fd, ShareLock share, std::string nativePath, DWORD desiredAccess, unsigned kinds,
               bool deleteOnClose = false)
        : m_fd(std::move(fd)),
          m_share(std::move(share)),
          m_nativePath(std::move(nativePath)),
          m_desiredAccess(desiredAccess),
          m_kinds(kinds),
          m_openedDeleteOnClose(deleteOnClose) {}
    // The share registration goes first: as the last open it may still need the descriptor to find the
    // file it deletes on close.
    // A file deleted by this close is freed on another thread, which takes that cost off the caller.
    ~FileHandle() override {
        if (m_share.release(m_fd.get(), m_nativePath)) closeBehind(std::move(m_fd));
    }

    int fd() const { return m_fd.get(); }
    const std::string& nativePath() const { return m_nativePath; }
    bool canRead() const { return m_kinds & kShareRead; }
    bool canWrite() const { return m_kinds & kShareWrite; }
    // Delete access, which delete-on-close counts as.
    bool canDelete() const { return m_kinds & kShareDelete; }
    bool openedDeleteOnClose() const { return m_openedDeleteOnClose; }
    DWORD setDeleteOnClose(bool on) { return m_share.setDeleteOnClose(on); }
    bool canWriteAttributes() const {
        return m_desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_ATTRIBUTES);
    }

  private:
    UniqueFd m_fd;
    ShareLock m_share;
    std::string m_nativePath;
    DWORD m_desiredAccess;
    unsigned m_kinds;
    bool m_openedDeleteOnClose;
};

// The ShareKind bits an access mask (and delete-on-close) uses.
unsigned shareKindsOf(DWORD desiredAccess, DWORD flags);

}  // namespace velmora
