#include "HelpWindowProc.h"

#include <cstring>
#include <unordered_map>
#include <vector>

#include "HelpTopicList.h"
#include "component/ComObject.h"
#include "component/calls.h"
#include "help/HelpTopic.h"
#include "runtime/Error.h"
#include "ui/htmlhelp.h"
#include "ui/messages.h"
#include "ui/windowproc.h"

namespace velmora::helpwindow {
namespace {

LRESULT helpWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// The windows the help procedure is in, each with the procedure it passes messages on to.
std::unordered_map<HWND, LONG_PTR>& hooked() {
    static std::unordered_map<HWND, LONG_PTR> windows;
    return windows;
}

// The help procedure's own handle, as the window layer reports it once it is in place.
LONG_PTR& ownHandle() {
    static LONG_PTR handle = 0;
    return handle;
}

bool formHas(const ObjectRef& form, std::u16string_view method) {
    const auto* object = dynamic_cast<const ComObject*>(form.get());
    return object && object->hasMember(method, InvokeMethod);
}

// Calls a form's handler by name; false when the form has none. What the handler raises stays here: it
// would otherwise unwind through the window system.
template <typename... A>
bool callForm(const ObjectRef& form, std::u16string_view method, A&&... arguments) {
    if (!formHas(form, method)) return false;
    try {
        call(form, method, std::forward<A>(arguments)...);
    } catch (const RuntimeError&) {
    }
    return true;
}

// An address as a number the form can take: a Double holds every user-space address exactly.
Variant addressOf(LPARAM lParam) {
    return Variant(static_cast<double>(static_cast<std::uintptr_t>(lParam)));
}

bool notifyFromViewer(LPARAM lParam, const Ref<HelpTopic>& topic) {
    if (!isReadableParameter(MessageParameter::Record, lParam, sizeof(NMHDR))) return false;
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    const ObjectRef form = topic->frm();
    switch (code) {
        case HHN_NAVCOMPLETE:
            return callForm(form, u"OnNavComplete", addressOf(lParam));
        case HHN_TRACK:
            return callForm(form, u"OnTrack", addressOf(lParam));
        case HHN_WINDOW_CREATE:
            return callForm(form, u"OnWindowCreate", addressOf(lParam));
        default:
            return false;
    }
}

void help(HWND hWnd, LPARAM lParam, const Ref<HelpTopic>& topic) {
    if (!isReadableParameter(MessageParameter::Record, lParam, sizeof(HELPINFO))) return;
    HELPINFO info;
    std::memcpy(&info, reinterpret_cast<const void*>(lParam), sizeof info);
    std::vector<std::uint8_t> copy(sizeof info);
    std::memcpy(copy.data(), &info, sizeof info);
    if (callForm(topic->frm(), u"OnHelp", Variant(std::move(copy)))) return;
    // A form without a handler of its own gets its topic, so that F1 works in every window added.
    try {
        topic->showHelp(hWnd, info.dwContextId);
    } catch (const RuntimeError&) {
    }
}

LRESULT passOn(LONG_PTR previous, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return previous ? CallWindowProcA(reinterpret_cast<WNDPROC>(previous), hWnd, message, wParam, lParam)
                    : DefWindowProcA(hWnd, message, wParam, lParam);
}

void forget(HWND hWnd) {
    Collection& list = helpTopicList();
    for (std::int32_t i = list.Count(); i >= 1; --i) {
        const Ref<HelpTopic> topic = list.Item(Variant(i)).toObject().as<HelpTopic>();
        if (topic && topic->window() == hWnd) list.Remove(Variant(i));
    }
    hooked().erase(hWnd);
}

LRESULT helpWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = hooked().find(hWnd);
    const LONG_PTR previous = found == hooked().end() ? 0 : found->second;
    if (message == WM_NCDESTROY) {
        const LRESULT result = passOn(previous, hWnd, message, wParam, lParam);
        forget(hWnd);
        return result;
    }
    const Ref<HelpTopic> topic = helpTopicOfWindow(hWnd);
    if (topic) {
        switch (message) {
            case WM_NOTIFY:
                if (notifyFromViewer(lParam, topic)) return 0;
                break;
            case WM_TCARD:
                if (callForm(topic->frm(), u"OnTCard", static_cast<std::int32_t>(wParam),
                             static_cast<std::int32_t>(lParam)))
                    return 0;
                break;
            case WM_HELP:
                help(hWnd, lParam, topic);
                return TRUE;
            case WM_CONTEXTMENU:
                if (callForm(topic->frm(), u"OnContextMenu", static_cast<std::int32_t>(wParam))) return 0;
                break;
            default:
                break;
        }
    }
    return passOn(previous, hWnd, message, wParam, lParam);
}

}  // namespace

std::int32_t hook(HWND window) {
    if (!IsWindow(window)) return 0;
    if (const auto found = hooked().find(window); found != hooked().end())
        return static_cast<std::int32_t>(found->second);
    const LONG_PTR previous =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&helpWindowProc));
    if (!previous) return 0;
    hooked()[window] = previous;
    ownHandle() = GetWindowLongPtrA(window, GWLP_WNDPROC);
    return static_cast<std::int32_t>(previous);
}

void unhook(HWND window) {
    const auto found = hooked().find(window);
    if (found == hooked().end()) return;
    if (!IsWindow(window)) {
        hooked().erase(found);
        return;
    }
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) != ownHandle()) return;
    SetWindowLongA(window, GWL_WNDPROC, static_cast<LONG>(found->second));
    hooked().erase(found);
}

}  // namespace velmora::helpwindow
