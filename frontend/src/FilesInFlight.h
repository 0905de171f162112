// The files of a folder run whose results are still being put in place while the next file is worked on,
// so that their flushes share the disk's journal commits. What is left of each file once its result's
// commit is known (its old name goes, or the failure is said) is done in the order the files came: before
// anything else is said (settle()), when too many wait, and before the run ends.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>

#include "platform/CommitsInFlight.h"

namespace velmora {

class FilesInFlight {
  public:
    using Ticket = CommitsInFlight::Ticket;
    // A file's last step, given ERROR_SUCCESS when its result stands or its commit's failure.
    using Finish = std::function<void(DWORD commitOutcome)>;

    // depth: how many files may wait for their commits.
    explicit FilesInFlight(std::size_t depth = 32);
    // Waits for every commit; a file not settled by then keeps its old name beside its result.
    ~FilesInFlight() = default;
    FilesInFlight(const FilesInFlight&) = delete;
    FilesInFlight& operator=(const FilesInFlight&) = delete;

    // Taken before a file's method call: the commits after it are that file's.
    Ticket mark() const { return m_commits.handedOver(); }
    // The file whose method call began at `since` has returned; finish runs once its commits are done.
    void add(Ticket since, Finish finish);
    // Finishes every file, oldest first. A file's own finish saying something settles nothing more.
    void settle();

  private:
    struct File {
        Ticket first;
        Ticket end;
        Finish finish;
    };
    void finishOldest();

    CommitsInFlight m_commits;
    const std::size_t m_depth;
    std::deque<File> m_files;
    bool m_finishing = false;
};

}  // namespace velmora
