// Threads on std::thread, detached at once: the thread and its handle share one ThreadObject, so the
// handle can be closed early and the thread still ends cleanly.
#include "platform/thread.h"

#include "platform/systeminfo.h"
#include "platform/waitable.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

class ThreadObject : public velmora::WaitableObject {
  public:
    void run(LPTHREAD_START_ROUTINE start, LPVOID parameter) {
        announce(GetCurrentThreadId());
        DWORD code = ERROR_UNHANDLED_EXCEPTION;
        try {
            code = start(parameter);
        } catch (...) {
            // An exception must not cross the thread's edge: that would end the whole process.
        }
        finish(code);
    }

    DWORD waitForId() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_id != 0; });
        return m_id;
    }

    bool waitUntil(Deadline deadline) override {
        std::unique_lock lock(m_mutex);
        const auto ended = [&] { return m_ended; };
        if (!deadline) {
            m_changed.wait(lock, ended);
            return true;
        }
        return m_changed.wait_until(lock, *deadline, ended);
    }

    DWORD exitCode() {
        std::lock_guard lock(m_mutex);
        return m_ended ? m_exitCode : STILL_ACTIVE;
    }

  private:
    void announce(DWORD id) {
        std::lock_guard lock(m_mutex);
        m_id = id;
        m_changed.notify_all();
    }
    void finish(DWORD code) {
        std::lock_guard lock(m_mutex);
        m_exitCode = code;
        m_ended = true;
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    DWORD m_id = 0;
    DWORD m_exitCode = STILL_ACTIVE;
    bool m_ended = false;
};

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress || (dwCreationFlags & CREATE_SUSPENDED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    try {
        std::thread([thread, lpStartAddress, lpParameter] {
            thread->run(lpStartAddress, lpParameter);
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const DWORD id = thread->waitForId();
    if (lpThreadId) *lpThreadId = id;
    return velmora::insertHandle(std::move(thread));
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    const auto thread = velmora::findHandleOf<ThreadObject>(hThread);
    if (!thread) return FALSE;
    if (!lpExitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpExitCode = thread->exitCode();
    return TRUE;
}
