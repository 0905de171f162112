// Class registrations in the platform registry, as the component system keeps them:
//   HKCR\<ProgID>                          (default) = the class name
//   HKCR\<ProgID>\CLSID                    (default) = {class id}
//   HKCR\CLSID\{class id}                  (default) = the class name
//   HKCR\CLSID\{class id}\ProgID           (default) = <ProgID>
//   HKCR\CLSID\{class id}\InprocServer32   (default) = the library's path, ThreadingModel = Apartment
//   HKCR\CLSID\{class id}\LocalServer32    (default) = the server program's path
// Paths are stored as suite drive paths (Z:\...).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "component/ClassTable.h"
#include "component/hresult.h"

namespace velmora {

enum class ServerKind { InProcess, LocalServer };

// Registers every class of the table as served by the file at serverPath (a suite or POSIX path).
// SELFREG_E_CLASS when a registry write fails.
HRESULT registerClasses(const ClassTable& table, std::string_view serverPath, ServerKind kind);
// Removes the registrations of the table's classes that still name serverPath; a class registered since
// by another file keeps that registration. Classes that are not registered are no failure.
HRESULT unregisterClasses(const ClassTable& table, std::string_view serverPath, ServerKind kind);

// Lookups used by creation. Nothing when the entry is missing.
std::optional<std::string> classIdOfProgId(std::u16string_view progId);
std::optional<std::string> serverPathOf(std::string_view classId, ServerKind kind);

}  // namespace velmora
