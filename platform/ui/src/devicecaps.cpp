#include "ui/devicecaps.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

int GetDeviceCaps(HDC, int index) {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    switch (index) {
        case LOGPIXELSX:
            return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchX())) : 96;
        case LOGPIXELSY:
            return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
        case HORZRES:
            return screen ? screen->geometry().width() : 0;
        case VERTRES:
            return screen ? screen->geometry().height() : 0;
        case BITSPIXEL:
            return screen ? screen->depth() : 0;
        default:
            return 0;
    }
}
