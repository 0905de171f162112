// ToolTip: one tooltip window (the platform's tooltip control) attached to one control of a form. Every
// member but Ctl, ParentHwnd and Interval does nothing, and reads 0 or empty, until the window exists.
// A control without a window of its own (a label) becomes a rectangle tool of its container's window.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "help/HelpEnums.h"
#include "runtime/exports.h"
#include "ui/commctrl.h"

namespace velmora {

class VELMORA_API ToolTip : public Dispatchable<ToolTip> {
  public:
    static const ClassInfo& describe();

    ToolTip();
    ~ToolTip() override;

    ObjectRef Ctl() const { return m_ctl; }
    void setCtl(ObjectRef control) { m_ctl = std::move(control); }
    Variant ParentHwnd() const { return Variant(static_cast<std::int32_t>(m_parentHwnd)); }
    void setInterval(std::int32_t& value) { m_interval = value; }
    std::int16_t Delay(std::int32_t ToolTipDelayTime) const;
    void setDelay(std::int32_t ToolTipDelayTime, std::int16_t milliseconds);
    std::u16string Text() const;
    void setText(std::u16string text);
    std::int32_t BackColor() const;
    void setBackColor(std::int32_t color);
    std::int32_t TextColor() const;
    void setTextColor(std::int32_t color);
    void setActivate(std::int32_t ToolTipActivateDirection, std::int16_t ordinate, std::int16_t absicca,
                     bool show);
    void setTitleIcon(std::u16string ToolTipTitle, std::int32_t icon);

    // The steps of ToolTips.Add: the window, owned by the form's window (when form has one and there is
    // no window yet), then the control as a tool of it (once: a control already a tool is not added again).
    void createWindow(const ObjectRef& form, std::int32_t style);
    void attach(const ObjectRef& control, const std::u16string& text, const std::u16string& title,
                std::int32_t icon, std::int32_t behavior);
    // Removes the tool from the window (TTM_DELTOOLA).
    void detach();

    HWND window() const noexcept { return m_window; }
    std::int32_t interval() const noexcept { return m_interval; }
    std::int32_t longestText() const noexcept { return m_longestText; }
    // Whether the window lists the tool record as one of its tools.
    bool isRegisteredTool() const;

  private:
    void send(UINT message, WPARAM wParam, const void* lParam) const;
    // The tool's screen rectangle: its window's, or its rectangle inside its container.
    bool toolScreenRect(RECT& rect) const;
    void noteLength(const std::string& text);

    HWND m_window = 0;
    ObjectRef m_ctl;
    TOOLINFOA m_tool{};
    std::string m_toolText;  // what m_tool.lpszText points at
    HWND m_toolWindow = 0;
    HWND m_parentHwnd = 0;
    std::int32_t m_interval = 0;
    std::int32_t m_longestText = 0;
    struct {
        std::int32_t direction = ACTIVATION_CENTER;
        std::int16_t ordinate = 0;
        std::int16_t absicca = 0;
        bool show = false;
    } m_activation;
};

}  // namespace velmora
