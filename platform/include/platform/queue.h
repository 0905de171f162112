// The calling thread's message queue, as far as the suite asks about it: which kinds of input are waiting
// (GetQueueStatus) and one pass of the event loop that handles them. A process without a GUI has no
// queue, so nothing is ever waiting; the GUI layer installs a hook that answers from its event loop.
#pragma once

#include "platform/win32types.h"

// Kinds of queued input, as GetQueueStatus masks and reports them.
constexpr UINT QS_KEY = 0x0001;
constexpr UINT QS_MOUSEMOVE = 0x0002;
constexpr UINT QS_MOUSEBUTTON = 0x0004;
constexpr UINT QS_POSTMESSAGE = 0x0008;
constexpr UINT QS_TIMER = 0x0010;
constexpr UINT QS_PAINT = 0x0020;
constexpr UINT QS_SENDMESSAGE = 0x0040;
constexpr UINT QS_HOTKEY = 0x0080;
constexpr UINT QS_ALLPOSTMESSAGE = 0x0100;
constexpr UINT QS_RAWINPUT = 0x0400;
constexpr UINT QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr UINT QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT;
constexpr UINT QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
constexpr UINT QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;

// High word: the kinds named in flags that are in the queue now; low word: those of them that arrived
// since the last call. Bits outside flags are never reported; 0 while no GUI hook is installed.
DWORD GetQueueStatus(UINT flags);

namespace velmora {

// Handles the input waiting in the calling thread's queue once, without waiting for more (one pass of
// the program's message pump). Does nothing while no GUI hook is installed.
void processWaitingMessages();

// What the GUI layer plugs in. A null member keeps the platform's own answer for that call.
struct MessageQueueHook {
    DWORD (*queueStatus)(UINT flags) = nullptr;
    void (*processMessages)() = nullptr;
};

// Installs the hook for every thread of the process and returns the one it replaces, so that a caller
// (a test, a GUI application object going away) can put it back.
MessageQueueHook setMessageQueueHook(MessageQueueHook hook) noexcept;

}  // namespace velmora
