// LoadLibraryA and its kin over dlopen. HMODULE is the image base; the dlopen handles behind the loads
// this process counted are kept here, so FreeLibrary releases exactly what was taken.
#include "platform/library.h"

#include "modules.h"
#include "platform/paths.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unordered_map>

namespace {

namespace fs = std::filesystem;

HMODULE asModule(std::uintptr_t base) {
    return reinterpret_cast<HMODULE>(base);
}
std::uintptr_t baseOf(HMODULE module) {
    return reinterpret_cast<std::uintptr_t>(module);
}

template <class T>
T failWith(DWORD code, T result) {
    SetLastError(code);
    return result;
}

// The loads this process counted, by image base: the dlopen handle and how often it was taken.
class LoadTable {
  public:
    void add(std::uintptr_t base, void* handle) {
        std::lock_guard lock(m_mutex);
        auto& entry = m_loads[base];
        entry.handle = handle;
        ++entry.count;
    }
    // The handle to close for one release, or nullptr when nothing was counted for this base.
    void* release(std::uintptr_t base) {
        std::lock_guard lock(m_mutex);
        auto it = m_loads.find(base);
        if (it == m_loads.end()) return nullptr;
        void* handle = it->second.handle;
        if (--it->second.count == 0) m_loads.erase(it);
        return handle;
    }

  private:
    struct Entry {
        void* handle = nullptr;
        int count = 0;
    };
    std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, Entry> m_loads;
};

LoadTable& loads() {
    static LoadTable table;
    return table;
}

std::uintptr_t imageBaseOf(void* handle) {
    link_map* map = nullptr;
    Dl_info info{};
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !dladdr(map->l_ld, &info)) return 0;
    return reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

// The file to load: a path as given, or a bare name found beside the program. Empty for a bare name
// that is not there: the dynamic linker then searches its own path.
std::string locate(std::string_view name) {
    const bool hasFolder =
        std::any_of(name.begin(), name.end(), [](char c) { return velmora::isPathSeparator(c); });
    if (hasFolder || name.find(':') != std::string_view::npos) return velmora::toNativePath(name);
    const auto besideProgram = fs::path(velmora::mainProgram().path).parent_path() / name;
    std::error_code ec;
    return fs::is_regular_file(besideProgram, ec) ? besideProgram.string() : std::string();
}

constexpr unsigned char kOwnClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
#if defined(__x86_64__)
constexpr ElfW(Half) kOwnMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr ElfW(Half) kOwnMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr ElfW(Half) kOwnMachine = EM_386;
#else
constexpr ElfW(Half) kOwnMachine = EM_NONE;  // not checked
#endif

// ERROR_SUCCESS when the file looks like a shared library of this machine, else the Win32 status.
DWORD checkImage(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return ERROR_MOD_NOT_FOUND;
    ElfW(Ehdr) header{};
    std::ifstream file(path, std::ios::binary);
    if (!file) return ERROR_ACCESS_DENIED;
    if (!file.read(reinterpret_cast<char*>(&header), sizeof header)) return ERROR_BAD_EXE_FORMAT;
    const bool library = std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
                         header.e_ident[EI_CLASS] == kOwnClass && header.e_type == ET_DYN &&
                         (kOwnMachine == EM_NONE || header.e_machine == kOwnMachine);
    return library ? ERROR_SUCCESS : ERROR_BAD_EXE_FORMAT;
}

DWORD loadFailure() {
    const char* message = dlerror();
    return message && std::strstr(message, "undefined symbol") ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
}

// A dlopen handle for looking into a module without counting a load; closed by the caller.
void* peek(const velmora::ModuleImage& module) {
    if (module.base == velmora::mainProgram().base) return dlopen(nullptr, RTLD_LAZY);
    return dlopen(module.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) return failWith(ERROR_INVALID_PARAMETER, HMODULE{});
    std::string path = locate(lpLibFileName);
    if (path.empty() && std::strpbrk(lpLibFileName, "\\/:")) return failWith(ERROR_MOD_NOT_FOUND, HMODULE{});
    if (!path.empty()) {
        if (const DWORD status = checkImage(path)) return failWith(status, HMODULE{});
    } else {
        path = lpLibFileName;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return failWith(loadFailure(), HMODULE{});
    const std::uintptr_t base = imageBaseOf(handle);
    if (!base) {
        dlclose(handle);
        return failWith(ERROR_MOD_NOT_FOUND, HMODULE{});
    }
    loads().add(base, handle);
    return asModule(base);
}

BOOL FreeLibrary(HMODULE hLibModule) {
    void* handle = loads().release(baseOf(hLibModule));
    if (!handle) return failWith(ERROR_INVALID_HANDLE, FALSE);
    dlclose(handle);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    // Names only: a "name" below 64 KiB is an ordinal on the original.
    if (reinterpret_cast<std::uintptr_t>(lpProcName) < 0x10000)
        return failWith(ERROR_PROC_NOT_FOUND, FARPROC{});
    const auto module = hModule ? velmora::moduleAtBase(baseOf(hModule)) : velmora::mainProgram();
    if (!module) return failWith(ERROR_MOD_NOT_FOUND, FARPROC{});
    void* handle = peek(*module);
    if (!handle) return failWith(ERROR_MOD_NOT_FOUND, FARPROC{});
    void* symbol = dlsym(handle, lpProcName);
    dlclose(handle);  // the module stays loaded by whoever loaded it
    // dlsym also searches the module's dependencies; the original looks at the module's own exports only.
    const auto owner = velmora::moduleHolding(symbol);
    if (!symbol || !owner || owner->base != module->base) return failWith(ERROR_PROC_NOT_FOUND, FARPROC{});
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, lpModuleName, &module);
    return module;
}

BOOL GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
    constexpr DWORD kPinOrUnchanged =
        GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!phModule || (dwFlags & kPinOrUnchanged) == kPinOrUnchanged)
        return failWith(ERROR_INVALID_PARAMETER, FALSE);
    *phModule = nullptr;
    const auto module = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)
                            ? velmora::moduleHolding(lpModuleName)
                        : lpModuleName ? velmora::moduleNamed(lpModuleName)
                                       : velmora::mainProgram();
    if (!module) return failWith(ERROR_MOD_NOT_FOUND, FALSE);
    const bool isProgram = module->base == velmora::mainProgram().base;
    if (!isProgram && (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN)) {
        dlopen(module->path.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);  // the handle is never closed
    } else if (!isProgram && !(dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) {
        void* handle = dlopen(module->path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (!handle) return failWith(ERROR_MOD_NOT_FOUND, FALSE);
        loads().add(module->base, handle);
    }
    *phModule = asModule(module->base);
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (!lpFilename && nSize) return failWith(ERROR_INVALID_PARAMETER, DWORD{0});
    const auto module = hModule ? velmora::moduleAtBase(baseOf(hModule)) : velmora::mainProgram();
    if (!module || module->path.empty()) return failWith(ERROR_MOD_NOT_FOUND, DWORD{0});
    const std::string path = velmora::toSuitePath(module->path);
    if (nSize == 0) return failWith(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    return failWith(ERROR_INSUFFICIENT_BUFFER, nSize);
}

namespace velmora {

std::string modulePathOf(const void* address) {
    const auto module = moduleHolding(address);
    return module && !module->path.empty() ? toSuitePath(module->path) : std::string();
}

}  // namespace velmora
