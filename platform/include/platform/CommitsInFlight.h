// Lets a run put several replacement files in place at once, so that their flushes share the file
// system's journal commits instead of waiting for one commit each. While an object of this class lives,
// ReplacementFile::commit() on any thread hands its whole commit (the contents' flush and the name on one
// worker thread, then the folder's flush) over and returns true at once; the caller learns each commit's
// outcome from finish(). The names given in one folder share its flushes: a flush that began before a
// name was given never counts for that name, the next one does. A folder is flushed once several names
// wait for it, or when finish() wants one of them, so one flush carries many names. A commit is done
// only once its folder's flush is. The destructor waits until every commit handed over is done, so once
// it returns everything is on disk or has failed and left nothing behind.
//
// A commit's place in line is its ticket: handedOver() before and after a call that commits tells the
// caller which tickets that call made.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32types.h"

namespace velmora {

class ReplacementFile;
class UnnamedFilesAhead;

class CommitsInFlight {
  public:
    using Ticket = std::uint64_t;

    // workers: how many commits may wait for the disk at once.
    explicit CommitsInFlight(std::size_t workers = 16);
    ~CommitsInFlight();
    CommitsInFlight(const CommitsInFlight&) = delete;
    CommitsInFlight& operator=(const CommitsInFlight&) = delete;

    // The object commits go to now, or none (then they happen on the caller's thread).
    static CommitsInFlight* active();

    // How many commits were handed over so far: the next commit's ticket.
    Ticket handedOver() const;
    // Waits for the commits with tickets in [first, end): ERROR_SUCCESS when all stand under their names,
    // else the first one's failure (the file errors of ReplacementFile::commit). In a hurry, their folders
    // are flushed now (and every name given meanwhile at once); otherwise the flushes come as names
    // gather, or when somebody is in a hurry.
    DWORD finish(Ticket first, Ticket end, bool hurry = true);

    // ReplacementFile's side: takes a file that is ready to commit.
    void hand(std::unique_ptr<ReplacementFile> file);
    // ReplacementFile's side: an unnamed file made ahead in `folder` with `mode`, or -1 (see
    // UnnamedFilesAhead).
    int takeUnnamed(const std::string& folder, unsigned mode);

  private:
    struct Pending {
        Ticket ticket;
        std::unique_ptr<ReplacementFile> file;
    };
    struct Named {
        Ticket ticket;
        std::uint64_t round;  // the first flush of its folder that counts for its name
    };
    struct FolderFlushes {
        std::uint64_t begun = 0;
        std::uint64_t done = 0;
        bool running = false;
        std::vector<Named> waiting;  // named, not flushed yet
    };

    void work();
    // One file's commit on the calling thread: its contents and name now, its folder's flush with others.
    void commit(Pending pending);
    // Records a named file; flushes its folder when enough names wait for it.
    void named(std::unique_lock<std::mutex>& lock, Ticket ticket, const std::string& folder);
    // Returns once the folder's flush `round` (or a later one) is done, with the lock held again; the
    // files it counts for are done.
    void flushFolder(std::unique_lock<std::mutex>& lock, std::string folder, std::uint64_t round);
    // Flushes every folder that names still wait for.
    void flushWaiting(std::unique_lock<std::mutex>& lock);

    const std::size_t m_workers;
    CommitsInFlight* m_previous;
    mutable std::mutex m_mutex;
    std::condition_variable m_work;     // a commit waits, or the object goes
    std::condition_variable m_done;     // a commit ended
    std::condition_variable m_flushed;  // a folder's flush ended
    std::map<std::string, FolderFlushes> m_folders;
    std::map<Ticket, std::string> m_unflushed;  // named files by ticket: the folder they wait for
    std::deque<Pending> m_queue;
    std::vector<DWORD> m_outcomes;  // by ticket; kPendingOutcome until done
    std::size_t m_idle = 0;
    std::size_t m_hurrying = 0;  // finish() calls in a hurry
    bool m_stop = false;
    std::vector<std::thread> m_threads;
    std::unique_ptr<UnnamedFilesAhead> m_unnamed;  // made with the first one asked for
};

}  // namespace velmora
