// Owning wrappers for the platform's handles: each closes its handle when it goes out of scope (or on
// reset), so no normal path needs a hand-written CloseHandle, FindClose, RegCloseKey or FreeLibrary.
// put() hands the address to a call that fills in a handle (RegOpenKeyExA(..., key.put())).
#pragma once

#include <utility>

#include "platform/files.h"
#include "platform/find.h"
#include "platform/handles.h"
#include "platform/library.h"
#include "platform/registryapi.h"

namespace velmora {

template <class Traits>
class Owned {
  public:
    using Handle = typename Traits::Handle;

    Owned() noexcept = default;
    explicit Owned(Handle handle) noexcept : m_handle(handle) {}
    Owned(Owned&& other) noexcept : m_handle(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return Traits::valid(m_handle); }
    // Gives up ownership without closing.
    Handle release() noexcept { return std::exchange(m_handle, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) noexcept {
        const Handle old = std::exchange(m_handle, handle);
        if (Traits::valid(old)) Traits::close(old);
    }
    Handle* put() noexcept {
        reset();
        return &m_handle;
    }

  private:
    Handle m_handle = Traits::invalid();
};

// Kernel objects from CreateFileA, CreateThread, CreateWaitableTimerA, ... (NULL and INVALID_HANDLE_VALUE
// both mean none: the creating calls report failure either way).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(Handle handle) noexcept { return handle && handle != INVALID_HANDLE_VALUE; }
    static void close(Handle handle) noexcept { CloseHandle(handle); }
};
// Searches from FindFirstFileA.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(Handle handle) noexcept { return handle != INVALID_HANDLE_VALUE; }
    static void close(Handle handle) noexcept { FindClose(handle); }
};
// Registry keys from RegOpenKeyExA and RegCreateKeyExA.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle invalid() noexcept { return nullptr; }
    static bool valid(Handle handle) noexcept { return handle != nullptr; }
    static void close(Handle handle) noexcept { RegCloseKey(handle); }
};
// Libraries from LoadLibraryA.
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle invalid() noexcept { return nullptr; }
    static bool valid(Handle handle) noexcept { return handle != nullptr; }
    static void close(Handle handle) noexcept { FreeLibrary(handle); }
};

using OwnedHandle = Owned<KernelHandleTraits>;
using OwnedFind = Owned<FindHandleTraits>;
using OwnedKey = Owned<RegistryKeyTraits>;
using OwnedLibrary = Owned<LibraryTraits>;

}  // namespace velmora
