#include "platform/keyboard.h"

#include <atomic>

#include "platform/DesktopSettings.h"
#include "spawn.h"

namespace {

std::atomic<bool> g_controlDown{false};
std::atomic<bool> g_windowsDown{false};

}  // namespace

void keybd_event(BYTE bVk, BYTE, DWORD dwFlags, std::uintptr_t) {
    const bool down = (dwFlags & KEYEVENTF_KEYUP) == 0;
    switch (bVk) {
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL:
            g_controlDown = down;
            break;
        case VK_LWIN:
        case VK_RWIN:
            g_windowsDown = down;
            break;
        case VK_F_KEY:
            // Find files (Windows+F) and find computer (Ctrl+Windows+F) both open the file search here.
            if (down && g_windowsDown)
                if (const auto command = velmora::desktopFileSearchCommand())
                    velmora::startDetached(*command, {});
            break;
        default:
            break;
    }
}
