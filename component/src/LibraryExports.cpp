// The work behind the entry points a component library exports.
#include "component/LibraryExports.h"

#include "component/registration.h"
#include "platform/library.h"

namespace velmora {

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

// The library file is the one holding the table's accessor, so a library registers itself wherever it lies.
HRESULT registerClassTable(ClassTableAccessor table) noexcept {
    try {
        const ClassTable* classes = classTableOf(table);
        if (!classes) return hr::Failed;
        return registerClasses(*classes, modulePathOf(reinterpret_cast<const void*>(table)),
                               ServerKind::InProcess);
    } catch (...) {
        return hr::RegisterClassFailed;
    }
}

HRESULT unregisterClassTable(ClassTableAccessor table) noexcept {
    try {
        const ClassTable* classes = classTableOf(table);
        if (!classes) return hr::Failed;
        return unregisterClasses(*classes, modulePathOf(reinterpret_cast<const void*>(table)),
                                 ServerKind::InProcess);
    } catch (...) {
        return hr::RegisterClassFailed;
    }
}

}  // namespace velmora
