#include "progress/EnhancedForm.h"

#include <cmath>
#include <cstring>

namespace velmora {

namespace {

int currentOsLevel() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 0;
    return EnhancedForm::operatingSystemLevel(version);
}

// Twips to pixels, rounded half to even as the conversion functions round.
std::int32_t toPixels(std::int32_t twips, int twipsPerPixel) {
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(twips) / twipsPerPixel));
}

}  // namespace

EnhancedForm::EnhancedForm() : EnhancedForm(currentOsLevel()) {}

EnhancedForm::EnhancedForm(int osLevel)
    : m_osLevel(osLevel),
      m_maxWidth(GetSystemMetrics(SM_CXSCREEN)),
      m_maxHeight(GetSystemMetrics(SM_CYSCREEN)) {}

EnhancedForm::~EnhancedForm() {
    Hookline::DetachAll(this);
}

int EnhancedForm::operatingSystemLevel(const OSVERSIONINFOA& v) noexcept {
    const bool nt = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 0) return nt ? 4 : 0;
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 10) return 1;
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 90) return 2;
    if (v.dwMajorVersion == 3 && v.dwMinorVersion == 51) return 3;
    if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return 5;
    if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return 6;
    return 8;
}

void EnhancedForm::setAlwaysOnTop(bool onTop) {
    m_alwaysOnTop = onTop;
    if (!hasWindow()) return;
    SetWindowPos(m_hWnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void EnhancedForm::setVisible(bool visible) {
    m_visible = visible;
    if (!hasWindow()) return;
    ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
}

void EnhancedForm::setTranslucent(std::uint8_t opacity) {
    if (!hasWindow() || m_osLevel < 5) return;
    const LONG style = GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    if (!(style & WS_EX_LAYERED)) SetWindowLongA(m_hWnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(m_hWnd, 0, opacity, LWA_ALPHA);
}

void EnhancedForm::setShadow(bool shadow) {
    m_shadow = shadow;
    if (!hasWindow()) return;
    follow(WM_MOVE, shadow);
    if (!shadow) return;
    RECT rect{};
    GetWindowRect(m_hWnd, &rect);
    paintShadow(rect, GetDC(0));
}

void EnhancedForm::setEnforceSize(bool enforce) {
    m_enforceSize = enforce;
    if (hasWindow()) follow(WM_GETMINMAXINFO, enforce);
}

void EnhancedForm::follow(UINT message, bool on) {
    if (on)
        Hookline::AttachMessage(this, m_hWnd, message);
    else
        Hookline::DetachMessage(this, m_hWnd, message);
}

void EnhancedForm::setMinWidth(std::int32_t twips) {
    m_minWidth = toPixels(twips, twipsPerPixelX());
}
void EnhancedForm::setMinHeight(std::int32_t twips) {
    m_minHeight = toPixels(twips, twipsPerPixelY());
}
void EnhancedForm::setMaxWidth(std::int32_t twips) {
    m_maxWidth = toPixels(twips, twipsPerPixelX());
}
void EnhancedForm::setMaxHeight(std::int32_t twips) {
    m_maxHeight = toPixels(twips, twipsPerPixelY());
}

void EnhancedForm::ResizeToMax() {
    if (!hasWindow()) return;
    RECT rect{};
    GetWindowRect(m_hWnd, &rect);
    SetWindowPos(m_hWnd, HWND_TOP, rect.left + 1, rect.top, m_maxWidth, m_maxHeight,
                 SWP_NOZORDER | SWP_NOREDRAW);
}

void EnhancedForm::setISubclass_MsgResponse(std::int32_t) {
    m_response = emrPreprocess;
}

LRESULT EnhancedForm::iSubclass_WindowProc(HWND hWnd, UINT iMsg, WPARAM, LPARAM lParam) {
    if (iMsg == WM_MOVE && m_shadow) {
        RECT rect{};
        GetWindowRect(hWnd, &rect);
        paintShadow(rect, GetDC(0));
    } else if (iMsg == WM_GETMINMAXINFO && lParam != 0) {
        MINMAXINFO info;
        std::memcpy(&info, reinterpret_cast<const void*>(lParam), sizeof info);
        info.ptMinTrackSize = {m_minWidth, m_minHeight};
        info.ptMaxTrackSize = {m_maxWidth, m_maxHeight};
        std::memcpy(reinterpret_cast<void*>(lParam), &info, sizeof info);
    }
    return 0;
}

void EnhancedForm::paintShadow(RECT rect, HDC dc) {
    const LONG height = rect.bottom - rect.top;
    if (height > 10) rect.top += static_cast<LONG>(std::nearbyint(height / 10.0));
    const LONG width = rect.right - rect.left;
    if (width > 10) rect.left += static_cast<LONG>(std::nearbyint(width / 10.0));
    paintLayer(dc, rect, 60);
    for (int layer = 2; layer <= 4; ++layer) {
        ++rect.right;
        ++rect.bottom;
        ++rect.left;
        ++rect.top;
        paintLayer(dc, rect, 60 * layer);
    }
    ReleaseDC(0, dc);
}

void EnhancedForm::paintLayer(HDC dc, const RECT& r, int level) {
    // The ends of the lines fade out so the shadow has soft corners.
    for (int k = 1; level + 60 * k <= 240; ++k) {
        darken(dc, r.left - k, r.bottom, level + 60 * k);
        darken(dc, r.right, r.top - k, level + 60 * k);
    }
    for (LONG x = r.left; x < r.right; ++x) darken(dc, x, r.bottom, level);
    for (LONG y = r.top; y < r.bottom; ++y) darken(dc, r.right, y, level);
    if (level > 60) darken(dc, r.right - 1, r.bottom - 1, level);
}

void EnhancedForm::darken(HDC dc, int x, int y, int level) {
    const COLORREF colour = GetPixel(dc, x, y);
    if (colour == CLR_INVALID) return;
    const auto scale = [level](BYTE part) { return static_cast<BYTE>((part * level) >> 8); };
    SetPixel(dc, x, y, RGB(scale(GetRValue(colour)), scale(GetGValue(colour)), scale(GetBValue(colour))));
}

}  // namespace velmora
