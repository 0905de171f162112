// Window procedures. Every window of ours has one, starting as its class procedure: the window's own
// handling (a control's messages; for other widgets DefWindowProcA, with Qt's own handling of the events
// below). SetWindowLongPtrA(GWLP_WNDPROC) puts a new procedure in front and returns the previous one, which
// the new procedure passes on what it does not handle with CallWindowProcA; several subclassers chain that
// way, and a message reaches the newest first. Procedure values are 32-bit handles (0xFFFF0000 and up,
// sign-extended in a LONG_PTR), the same through GetWindowLongA(GWL_WNDPROC) and GetWindowLongPtrA, so they
// fit 32-bit fields; call them only through CallWindowProcA. An unknown window fails with 1400, an unknown
// handle or a null procedure with ERROR_INVALID_PARAMETER.
//
// What the platform sends through the procedure: everything SendMessageA sends; WM_HELP (a HELPINFO) when
// F1 is pressed in the window or one of its controls, or a control is clicked in context-help mode;
// WM_CONTEXTMENU (wParam: the window clicked; lParam: the screen point, or -1 from the keyboard) before
// Qt's own context menu, which follows only when the message reaches the class procedure; WM_DESTROY and
// then WM_NCDESTROY, last, when the window goes (the widget is gone by then: IsWindow is FALSE). Other Qt
// events reach Hookline handlers (Hookline.h), not the procedure.
#pragma once

#include <cstdint>

#include "platform/win32types.h"
#include "ui/windows.h"

using LONG_PTR = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

constexpr int GWL_WNDPROC = -4;
constexpr int GWLP_WNDPROC = -4;

constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_TCARD = 0x0052;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_SYSCOMMAND = 0x0112;
// WM_SYSCOMMAND: the low four bits of wParam are the platform's own.
constexpr WPARAM SC_CONTEXTHELP = 0xF180;

// What WM_HELP carries (28 bytes: window handles are 32 bits here). iCtrlId is 0 (controls have no
// dialog identifiers here); dwContextId is the one SetWindowContextHelpId gave the window, or 0.
constexpr int HELPINFO_WINDOW = 0x0001;
constexpr int HELPINFO_MENUITEM = 0x0002;
struct HELPINFO {
    UINT cbSize;
    int iContextType;
    int iCtrlId;
    HWND hItemHandle;
    DWORD dwContextId;
    POINT MousePos;
};
using LPHELPINFO = HELPINFO*;
static_assert(sizeof(HELPINFO) == 28);

// GWLP_WNDPROC only here (GWL_EXSTYLE stays with GetWindowLongA); other indexes give 0 with
// ERROR_INVALID_PARAMETER.
LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);
// GWLP_WNDPROC: dwNewLong is a procedure or a handle from an earlier call; returns the previous handle.
LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
// Calls a procedure (a handle from GetWindowLongPtrA, or a function) with the message.
LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The default handling: WM_HELP and WM_CONTEXTMENU go on to the parent window (a top-level window's
// owner); WM_SYSCOMMAND with SC_CONTEXTHELP puts the application into context-help mode (the next click
// on a window sends it WM_HELP). Everything else answers 0.
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The context identifier WM_HELP reports for the window (0: none).
BOOL SetWindowContextHelpId(HWND hWnd, DWORD dwContextHelpId);
DWORD GetWindowContextHelpId(HWND hWnd);
