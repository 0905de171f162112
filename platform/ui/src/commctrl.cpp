#include "ui/commctrl.h"

#include <strings.h>
#include <QPointer>

#include <cstring>
#include <unordered_map>

#include "UiState.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"
#include "ui/timers.h"

namespace {

// What InitCommonControlsEx registered in this process.
DWORD g_registered = 0;

// The windows CreateWindowExA made; only those may be destroyed through DestroyWindow.
std::unordered_map<HWND, QPointer<QWidget>>& createdWindows() {
    static std::unordered_map<HWND, QPointer<QWidget>> windows;
    return windows;
}

bool sameClass(LPCSTR name, const char* className) {
    return name && reinterpret_cast<std::uintptr_t>(name) >= 0x10000 && strcasecmp(name, className) == 0;
}

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    g_registered |= picce->dwICC;
    return TRUE;
}

HWND CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR, DWORD dwStyle, int, int, int, int, HWND hWndParent,
                     HMENU, HINSTANCE, LPVOID) {
    if (!sameClass(lpClassName, TOOLTIPS_CLASSA) || !(g_registered & (ICC_TAB_CLASSES | ICC_BAR_CLASSES))) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return 0;
    }
    if (!velmora::uiState()) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return 0;
    }
    QWidget* owner = velmora::widgetOf(hWndParent);
    if (hWndParent && !owner) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto* control = new velmora::ToolTipControl(dwStyle, owner);
    const HWND handle = velmora::handleOf(control);
    auto& created = createdWindows();
    std::erase_if(created, [](const auto& entry) { return entry.second.isNull(); });
    created.emplace(handle, control);
    return handle;
}

BOOL DestroyWindow(HWND hWnd) {
    QWidget* widget = velmora::widgetOf(hWnd);
    if (!widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto& created = createdWindows();
    const auto found = created.find(hWnd);
    if (found == created.end() || found->second != widget) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    created.erase(found);
    delete widget;
    return TRUE;
}
