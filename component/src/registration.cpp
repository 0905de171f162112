// Writing and removing class registrations.
#include "component/registration.h"

#include "platform/paths.h"
#include "regkeys.h"
#include "runtime/text.h"

namespace velmora {

namespace {

const char* serverKey(ServerKind kind) {
    return kind == ServerKind::InProcess ? "InprocServer32" : "LocalServer32";
}

// Registry paths hold suite paths; a POSIX path given by a caller is converted.
std::string storedPath(std::string_view path) {
    return !path.empty() && path[0] == '/' ? toSuitePath(path) : std::string(path);
}

bool samePath(std::string_view a, std::string_view b) {
    return toNativePath(a) == toNativePath(b);
}

bool registerOne(const CoClass& entry, const std::string& server, ServerKind kind) {
    const std::string progId = toUtf8(entry.progId);
    const std::string clsid = toUtf8(entry.clsid);
    const std::string className = toUtf8(entry.describe().name());
    const std::string classKey = "CLSID\\" + clsid;
    return regkeys::writeText(HKEY_CLASSES_ROOT, progId, "", className) == ERROR_SUCCESS &&
           regkeys::writeText(HKEY_CLASSES_ROOT, progId + "\\CLSID", "", clsid) == ERROR_SUCCESS &&
           regkeys::writeText(HKEY_CLASSES_ROOT, classKey, "", className) == ERROR_SUCCESS &&
           regkeys::writeText(HKEY_CLASSES_ROOT, classKey + "\\ProgID", "", progId) == ERROR_SUCCESS &&
           regkeys::writeText(HKEY_CLASSES_ROOT, classKey + "\\" + serverKey(kind), "", server) ==
               ERROR_SUCCESS &&
           (kind != ServerKind::InProcess ||
            regkeys::writeText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel",
                               "Apartment") == ERROR_SUCCESS);
}

bool unregisterOne(const CoClass& entry, const std::string& server, ServerKind kind) {
    const std::string progId = toUtf8(entry.progId);
    const std::string clsid = toUtf8(entry.clsid);
    const std::string classKey = "CLSID\\" + clsid;
    const std::string serverPath = classKey + "\\" + serverKey(kind);
    if (auto registered = regkeys::readText(HKEY_CLASSES_ROOT, serverPath);
        registered && !samePath(*registered, server))
        return true;  // another file serves the class now: its registration stays
    bool ok = regkeys::deleteKey(HKEY_CLASSES_ROOT, serverPath) == ERROR_SUCCESS &&
              regkeys::deleteKey(HKEY_CLASSES_ROOT, classKey + "\\ProgID") == ERROR_SUCCESS;
    // The class key goes only when no other kind of server is registered below it.
    regkeys::deleteKey(HKEY_CLASSES_ROOT, classKey);
    if (regkeys::readText(HKEY_CLASSES_ROOT, progId + "\\CLSID") == clsid) {
        ok = regkeys::deleteKey(HKEY_CLASSES_ROOT, progId + "\\CLSID") == ERROR_SUCCESS && ok;
        regkeys::deleteKey(HKEY_CLASSES_ROOT, progId);
    }
    return ok;
}

}  // namespace

HRESULT registerClasses(const ClassTable& table, std::string_view serverPath, ServerKind kind) {
    const std::string server = storedPath(serverPath);
    for (const CoClass& entry : table.classes())
        if (!registerOne(entry, server, kind)) return hr::RegisterClassFailed;
    return hr::Ok;
}

HRESULT unregisterClasses(const ClassTable& table, std::string_view serverPath, ServerKind kind) {
    const std::string server = storedPath(serverPath);
    bool ok = true;
    for (const CoClass& entry : table.classes()) ok = unregisterOne(entry, server, kind) && ok;
    return ok ? hr::Ok : hr::RegisterClassFailed;
}

std::optional<std::string> classIdOfProgId(std::u16string_view progId) {
    if (progId.empty()) return std::nullopt;
    return regkeys::readText(HKEY_CLASSES_ROOT, toUtf8(progId) + "\\CLSID");
}

std::optional<std::string> serverPathOf(std::string_view classId, ServerKind kind) {
    return regkeys::readText(HKEY_CLASSES_ROOT, "CLSID\\" + std::string(classId) + "\\" + serverKey(kind));
}

}  // namespace velmora
