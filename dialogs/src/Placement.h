// Where a dialog goes when it opens, for each MoveEnum value, with the corrections that keep it inside
// the work area. Coordinates in pixels; rectangles' right and bottom lie just outside.
#pragma once

#include <cstdint>

#include "ui/windows.h"

namespace velmora {

enum MoveEnum : std::int32_t {
    MM_NONE = 0,
    MM_SCREEN_CENTER = 1,
    MM_PARENT_CENTER = 2,
    MM_PARENT_SHIFT = 3,
    MM_MOUSE_SHIFT = 4,
};

struct PlacementInput {
    std::int32_t position = MM_NONE;
    std::int32_t shift = 0;
    RECT workArea{};
    RECT owner{};
    std::int32_t width = 0;  // the dialog's
    std::int32_t height = 0;
    POINT pointer{};
};

// The dialog's new top-left corner.
POINT placeDialog(const PlacementInput& input);

// The hook of the file, colour, font, page set-up and print dialogs: places the dialog (the parent of an
// explorer-style file dialog's inner page) by the thread's Position and returns 1; 0 for other messages
// and with Position 0.
std::uintptr_t placementHook(HWND hdlg, UINT msg, WPARAM wParam, LPARAM lParam);
// The folder browser's callback: selects the folder in lpData (a drive path), then places the browser.
int browseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM lpData);

}  // namespace velmora
