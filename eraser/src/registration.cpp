#include "registration.h"

#include "component/registration.h"
#include "platform/attributes.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace velmora {

namespace {

struct Deliverable {
    const char16_t* progId;
    const char* file;
    ServerKind kind;
};

// One class per deliverable is enough: each registers all of its classes at once.
constexpr Deliverable kDeliverables[] = {
    {u"Diskware.FileObject", "Diskware.dll", ServerKind::InProcess},
    {u"Guidepost.HelpTopics", "Guidepost.dll", ServerKind::InProcess},
    {u"Gaugebox.ProgressObject", "Gaugebox.exe", ServerKind::LocalServer},
    {u"Tracebook.LogObject", "Tracebook.exe", ServerKind::LocalServer},
};

bool registeredToAFile(const Deliverable& deliverable) {
    const auto classId = classIdOfProgId(deliverable.progId);
    if (!classId) return false;
    const auto path = serverPathOf(*classId, deliverable.kind);
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

void registerComponentsBeside(const std::string& folder) {
    std::string prefix = folder;
    if (!prefix.empty() && !isPathSeparator(prefix.back())) prefix += '\\';
    for (const Deliverable& deliverable : kDeliverables) {
        if (registeredToAFile(deliverable)) continue;
        const std::string path = prefix + deliverable.file;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) registerFile(path, deliverable.kind);
    }
}

}  // namespace velmora
