// The modules mapped into this process, found by walking the dynamic linker's list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct ModuleImage {
    std::uintptr_t base = 0;  // where the image begins: the module's HMODULE
    std::string path;         // absolute POSIX path
};

ModuleImage mainProgram();
std::optional<ModuleImage> moduleAtBase(std::uintptr_t base);
std::optional<ModuleImage> moduleHolding(const void* address);
// By suite or POSIX path, or by file name alone compared ignoring case.
std::optional<ModuleImage> moduleNamed(std::string_view name);

}  // namespace velmora
