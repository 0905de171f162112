// Wipes started ahead of their turn on a few worker threads. A flush waits for the device; while one file
// waits, others are written, so that the flushes of many small files share the device's commits instead of
// paying one each. Every file's own calls stay in their order on one worker; the pool only overlaps files.
// What a wipe reported (its Progress values, a refused open, the error it raised) is kept, and handed over
// by `finish` on the caller's thread, in whatever order the caller asks for the files.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "files/FileWiper.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API WipePool {
  public:
    // The wipe itself, run on a worker with callbacks that record what it reports.
    using Wipe = std::function<void(const FileWiper::Callbacks&)>;

    struct Outcome {
        std::vector<std::int16_t> progress;  // every Progress value, in the order raised
        bool openRefused = false;
        std::exception_ptr error;  // what the wipe raised, if anything
    };

    // Enough flushes in flight to share the device's commits; more add threads, not speed.
    static constexpr unsigned kWorkers = 8;

    explicit WipePool(unsigned workers = kWorkers);
    // Waits for every wipe under way: none is cut short. One not yet begun is dropped, its file untouched.
    ~WipePool();
    WipePool(const WipePool&) = delete;
    WipePool& operator=(const WipePool&) = delete;

    void start(const std::string& path, Wipe wipe);
    // Whether a wipe of that path was started and not yet finished.
    bool holds(const std::string& path) const;
    // Waits for the first wipe started on that path, calling `wait` now and then meanwhile (the caller's
    // yield), and hands over its outcome. Nothing for a path not started.
    Outcome finish(const std::string& path, const std::function<void()>& wait);

  private:
    struct Job {
        std::string path;
        Wipe wipe;
        Outcome outcome;
        bool running = false;
        bool done = false;
    };
    void work();

    const unsigned m_workers;
    mutable std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::list<Job> m_jobs;  // in the order started; a job leaves when its outcome is handed over
    std::vector<std::thread> m_threads;
    bool m_stopping = false;
};

}  // namespace velmora
