#include "Placement.h"

#include <algorithm>

#include "SharedSettings.h"
#include "ui/commdlg.h"
#include "ui/messages.h"
#include "ui/windowtree.h"

namespace velmora {
namespace {

std::int32_t widthOf(const RECT& r) {
    return r.right - r.left;
}
std::int32_t heightOf(const RECT& r) {
    return r.bottom - r.top;
}

// Moves a dialog by the thread's settings; false when there is nothing to do.
bool place(HWND dialog) {
    const SharedSettings& settings = sharedSettings();
    if (settings.position == MM_NONE) return false;
    RECT bounds{};
    if (!GetWindowRect(dialog, &bounds)) return false;
    PlacementInput input;
    input.position = settings.position;
    input.shift = settings.shift;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &input.workArea, 0);
    if (!GetWindowRect(static_cast<HWND>(settings.owner), &input.owner)) input.owner = RECT{};
    input.width = widthOf(bounds);
    input.height = heightOf(bounds);
    GetCursorPos(&input.pointer);
    const POINT at = placeDialog(input);
    SetWindowPos(dialog, HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
    return true;
}

}  // namespace

POINT placeDialog(const PlacementInput& in) {
    const RECT& work = in.workArea;
    const RECT& owner = in.owner;
    const std::int32_t s = in.shift;
    std::int32_t left = 0;
    std::int32_t top = 0;
    switch (in.position) {
        case MM_SCREEN_CENTER:
            left = work.left + (widthOf(work) - in.width) / 2;
            top = work.top + (heightOf(work) - in.height) / 2;
            break;
        case MM_PARENT_CENTER:
            left = owner.left + widthOf(owner) / 2 - in.width / 2;
            top = owner.top + heightOf(owner) / 2 - in.height / 2;
            break;
        case MM_PARENT_SHIFT:
            left = owner.left + s;
            top = owner.top - s;
            break;
        case MM_MOUSE_SHIFT:
            left = in.pointer.x + s;
            top = in.pointer.y - in.height / 2;
            if (left + in.width > work.right) left = in.pointer.x - s - in.width;
            break;
        default:
            break;
    }
    if (left < work.left) left = work.left;
    if (left + in.width > work.right) {
        left = owner.right - in.width - s;
        if (left + in.width > work.right) left = work.right - in.width - s;
        if (left < work.left) left = work.left;
    }
    if (top < work.top) top = work.top;
    if (top + in.height > work.bottom) top = std::max(work.bottom - in.height, work.top);
    return POINT{left, top};
}

std::uintptr_t placementHook(HWND hdlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_INITDIALOG) return 0;
    // The explorer-style file dialog's inner page reports with wParam 0: the dialog is its parent.
    const HWND dialog = wParam == 0 ? GetParent(hdlg) : hdlg;
    return place(dialog) ? 1 : 0;
}

int browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM lpData) {
    if (msg != BFFM_INITIALIZED) return 0;
    if (lpData) SendMessageA(hwnd, BFFM_SETSELECTIONA, 1, lpData);
    return place(hwnd) ? 1 : 0;
}

}  // namespace velmora
