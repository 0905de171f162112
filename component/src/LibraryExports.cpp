// The work behind the entry points a component library exports.
#include "component/LibraryExports.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace velmora {

std::string modulePathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return {};
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : path.string();
}

HRESULT getClassObject(ClassTableAccessor table, const char16_t* clsid, ClassFactory** factory) noexcept {
    if (!factory) return hr::NullPointer;
    *factory = nullptr;
    if (!clsid) return hr::ClassNotAvailable;
    try {
        const CoClass* entry = table().findByClsid(clsid);
        if (!entry) return hr::ClassNotAvailable;
        *factory = makeClassFactory(*entry).detach();
        return hr::Ok;
    } catch (...) {
        return hr::Failed;
    }
}

const ClassTable* classTableOf(ClassTableAccessor table) noexcept {
    try {
        return &table();
    } catch (...) {
        return nullptr;
    }
}

// Registry writes come with the registration layer; until then the tables are only checked to build,
// and a library reports that it cannot register itself rather than pretending it did.
HRESULT registerClassTable(ClassTableAccessor table) noexcept {
    return classTableOf(table) ? hr::NotImplemented : hr::Failed;
}

HRESULT unregisterClassTable(ClassTableAccessor table) noexcept {
    return classTableOf(table) ? hr::NotImplemented : hr::Failed;
}

}  // namespace velmora
