// The files of a folder run whose results are still being put in place while the next file is worked on,
// so that their flushes share the disk's journal commits. What is left of each file once its result's
// commit is known (its old name goes, or the failure is said) is done in the order the files came: before
// anything else is said (settle()), when too many wait, and before the run ends. The part of it that says
// nothing (removing the old name) may run ahead on a thread of its own, in the same order, while the
// caller works on the next file.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/CommitsInFlight.h"

namespace velmora {

class FilesInFlight {
  public:
    using Ticket = CommitsInFlight::Ticket;
    // A file's last step, given ERROR_SUCCESS when its result stands or its commit's failure.
    using Finish = std::function<void(DWORD commitOutcome)>;
    // The silent part of a file's last step, given the commit's outcome; what it returns goes to the
    // file's FinishAfter. It may run on another thread than the caller's: it must not say anything.
    using Behind = std::function<int(DWORD commitOutcome)>;
    using FinishAfter = std::function<void(DWORD commitOutcome, int behind)>;

    // depth: how many files may wait for their commits.
    explicit FilesInFlight(std::size_t depth = 32);
    // Waits for every commit; a file not settled by then keeps its old name beside its result.
    ~FilesInFlight();
    FilesInFlight(const FilesInFlight&) = delete;
    FilesInFlight& operator=(const FilesInFlight&) = delete;

    // Taken before a file's method call: the commits after it are that file's.
    Ticket mark() const { return m_commits.handedOver(); }
    // The file whose method call began at `since` has returned; finish runs once its commits are done.
    void add(Ticket since, Finish finish);
    // The same, with behind run first, on the files' own thread, as soon as the file's commits are done.
    void add(Ticket since, Behind behind, FinishAfter finish);
    // Finishes every file, oldest first. A file's own finish saying something settles nothing more.
    void settle();

  private:
    struct File {
        Ticket first = 0;
        Ticket end = 0;
        Behind behind;
        FinishAfter finish;
        bool ahead = false;  // completed on the files' own thread
        bool done = false;   // its commits and its behind part are done
        DWORD outcome = ERROR_SUCCESS;
        int behindResult = 0;
        std::exception_ptr failure;
    };
    void finishOldest();
    // The commits' outcome (waited for in a hurry or not) and the behind part.
    void complete(File& file, bool hurry);
    void runBehind(File& file);
    void runAhead();

    CommitsInFlight m_commits;
    const std::size_t m_depth;
    std::deque<std::shared_ptr<File>> m_files;  // not finished yet, oldest first
    bool m_finishing = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<File>> m_ahead;  // added, not completed yet, oldest first
    bool m_stop = false;
    std::thread m_thread;     // completes files ahead of the caller
    bool m_noThread = false;  // none could be had: the caller completes each file in its turn
};

}  // namespace velmora
