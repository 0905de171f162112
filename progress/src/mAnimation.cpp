#include "progress/mAnimation.h"

#include "platform/library.h"
#include "platform/messagebox.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "ui/AnimationControl.h"
#include "ui/WindowHandles.h"

namespace velmora {

namespace {

AnimationControl& require(AnimationControl* control) {
    if (!control) raise(err::ObjectNotSet);
    return *control;
}

}  // namespace

void StartAnimation(AnimationControl* control, std::int32_t anim) {
    // Each reset step may fail on its own without stopping the others.
    try {
        require(control).setAutoPlay(false);
    } catch (const RuntimeError&) {
    }
    try {
        require(control).Stop();
    } catch (const RuntimeError&) {
    }
    try {
        require(control).setAutoPlay(true);
    } catch (const RuntimeError&) {
    }
    try {
        const HWND hWnd = handleOf(&require(control));
        // The value is the client's, from another process: it can name a clip (a resource identifier
        // below 65536) but never be a pointer into this one, so anything else is refused before the
        // control sees it. The control checks its pointer parameters too.
        if (anim < 0 || anim > 0xFFFF) raise(err::InvalidProcedureCall);
        SetLastError(ERROR_SUCCESS);
        if (!SendMessageA(hWnd, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                          static_cast<LPARAM>(anim)) &&
            GetLastError() == ERROR_NOACCESS)
            raise(err::InvalidProcedureCall);
    } catch (const RuntimeError& error) {
        // The message box of the language titles itself with the program's name.
        MessageBoxA(0, toUtf8(error.description()).c_str(), "Gaugebox", MB_OK);
    }
}

}  // namespace velmora
