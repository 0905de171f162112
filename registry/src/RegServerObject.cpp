#include "registry/RegServerObject.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "filesearch.h"
#include "platform/library.h"
#include "platform/owned.h"
#include "platform/thread.h"
#include "platform/waitable.h"
#include "runtime/text.h"

namespace velmora {

namespace {

constexpr DWORD kEntryPointWaitMs = 10000;

using RegistrationEntry = HRESULT (*)();

// The thread's start routine: the entry point travels as the thread's argument.
DWORD runEntryPoint(LPVOID entry) {
    return static_cast<DWORD>(reinterpret_cast<RegistrationEntry>(entry)());
}

// An entry point that threw reports ERROR_UNHANDLED_EXCEPTION through the thread, no HRESULT of its own.
bool succeeded(DWORD exitCode) {
    return static_cast<HRESULT>(exitCode) >= 0 && exitCode != ERROR_UNHANDLED_EXCEPTION;
}

// The file the search found: a bare name is in the current folder, where a library search would not look.
std::string libraryPathOf(const std::u16string& fileName) {
    const std::string path = toUtf8(fileName);
    return path.find_first_of("\\/:") == std::string::npos ? ".\\" + path : path;
}

// Libraries this process registered stay loaded until it unregisters them: their objects are created
// right after registration (the plug-in collection does so), and unloading them in between would repeat
// the whole load and symbol binding. Registration changes the registry, whatever stays loaded.
class KeptLibraries {
  public:
    void keep(OwnedLibrary& library) {
        const std::lock_guard lock(m_mutex);
        if (std::find(m_kept.begin(), m_kept.end(), library.get()) == m_kept.end())
            m_kept.push_back(library.release());
    }
    void letGo(HMODULE library) {
        const std::lock_guard lock(m_mutex);
        const auto kept = std::find(m_kept.begin(), m_kept.end(), library);
        if (kept == m_kept.end()) return;
        m_kept.erase(kept);
        FreeLibrary(library);
    }

  private:
    std::mutex m_mutex;
    std::vector<HMODULE> m_kept;
};

KeptLibraries& keptLibraries() {
    static KeptLibraries* libraries = new KeptLibraries;  // loaded to the end, as at exit anyway
    return *libraries;
}

}  // namespace

const ClassInfo& RegServerObject::describe() {
    static const ClassInfo info =
        ClassBuilder<RegServerObject>(u"RegServerObject")
            .method(u"RegSvr32", &RegServerObject::RegSvr32, {u"FileName", u"bUnReg"})
            .build();
    return info;
}

bool RegServerObject::RegSvr32(std::u16string FileName, bool& bUnReg) {
    if (!fileFound(FileName)) return false;
    OwnedLibrary library(LoadLibraryA(libraryPathOf(FileName).c_str()));
    if (!library) return false;
    const FARPROC entry = GetProcAddress(library.get(), bUnReg ? "DllUnregisterServer" : "DllRegisterServer");
    if (!entry) return false;
    const OwnedHandle thread(
        CreateThread(nullptr, 0, runEntryPoint, reinterpret_cast<LPVOID>(entry), 0, nullptr));
    if (!thread) return false;
    if (WaitForSingleObject(thread.get(), kEntryPointWaitMs) != WAIT_OBJECT_0) {
        // Still running: give up waiting and report failure, but leave the library loaded and the thread
        // to finish, since unloading code that still runs would crash the process.
        library.release();
        return false;
    }
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeThread(thread.get(), &exitCode);
    // The entry point's own status counts: a registration that failed is no success.
    const bool done = succeeded(exitCode);
    if (bUnReg)
        keptLibraries().letGo(library.get());
    else if (done)
        keptLibraries().keep(library);
    return done;
}

}  // namespace velmora
