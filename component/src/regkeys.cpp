// Registry helpers for class registrations.
#include "regkeys.h"

#include <vector>

namespace velmora::regkeys {

namespace {

// Closes an opened key on every path out.
class KeyHandle {
  public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (m_key) RegCloseKey(m_key);
    }
    HKEY* out() noexcept { return &m_key; }
    HKEY get() const noexcept { return m_key; }

  private:
    HKEY m_key = nullptr;
};

}  // namespace

LONG writeText(HKEY root, const std::string& path, const std::string& name, std::string_view text) {
    KeyHandle key;
    LONG status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                  key.out(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    std::string data(text);  // stored with its terminating NUL, as REG_SZ data is
    return RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

std::optional<std::string> readText(HKEY root, const std::string& path, const std::string& name) {
    KeyHandle key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

LONG deleteKey(HKEY root, const std::string& path) {
    LONG status = RegDeleteKeyA(root, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace velmora::regkeys
