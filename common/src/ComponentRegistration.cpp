#include "common/ComponentRegistration.h"

#include "platform/attributes.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace velmora {

namespace {

bool registeredToAFile(const SuiteClass& served) {
    const auto classId = classIdOfProgId(served.progId);
    if (!classId) return false;
    const auto path = serverPathOf(*classId, served.kind);
    return path && GetFileAttributesA(path->c_str()) != INVALID_FILE_ATTRIBUTES;
}

void registerFile(const std::string& path, ServerKind kind) {
    if (kind == ServerKind::LocalServer) {
        std::string native;
        if (suiteToNative(path, native)) runToEnd({native, "/regserver"});
        return;
    }
    const HMODULE library = LoadLibraryA(path.c_str());
    if (!library) return;
    using Entry = HRESULT (*)();
    if (const auto entry = reinterpret_cast<Entry>(GetProcAddress(library, "DllRegisterServer"))) entry();
    // The library stays loaded: creating its objects loads it again anyway.
}

}  // namespace

void registerComponentsBeside(const std::string& folder, std::span<const SuiteClass> classes) {
    std::string prefix = folder;
    if (!prefix.empty() && !isPathSeparator(prefix.back())) prefix += '\\';
    for (const SuiteClass& served : classes) {
        if (registeredToAFile(served)) continue;
        const std::string path = prefix + served.file;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) registerFile(path, served.kind);
    }
}

}  // namespace velmora
