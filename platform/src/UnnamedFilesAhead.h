// Unnamed files (O_TMPFILE) made ahead, on a thread of their own, in the folder the last one was asked
// for. Making one means finding a free inode, and on ext4 without a journal that search passes over every
// inode of the folder's group freed in the last minutes: after a run that removed many files, about as
// long as the rest of a small file's work. Made ahead, that search is off the asking thread's way.
//
// A file taken is exactly what open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode) gives, made a moment
// earlier in the same folder on the same device; where none is ready (the first, a new folder or mode, or
// the making fails), the caller makes its own and sees its own error.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace velmora {

class UnnamedFilesAhead {
  public:
    UnnamedFilesAhead() = default;
    // Closes the files never taken (they leave nothing on disk).
    ~UnnamedFilesAhead();
    UnnamedFilesAhead(const UnnamedFilesAhead&) = delete;
    UnnamedFilesAhead& operator=(const UnnamedFilesAhead&) = delete;

    // A descriptor of an unnamed file made in `folder` with `mode`, or -1: then the caller makes it.
    // Either way, the next ones are made for this folder and mode.
    int take(const std::string& folder, unsigned mode);

  private:
    void make();
    void dropSpares(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_wanted;
    std::string m_folder;  // what the spares are for
    unsigned m_mode = 0;
    dev_t m_device = 0;  // the folder's device when the spares were made
    std::deque<int> m_spares;
    std::deque<int> m_dropped;  // spares of another folder, for the making thread to close
    bool m_failed = false;      // making failed for this folder and mode: the caller's own open says why
    bool m_stop = false;
    bool m_noThread = false;
    std::thread m_thread;
};

}  // namespace velmora
