#include "controls.h"

#include <cmath>

#include "component/calls.h"
#include "runtime/Error.h"
#include "ui/windows.h"

namespace velmora::help {

std::optional<HWND> windowOf(const ObjectRef& object) {
    if (!object) return std::nullopt;
    try {
        return static_cast<HWND>(getProperty(object, u"hWnd").toLong());
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::u16string nameOf(const ObjectRef& control) {
    if (!control) return {};
    try {
        return getProperty(control, u"Name").toString();
    } catch (const RuntimeError&) {
        return {};
    }
}

HWND containerWindowOf(const ObjectRef& control) {
    if (!control) return 0;
    try {
        return windowOf(getProperty(control, u"Container").toObject()).value_or(0);
    } catch (const RuntimeError&) {
        return 0;
    }
}

bool mouseOver(const ObjectRef& control) {
    POINT cursor{};
    if (!control || !GetCursorPos(&cursor)) return false;
    const HWND under = WindowFromPoint(cursor);
    if (const std::optional<HWND> own = windowOf(control)) return under != 0 && under == *own;
    const HWND container = containerWindowOf(control);
    if (container == 0 || under != container || !ScreenToClient(container, &cursor)) return false;
    try {
        const double tx = twipsPerPixelX();
        const double ty = twipsPerPixelY();
        const double left = getProperty(control, u"Left").toDouble() / tx;
        const double top = getProperty(control, u"Top").toDouble() / ty;
        const double right = left + getProperty(control, u"Width").toDouble() / tx;
        const double bottom = top + getProperty(control, u"Height").toDouble() / ty;
        return cursor.x >= left && cursor.x <= right && cursor.y >= top && cursor.y <= bottom;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace velmora::help
