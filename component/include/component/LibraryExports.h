// The entry points a component library exports, generated from its class table:
//
//   VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
//
// where makeClassTable() returns the library's ClassTable (see ClassTable.h). It defines
//   DllGetClassObject(clsid, &factory)  the class object of a class id (an owning pointer, released by the
//                                       caller), CLASS_E_CLASSNOTAVAILABLE for a class not in the table;
//   DllRegisterServer(), DllUnregisterServer()  registration of every class in the table;
//   DllGetClassTable()                  the table itself, for tools and the registration.
// The table lives in a function of internal linkage, so libraries that load each other never bind to
// one another's table.
#pragma once

#include <string>

#include "component/ClassFactory.h"
#include "component/ClassTable.h"
#include "component/hresult.h"
#include "runtime/exports.h"

namespace velmora {

// The library's table, built on first use; the address also identifies the library's file.
using ClassTableAccessor = const ClassTable& (*)();

// The work of the entry points. None of them throws: a table that fails to build (a declaration fault)
// gives E_FAIL, or nullptr for the table itself.
HRESULT getClassObject(ClassTableAccessor table, const char16_t* clsid, ClassFactory** factory) noexcept;
// Writes (or removes) the registry entries of every class in the table, for the library file that holds
// the table.
HRESULT registerClassTable(ClassTableAccessor table) noexcept;
HRESULT unregisterClassTable(ClassTableAccessor table) noexcept;
const ClassTable* classTableOf(ClassTableAccessor table) noexcept;

// A library whose registration also records something beyond its classes: extra(false) after the
// classes are registered, extra(true) before they are removed; a false answer fails the entry point.
using ExtraRegistration = bool (*)(bool unregister);
inline HRESULT withExtraRegistration(HRESULT result, std::nullptr_t, bool) noexcept {
    return result;
}
inline HRESULT withExtraRegistration(HRESULT result, ExtraRegistration extra, bool unregister) noexcept {
    if (result < 0) return result;
    try {
        return extra(unregister) ? result : hr::Failed;
    } catch (...) {
        return hr::Failed;
    }
}

}  // namespace velmora

#define VELMORA_EXPORT_CLASS_TABLE(makeTable) VELMORA_EXPORT_CLASS_TABLE_WITH(makeTable, nullptr)

#define VELMORA_EXPORT_CLASS_TABLE_WITH(makeTable, extraRegistration)                                       \
    namespace {                                                                                             \
    const ::velmora::ClassTable& velmoraLibraryClassTable() {                                               \
        static const ::velmora::ClassTable table = makeTable();                                             \
        return table;                                                                                       \
    }                                                                                                       \
    }                                                                                                       \
    extern "C" VELMORA_API HRESULT DllGetClassObject(const char16_t* clsid,                                 \
                                                     ::velmora::ClassFactory** factory) {                   \
        return ::velmora::getClassObject(&velmoraLibraryClassTable, clsid, factory);                        \
    }                                                                                                       \
    extern "C" VELMORA_API HRESULT DllRegisterServer() {                                                    \
        return ::velmora::withExtraRegistration(::velmora::registerClassTable(&velmoraLibraryClassTable),   \
                                                extraRegistration, false);                                  \
    }                                                                                                       \
    extern "C" VELMORA_API HRESULT DllUnregisterServer() {                                                  \
        return ::velmora::withExtraRegistration(::velmora::unregisterClassTable(&velmoraLibraryClassTable), \
                                                extraRegistration, true);                                   \
    }                                                                                                       \
    extern "C" VELMORA_API const ::velmora::ClassTable* DllGetClassTable() {                                \
        return ::velmora::classTableOf(&velmoraLibraryClassTable);                                          \
    }
