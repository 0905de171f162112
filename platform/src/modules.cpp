#include "modules.h"

#include "platform/paths.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace velmora {

namespace {

namespace fs = std::filesystem;

// The lowest page of the module's loaded segments: where its image begins, the same address dladdr
// reports as dli_fbase.
std::uintptr_t imageBase(const dl_phdr_info& info) {
    const auto pageMask = ~(static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE)) - 1);
    std::uintptr_t lowest = UINTPTR_MAX;
    for (int i = 0; i < info.dlpi_phnum; ++i)
        if (info.dlpi_phdr[i].p_type == PT_LOAD)
            lowest = std::min<std::uintptr_t>(lowest, info.dlpi_phdr[i].p_vaddr & pageMask);
    return lowest == UINTPTR_MAX ? 0 : info.dlpi_addr + lowest;
}

std::string programPath() {
    std::error_code ec;
    const auto path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

// Every module; the first is the program itself, which the linker lists without a name.
std::vector<ModuleImage> loadedModules() {
    std::vector<ModuleImage> modules;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out) {
            auto& list = *static_cast<std::vector<ModuleImage>*>(out);
            const bool program = list.empty();
            std::error_code ec;
            std::string path = program ? programPath() : info->dlpi_name ? info->dlpi_name : "";
            if (!path.empty() && path.front() != '/') path = fs::absolute(path, ec).string();
            list.push_back({imageBase(*info), std::move(path)});
            return 0;
        },
        &modules);
    return modules;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    const auto result = fs::weakly_canonical(path, ec);
    return ec ? path : result.string();
}

}  // namespace

ModuleImage mainProgram() {
    return loadedModules().front();
}

std::optional<ModuleImage> moduleAtBase(std::uintptr_t base) {
    for (auto& module : loadedModules())
        if (module.base == base) return module;
    return std::nullopt;
}

std::optional<ModuleImage> moduleHolding(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fbase) return std::nullopt;
    return moduleAtBase(reinterpret_cast<std::uintptr_t>(info.dli_fbase));
}

std::optional<ModuleImage> moduleNamed(std::string_view name) {
    const bool hasFolder = std::any_of(name.begin(), name.end(), [](char c) { return isPathSeparator(c); });
    const std::string wanted = hasFolder ? canonical(toNativePath(name)) : std::string(name);
    for (auto& module : loadedModules()) {
        if (module.path.empty()) continue;
        if (hasFolder ? canonical(module.path) == wanted
                      : sameIgnoringCase(fs::path(module.path).filename().string(), wanted))
            return module;
    }
    return std::nullopt;
}

}  // namespace velmora
