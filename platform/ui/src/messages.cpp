#include "ui/messages.h"

#include "WindowProcedures.h"
#include "platform/pointers.h"
#include "ui/WindowHandles.h"
#include "ui/resources.h"
#include "ui/timers.h"

namespace velmora {

namespace {

constexpr std::uintptr_t kLongestText = 32768;

}  // namespace

bool isReadableParameter(MessageParameter kind, std::intptr_t value, std::size_t recordSize) {
    const auto* pointer = reinterpret_cast<const char*>(value);
    switch (kind) {
        case MessageParameter::Value:
            return true;
        case MessageParameter::ResourceText:
            if (IS_INTRESOURCE(static_cast<LPARAM>(value))) return true;
            [[fallthrough]];
        case MessageParameter::Text:
            return !IsBadStringPtrA(pointer, kLongestText);
        case MessageParameter::Record:
            return !IsBadReadPtr(pointer, recordSize);
    }
    return false;
}

}  // namespace velmora

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace velmora;
    QWidget* widget = widgetOf(hWnd);
    if (!widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto* target = dynamic_cast<WindowMessageTarget*>(widget);
    const MessageParameters parameters = target ? target->parametersOf(Msg) : MessageParameters{};
    if (!isReadableParameter(parameters.wParam, static_cast<std::intptr_t>(wParam), parameters.recordSize) ||
        !isReadableParameter(parameters.lParam, static_cast<std::intptr_t>(lParam), parameters.recordSize)) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    return deliverMessage(hWnd, Msg, wParam, lParam);
}
