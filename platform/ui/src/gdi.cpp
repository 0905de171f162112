#include "ui/gdi.h"

#include <mutex>

namespace velmora {

namespace {

struct Screen {
    std::mutex mutex;
    QImage image;
    bool made = false;
};

Screen& screen() {
    static Screen instance;
    return instance;
}

// The one screen context; its address is the handle.
HDC__* screenContext() {
    static char context;
    return reinterpret_cast<HDC__*>(&context);
}

void makeIfNeeded(Screen& s) {
    if (s.made) return;
    s.made = true;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return;
    s.image = QImage(width, height, QImage::Format_RGB32);
    s.image.fill(QColor(0x3A, 0x6E, 0xA5));
}

}  // namespace

QImage screenImage() {
    Screen& s = screen();
    const std::lock_guard lock(s.mutex);
    makeIfNeeded(s);
    return s.image;
}

void setScreenImage(const QImage& image) {
    Screen& s = screen();
    const std::lock_guard lock(s.mutex);
    s.made = true;
    s.image = image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace velmora

HDC GetDC(HWND hWnd) {
    return hWnd == 0 ? velmora::screenContext() : nullptr;
}

int ReleaseDC(HWND, HDC hDC) {
    return hDC == velmora::screenContext() ? 1 : 0;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    if (hdc != velmora::screenContext()) return CLR_INVALID;
    auto& s = velmora::screen();
    const std::lock_guard lock(s.mutex);
    velmora::makeIfNeeded(s);
    if (!s.image.valid(x, y)) return CLR_INVALID;
    const QRgb p = s.image.pixel(x, y);
    return RGB(static_cast<BYTE>(qRed(p)), static_cast<BYTE>(qGreen(p)), static_cast<BYTE>(qBlue(p)));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    if (hdc != velmora::screenContext()) return CLR_INVALID;
    auto& s = velmora::screen();
    const std::lock_guard lock(s.mutex);
    velmora::makeIfNeeded(s);
    if (!s.image.valid(x, y)) return CLR_INVALID;
    s.image.setPixel(x, y, qRgb(GetRValue(color), GetGValue(color), GetBValue(color)));
    return color;
}
