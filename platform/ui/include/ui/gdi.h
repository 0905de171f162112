// Pixels of the screen's device context. A desktop here is not ours to paint on, so the screen is a
// stand-in image the size of the primary screen: what is painted there stays until someone repaints it,
// as on the original, and tests read it back. Colours are COLORREF 0x00BBGGRR.
#pragma once

#include <QImage>

#include "ui/windows.h"

using HDC = struct HDC__*;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>(c >> 8);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>(c >> 16);
}

// The screen's context for hWnd 0; window contexts are not offered (nullptr).
HDC GetDC(HWND hWnd);
// 1 when the context was released.
int ReleaseDC(HWND hWnd, HDC hDC);
// CLR_INVALID outside the screen or for another context.
COLORREF GetPixel(HDC hdc, int x, int y);
// The colour set, or CLR_INVALID (nothing painted) outside the screen.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

namespace velmora {

// The stand-in screen (created at the primary screen's size on first use, in the desktop's colour).
QImage screenImage();
// Replaces the stand-in screen, e.g. with a test picture (converted to 32-bit RGB).
void setScreenImage(const QImage& image);

}  // namespace velmora
