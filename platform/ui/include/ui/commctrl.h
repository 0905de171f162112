// The common controls' window creation and the tooltip control's messages, structures and constants.
// CreateWindowExA makes windows of the classes InitCommonControlsEx registered for the process (the tooltip
// class "tooltips_class32" with ICC_TAB_CLASSES or ICC_BAR_CLASSES); any other class fails with
// ERROR_CANNOT_FIND_WND_CLASS (1407). DestroyWindow ends windows made by CreateWindowExA (others:
// ERROR_ACCESS_DENIED) and, as the platform does, the windows they own.
#pragma once

#include <cstddef>

#include "platform/win32types.h"
#include "ui/windows.h"

using HMENU = struct HMENU__*;
using HICON = struct HICON__*;

constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;  // 8
    DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;
constexpr DWORD ICC_LISTVIEW_CLASSES = 0x1;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x2;
constexpr DWORD ICC_BAR_CLASSES = 0x4;  // toolbar, status bar, trackbar, tooltips
constexpr DWORD ICC_TAB_CLASSES = 0x8;  // tab, tooltips
constexpr DWORD ICC_UPDOWN_CLASS = 0x10;
constexpr DWORD ICC_PROGRESS_CLASS = 0x20;
constexpr DWORD ICC_HOTKEY_CLASS = 0x40;
constexpr DWORD ICC_ANIMATE_CLASS = 0x80;
constexpr DWORD ICC_WIN95_CLASSES = 0xFF;

// FALSE with ERROR_INVALID_PARAMETER for a null record or a dwSize other than 8.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr char TOOLTIPS_CLASSA[] = "tooltips_class32";

// 0 on failure (see above; also without a GUI application: ERROR_NO_SYSTEM_RESOURCES). hWndParent is the
// owner of a popup window; a window whose owner is destroyed goes with it.
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                     LPVOID lpParam);
BOOL DestroyWindow(HWND hWnd);

// Tooltip window styles.
constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;
constexpr DWORD TTS_NOANIMATE = 0x10;
constexpr DWORD TTS_NOFADE = 0x20;
constexpr DWORD TTS_BALLOON = 0x40;
constexpr DWORD TTS_CLOSE = 0x80;

// Tool flags.
constexpr UINT TTF_IDISHWND = 0x0001;  // uId is the tool's window; rect is ignored
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_RTLREADING = 0x0004;
constexpr UINT TTF_SUBCLASS = 0x0010;  // the control watches the tool's mouse itself
constexpr UINT TTF_TRACK = 0x0020;     // shown and moved only by TTM_TRACKACTIVATE / TTM_TRACKPOSITION
constexpr UINT TTF_ABSOLUTE = 0x0080;
constexpr UINT TTF_TRANSPARENT = 0x0100;

// Delay kinds (TTM_SETDELAYTIME wParam).
constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

// Title icons (TTM_SETTITLEA wParam).
constexpr WPARAM TTI_NONE = 0;
constexpr WPARAM TTI_INFO = 1;
constexpr WPARAM TTI_WARNING = 2;
constexpr WPARAM TTI_ERROR = 3;

constexpr UINT WM_USER = 0x0400;
constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_ADDTOOLA = WM_USER + 4;
constexpr UINT TTM_DELTOOLA = WM_USER + 5;
constexpr UINT TTM_GETTEXTA = WM_USER + 11;
constexpr UINT TTM_UPDATETIPTEXTA = WM_USER + 12;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_ENUMTOOLSA = WM_USER + 14;
constexpr UINT TTM_TRACKACTIVATE = WM_USER + 17;
constexpr UINT TTM_TRACKPOSITION = WM_USER + 18;
constexpr UINT TTM_SETTIPBKCOLOR = WM_USER + 19;
constexpr UINT TTM_SETTIPTEXTCOLOR = WM_USER + 20;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_GETTIPBKCOLOR = WM_USER + 22;
constexpr UINT TTM_GETTIPTEXTCOLOR = WM_USER + 23;
constexpr UINT TTM_SETTITLEA = WM_USER + 32;

// A tool of a tooltip window. hwnd and uId identify it; lParam and lpReserved exist in the newer record
// only. The record carries pointers, so its sizes are those of this platform's layout: cbSize must be
// one of the TTTOOLINFOA_V*_SIZE values.
struct TOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
using LPTOOLINFOA = TOOLINFOA*;
constexpr UINT TTTOOLINFOA_V1_SIZE = offsetof(TOOLINFOA, lParam);
constexpr UINT TTTOOLINFOA_V2_SIZE = offsetof(TOOLINFOA, lpReserved);
constexpr UINT TTTOOLINFOA_V3_SIZE = sizeof(TOOLINFOA);

// The longest title TTM_SETTITLEA keeps, in characters (longer ones are cut).
constexpr std::size_t kToolTipTitleMax = 99;

// The messages, as the control answers them (wParam / lParam / result):
//   TTM_ADDTOOLA        0 / TOOLINFOA* / TRUE, FALSE for a bad record; lpszText null reads as empty
//   TTM_DELTOOLA        0 / TOOLINFOA* (hwnd, uId) / 0
//   TTM_GETTOOLCOUNT    0 / 0 / number of tools
//   TTM_ENUMTOOLSA      index / TOOLINFOA* filled (text pointer left as it was) / TRUE, FALSE past the end
//   TTM_GETTEXTA        buffer size in chars / TOOLINFOA* whose lpszText receives the text, cut and
//                       NUL-terminated / 0 (nothing copied for size 0 or an unknown tool)
//   TTM_UPDATETIPTEXTA  0 / TOOLINFOA* (hwnd, uId, lpszText) / 0
//   TTM_SETTITLEA       TTI_* / title / TRUE
//   TTM_SETDELAYTIME    TTDT_* / milliseconds in the low word / 0. TTDT_AUTOMATIC sets initial to the
//                       value, auto-pop to ten times and reshow to a fifth of it. A negative value resets:
//                       initial (alone or with TTDT_AUTOMATIC) to 500, the others as TTDT_AUTOMATIC derives
//                       them from the initial delay the control has then (5000 and 100 after 500).
//   TTM_GETDELAYTIME    TTDT_* / 0 / milliseconds (TTDT_AUTOMATIC: the auto-pop delay)
//   TTM_TRACKACTIVATE   TRUE/FALSE / TOOLINFOA* / 0: shows or hides that tool's tip at the track position
//   TTM_TRACKPOSITION   0 / MAKELPARAM(x, y) in screen pixels / 0
//   TTM_SET/GETTIP*COLOR  COLORREF / 0 / previous or current colour (0x00BBGGRR)
//   TTM_ACTIVATE        TRUE/FALSE / 0 / 0: off stops the control from showing tips by itself
