// Environment variables. Our calls serialise on one lock, because setenv may move the strings getenv
// handed out; values are copied out while the lock is held.
#include "platform/systeminfo.h"
#include "textout.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

extern char** environ;

namespace {

std::mutex& environmentLock() {
    static std::mutex lock;
    return lock;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The value of `name`: exact match first, then the first entry whose name differs only in case.
std::optional<std::string> lookUp(std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string_view::npos && sameIgnoringCase(text.substr(0, equals), name))
            return std::string(text.substr(equals + 1));
    }
    return std::nullopt;
}

std::string expand(std::string_view source) {
    std::string result;
    std::size_t pos = 0;
    while (pos < source.size()) {
        const auto open = source.find('%', pos);
        const auto close = open == std::string_view::npos ? open : source.find('%', open + 1);
        if (close == std::string_view::npos) break;
        result.append(source.substr(pos, open - pos));
        const auto value = lookUp(source.substr(open + 1, close - open - 1));
        if (value) {
            result.append(*value);
            pos = close + 1;
        } else {
            // Unset: keep the text, and let the closing '%' open the next name, as the original does.
            result.append(source.substr(open, close - open));
            pos = close;
        }
    }
    result.append(source.substr(std::min(pos, source.size())));
    return result;
}

}  // namespace

DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (!lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(environmentLock());
    const auto value = lookUp(lpName);
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    if (value->empty()) SetLastError(ERROR_SUCCESS);  // tells an empty value from a missing one
    return velmora::copyOut(*value, lpBuffer, nSize);
}

BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
    if (!lpName || !*lpName || std::strchr(lpName, '=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(environmentLock());
    if (!lpValue) {
        if (!std::getenv(lpName)) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return FALSE;
        }
        unsetenv(lpName);
        return TRUE;
    }
    if (setenv(lpName, lpValue, 1) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
    if (!lpSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string expanded;
    {
        std::lock_guard lock(environmentLock());
        expanded = expand(lpSrc);
    }
    const DWORD written = velmora::copyOut(expanded, lpDst, nSize);
    return written == expanded.size() ? written + 1 : written;
}
