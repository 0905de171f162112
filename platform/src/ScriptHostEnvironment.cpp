#include "platform/ScriptHostEnvironment.h"

#include <vector>

#include "platform/registryapi.h"

namespace velmora {
namespace {

// An open key of the scope, closed when it goes.
class ScopeKey {
  public:
    explicit ScopeKey(REGSAM access, bool create) {
        const LONG status = create
                                ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSystemEnvironmentKey, 0, nullptr,
                                                  REG_OPTION_NON_VOLATILE, access, nullptr, &m_key, nullptr)
                                : RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemEnvironmentKey, 0, access, &m_key);
        if (status != ERROR_SUCCESS) m_key = nullptr;
    }
    ~ScopeKey() {
        if (m_key) RegCloseKey(m_key);
    }
    ScopeKey(const ScopeKey&) = delete;
    ScopeKey& operator=(const ScopeKey&) = delete;

    HKEY get() const noexcept { return m_key; }

  private:
    HKEY m_key = nullptr;
};

}  // namespace

bool ScriptHostEnvironment::validName(std::string_view name) noexcept {
    return !name.empty() && name.find('=') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::optional<std::string> ScriptHostEnvironment::item(std::string_view name) const {
    if (!validName(name)) return std::nullopt;
    const ScopeKey key(KEY_QUERY_VALUE, false);
    if (!key.get()) return std::nullopt;
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data.data());  // up to the first NUL
}

bool ScriptHostEnvironment::setItem(std::string_view name, std::string_view value) {
    if (!validName(name)) return false;
    const ScopeKey key(KEY_SET_VALUE, true);
    if (!key.get()) return false;
    const std::string valueName(name);
    const std::string data(value.substr(0, value.find('\0')));
    const DWORD type = data.find('%') != std::string::npos ? REG_EXPAND_SZ : REG_SZ;
    return RegSetValueExA(key.get(), valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool ScriptHostEnvironment::remove(std::string_view name) {
    if (!validName(name)) return false;
    const ScopeKey key(KEY_SET_VALUE, false);
    if (!key.get()) return false;
    const std::string valueName(name);
    return RegDeleteValueA(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

}  // namespace velmora
