// Window handles, placement and effects, cursor and window-under-point queries and screen metrics.
// A window handle is a 32-bit number standing for one widget (see WindowHandles.h); a handle of a destroyed
// or unknown window fails with ERROR_INVALID_WINDOW_HANDLE (1400). Without a GUI application there are
// no windows and the metrics are 0 (twips per pixel: 15, the 96-dpi figure).
#pragma once

#include "platform/win32types.h"
#include "ui/timers.h"

struct POINT {
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;

// right and bottom lie just outside the rectangle.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

// What WM_GETMINMAXINFO asks the window's handlers about (40 bytes).
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
static_assert(sizeof(MINMAXINFO) == 40);

using COLORREF = DWORD;

// Messages the window layer reports to Hookline handlers.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// Low and high 16 bits, as messages pack two coordinates into one parameter.
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<WORD>(low)) |
                               static_cast<std::uint32_t>(static_cast<WORD>(high)) << 16);
}

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos places; HWND is 32 bits, so -1 and -2 are these numbers.
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = 0xFFFFFFFF;
constexpr HWND HWND_NOTOPMOST = 0xFFFFFFFE;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr LONG WS_EX_TOPMOST = 0x00000008;
constexpr LONG WS_EX_LAYERED = 0x00080000;
constexpr DWORD LWA_COLORKEY = 0x1;
constexpr DWORD LWA_ALPHA = 0x2;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr UINT SPI_GETWORKAREA = 0x0030;

BOOL IsWindow(HWND hWnd);
// The window's outer rectangle in screen coordinates.
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
// The innermost window under a screen point; 0 where there is none of ours.
HWND WindowFromPoint(POINT Point);
BOOL GetCursorPos(LPPOINT lpPoint);
// Converts a screen point to the window's client coordinates in place.
BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
// Nonzero when the window was visible before the call.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
// Moves, sizes and orders a window; HWND_TOPMOST / HWND_NOTOPMOST put it in or out of the topmost band.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
// GWL_EXSTYLE (WS_EX_TOPMOST, WS_EX_LAYERED) and GWL_WNDPROC (a procedure handle, windowproc.h); other
// indexes give 0 with ERROR_INVALID_PARAMETER.
LONG GetWindowLongA(HWND hWnd, int nIndex);
// Stores WS_EX_LAYERED (WS_EX_TOPMOST is kept from SetWindowPos), or with GWL_WNDPROC a procedure handle
// (a procedure itself does not fit: SetWindowLongPtrA takes it); returns the previous value.
LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);
// LWA_ALPHA sets the whole window's opacity (0 transparent .. 255 opaque); the window must have
// WS_EX_LAYERED (else ERROR_INVALID_PARAMETER). Colour keys are accepted and ignored.
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags);
// SM_CXSCREEN, SM_CYSCREEN of the primary screen; 0 for others.
int GetSystemMetrics(int nIndex);
// SPI_GETWORKAREA into a RECT; other actions give FALSE with ERROR_INVALID_PARAMETER.
BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, LPVOID pvParam, UINT fWinIni);

namespace velmora {

// Twips (1/1440 inch) per pixel of the primary screen, horizontally and vertically.
int twipsPerPixelX() noexcept;
int twipsPerPixelY() noexcept;

}  // namespace velmora
