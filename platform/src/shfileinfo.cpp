// SHGetFileInfoA for type names: our registry's registration, then the shared MIME database.
#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/attributes.h"
#include "platform/registryapi.h"
#include "platform/shell.h"
#include "resolve.h"
#include "runtime/ascii.h"
#include "shellgio.h"

namespace velmora {
namespace {

std::optional<std::string> classesDefault(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !buffer[0])
        return std::nullopt;
    return std::string(buffer);
}

// The last name of a path, either separator.
std::string lastComponent(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// ".ext" of the last name, or empty.
std::string extensionOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot + 1 == name.size() ? std::string() : name.substr(dot);
}

std::string typeNameOf(const std::string& path, bool isFolder) {
    const std::string name = lastComponent(path);
    const std::string ext = isFolder ? std::string() : extensionOf(name);
    if (!ext.empty()) {
        if (auto type = classesDefault(ext)) {
            if (auto friendly = classesDefault(*type)) return *friendly;
        }
    }
    std::string described = gio::typeDescription(name, isFolder);
    if (!described.empty()) return described;
    if (isFolder) return "File Folder";
    if (ext.empty()) return "File";
    return upperAscii(ext.substr(1)) + " File";
}

void copyCut(char* target, std::size_t size, const std::string& text) {
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

}  // namespace
}  // namespace velmora

DWORD_PTR SHGetFileInfoA(LPCSTR pszPath, DWORD dwFileAttributes, SHFILEINFOA* psfi, UINT cbFileInfo,
                         UINT uFlags) {
    using namespace velmora;
    if (!pszPath || !psfi || cbFileInfo < sizeof(SHFILEINFOA)) return 0;
    if (uFlags & ~(SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME)) return 0;
    bool isFolder = (dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!(uFlags & SHGFI_USEFILEATTRIBUTES)) {
        std::string native;
        struct stat st {};
        if (!resolveSuitePath(pszPath, native) || ::stat(native.c_str(), &st) != 0) return 0;
        isFolder = S_ISDIR(st.st_mode);
    }
    *psfi = SHFILEINFOA{};
    if (uFlags & SHGFI_TYPENAME)
        copyCut(psfi->szTypeName, sizeof psfi->szTypeName, typeNameOf(pszPath, isFolder));
    if (uFlags & SHGFI_DISPLAYNAME)
        copyCut(psfi->szDisplayName, sizeof psfi->szDisplayName, lastComponent(pszPath));
    return 1;
}
