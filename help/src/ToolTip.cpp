#include "help/ToolTip.h"

#include "component/calls.h"
#include "controls.h"
#include "platform/library.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "ui/messages.h"
#include "ui/windows.h"

namespace velmora {

namespace {

constexpr WPARAM kTextBuffer = 1024;

// Tools of windowless controls need identifiers of their own; a window handle is never this large.
UINT_PTR nextRectangleToolId() {
    static UINT_PTR next = UINT_PTR{1} << 40;
    return next++;
}

}  // namespace

const ClassInfo& ToolTip::describe() {
    static const ClassInfo info =
        ClassBuilder<ToolTip>(u"ToolTip")
            .property(u"Ctl", &ToolTip::Ctl, &ToolTip::setCtl)
            .propertyGet(u"ParentHwnd", &ToolTip::ParentHwnd)
            .propertyLet(u"Interval", &ToolTip::setInterval)
            .property(u"Delay", &ToolTip::Delay, &ToolTip::setDelay, {u"ToolTipDelayTime"})
            .property(u"Text", &ToolTip::Text, &ToolTip::setText)
            .property(u"BackColor", &ToolTip::BackColor, &ToolTip::setBackColor)
            .property(u"TextColor", &ToolTip::TextColor, &ToolTip::setTextColor)
            .propertyLet(
                u"Activate", &ToolTip::setActivate,
                {opt(u"ToolTipActivateDirection", Variant(std::int32_t{ACTIVATION_CENTER})),
                 opt(u"ordinate", Variant(std::int16_t{0})), opt(u"absicca", Variant(std::int16_t{0}))})
            .propertyLet(u"TitleIcon", &ToolTip::setTitleIcon, {opt(u"ToolTipTitle", Variant(u""))})
            .build();
    return info;
}

ToolTip::ToolTip() {
    m_tool.cbSize = TTTOOLINFOA_V2_SIZE;
}

ToolTip::~ToolTip() {
    if (m_window != 0) DestroyWindow(m_window);
}

void ToolTip::send(UINT message, WPARAM wParam, const void* lParam) const {
    SendMessageA(m_window, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

std::int16_t ToolTip::Delay(std::int32_t ToolTipDelayTime) const {
    if (m_window == 0) return 0;
    return static_cast<std::int16_t>(
        SendMessageA(m_window, TTM_GETDELAYTIME, static_cast<WPARAM>(ToolTipDelayTime), 0));
}

void ToolTip::setDelay(std::int32_t ToolTipDelayTime, std::int16_t milliseconds) {
    if (m_window == 0) return;
    SendMessageA(m_window, TTM_SETDELAYTIME, static_cast<WPARAM>(ToolTipDelayTime),
                 MAKELPARAM(milliseconds, 0));
}

bool ToolTip::isRegisteredTool() const {
    if (m_window == 0 || m_tool.uId == 0) return false;
    const LRESULT count = SendMessageA(m_window, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TOOLINFOA seen{};
        seen.cbSize = TTTOOLINFOA_V2_SIZE;
        send(TTM_ENUMTOOLSA, static_cast<WPARAM>(i), &seen);
        if (seen.uId == m_tool.uId && seen.hwnd == m_tool.hwnd) return true;
    }
    return false;
}

std::u16string ToolTip::Text() const {
    if (!isRegisteredTool()) return {};
    char buffer[kTextBuffer] = {};
    TOOLINFOA query = m_tool;
    query.lpszText = buffer;
    send(TTM_GETTEXTA, kTextBuffer, &query);
    return fromUtf8(buffer);
}

void ToolTip::noteLength(const std::string& text) {
    m_longestText =
        std::max(m_longestText, static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX)));
}

void ToolTip::setText(std::u16string text) {
    if (m_window == 0) return;
    m_toolText = toUtf8(text);
    noteLength(m_toolText);
    m_tool.lpszText = m_toolText.data();
    send(TTM_UPDATETIPTEXTA, 0, &m_tool);
}

std::int32_t ToolTip::BackColor() const {
    return m_window ? static_cast<std::int32_t>(SendMessageA(m_window, TTM_GETTIPBKCOLOR, 0, 0)) : 0;
}

void ToolTip::setBackColor(std::int32_t color) {
    if (m_window) SendMessageA(m_window, TTM_SETTIPBKCOLOR, static_cast<COLORREF>(color), 0);
}

std::int32_t ToolTip::TextColor() const {
    return m_window ? static_cast<std::int32_t>(SendMessageA(m_window, TTM_GETTIPTEXTCOLOR, 0, 0)) : 0;
}

void ToolTip::setTextColor(std::int32_t color) {
    if (m_window) SendMessageA(m_window, TTM_SETTIPTEXTCOLOR, static_cast<COLORREF>(color), 0);
}

bool ToolTip::toolScreenRect(RECT& rect) const {
    if (m_tool.uFlags & TTF_IDISHWND) return GetWindowRect(m_toolWindow, &rect);
    POINT origin{0, 0};
    RECT container{};
    if (!GetWindowRect(m_toolWindow, &container)) return false;
    // The container's client origin on the screen: the reverse of ScreenToClient.
    if (!ScreenToClient(m_toolWindow, &origin)) return false;
    rect = {m_tool.rect.left - origin.x, m_tool.rect.top - origin.y, m_tool.rect.right - origin.x,
            m_tool.rect.bottom - origin.y};
    return true;
}

void ToolTip::setActivate(std::int32_t ToolTipActivateDirection, std::int16_t ordinate, std::int16_t absicca,
                          bool show) {
    if (!isRegisteredTool()) return;
    m_activation = {ToolTipActivateDirection, ordinate, absicca, show};
    RECT rect{};
    if (!toolScreenRect(rect)) return;
    int x = (rect.left + rect.right) / 2;
    int y = (rect.top + rect.bottom) / 2;
    switch (ToolTipActivateDirection) {
        case ACTIVATION_LEFT:
            x = rect.left;
            break;
        case ACTIVATION_RIGHT:
            x = rect.right;
            break;
        case ACTIVATION_CUSTOM:
            x = absicca;
            y = ordinate;
            break;
        default:
            break;
    }
    SendMessageA(m_window, TTM_TRACKPOSITION, 0, MAKELPARAM(x, y));
    send(TTM_TRACKACTIVATE, show ? TRUE : FALSE, &m_tool);
}

void ToolTip::setTitleIcon(std::u16string ToolTipTitle, std::int32_t icon) {
    if (m_window == 0) return;
    const std::string title = toUtf8(ToolTipTitle);
    send(TTM_SETTITLEA, static_cast<WPARAM>(icon), title.c_str());
}

void ToolTip::createWindow(const ObjectRef& form, std::int32_t style) {
    const std::optional<HWND> owner = help::windowOf(form);
    if (!owner || m_window != 0) return;
    const INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    InitCommonControlsEx(&init);
    m_window = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, static_cast<DWORD>(style) | WS_POPUP, 0, 0, 0, 0,
                               *owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void ToolTip::attach(const ObjectRef& control, const std::u16string& text, const std::u16string& title,
                     std::int32_t icon, std::int32_t behavior) {
    if (!control) return;
    m_ctl = control;
    if (m_window == 0) return;
    const std::optional<HWND> own = help::windowOf(control);
    const HWND container = help::containerWindowOf(control);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = m_window;
    if (own) {
        tool.uFlags = static_cast<UINT>(behavior) | TTF_IDISHWND;
        tool.uId = *own;
    } else {
        // A windowless control: a rectangle of its container, in the container's pixels.
        if (container == 0) return;
        const double tx = twipsPerPixelX();
        const double ty = twipsPerPixelY();
        const auto pixels = [&](const char16_t* name, double factor) {
            return static_cast<LONG>(getProperty(control, name).toDouble() / factor);
        };
        tool.uFlags = static_cast<UINT>(behavior) & ~TTF_IDISHWND;
        tool.hwnd = container;
        tool.uId = nextRectangleToolId();
        tool.rect.left = pixels(u"Left", tx);
        tool.rect.top = pixels(u"Top", ty);
        tool.rect.right = tool.rect.left + pixels(u"Width", tx) + 1;  // edges count as inside
        tool.rect.bottom = tool.rect.top + pixels(u"Height", ty) + 1;
    }
    // Already a tool of this window: nothing to add.
    const LRESULT count = SendMessageA(m_window, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TOOLINFOA seen{};
        seen.cbSize = TTTOOLINFOA_V2_SIZE;
        send(TTM_ENUMTOOLSA, static_cast<WPARAM>(i), &seen);
        if (own && seen.uId == *own) return;
    }
    m_toolText = toUtf8(text.empty() ? help::nameOf(control) : text);
    noteLength(m_toolText);
    tool.lpszText = m_toolText.data();
    m_tool = tool;
    send(TTM_ADDTOOLA, 0, &m_tool);
    setTitleIcon(title, icon);
    m_toolWindow = own ? *own : container;
    m_parentHwnd = container;
}

void ToolTip::detach() {
    if (m_window != 0 && m_tool.uId != 0) send(TTM_DELTOOLA, 0, &m_tool);
}

}  // namespace velmora
