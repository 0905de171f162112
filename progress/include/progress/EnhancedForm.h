// EnhancedForm: window effects for a top-level window given by its handle: always on top, show and
// hide, translucency, a soft drop shadow painted on the screen, and minimum/maximum tracking sizes. The
// shadow and the size limits follow the window's messages through Hookline. Every effect waits for a
// handle of 1 or more.
#pragma once

#include <cstdint>

#include "platform/version.h"
#include "ui/Hookline.h"
#include "ui/gdi.h"
#include "ui/windows.h"

namespace velmora {

class EnhancedForm : public ISubclass {
  public:
    // Levels below 5 have no layered windows (see operatingSystemLevel).
    EnhancedForm();
    explicit EnhancedForm(int osLevel);
    ~EnhancedForm();
    EnhancedForm(const EnhancedForm&) = delete;
    EnhancedForm& operator=(const EnhancedForm&) = delete;

    HWND hWnd() const noexcept { return m_hWnd; }
    void sethWnd(HWND hWnd) noexcept { m_hWnd = hWnd; }

    void setAlwaysOnTop(bool onTop);
    void setVisible(bool visible);
    void setTranslucent(std::uint8_t opacity);
    void setShadow(bool shadow);
    void setEnforceSize(bool enforce);

    // Written in twips, read in pixels.
    std::int32_t MinWidth() const noexcept { return m_minWidth; }
    void setMinWidth(std::int32_t twips);
    std::int32_t MinHeight() const noexcept { return m_minHeight; }
    void setMinHeight(std::int32_t twips);
    std::int32_t MaxWidth() const noexcept { return m_maxWidth; }
    void setMaxWidth(std::int32_t twips);
    std::int32_t MaxHeight() const noexcept { return m_maxHeight; }
    void setMaxHeight(std::int32_t twips);

    void ResizeToMax();

    std::int32_t ISubclass_MsgResponse() override { return m_response; }
    void setISubclass_MsgResponse(std::int32_t response) override;
    LRESULT iSubclass_WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    // The soft shadow below and right of rect (right and bottom just outside the window) on dc.
    static void paintShadow(RECT rect, HDC dc);
    // 0 for 4.0 outside the NT line, 4 for NT 4.0, 1 for 4.10, 2 for 4.90, 3 for 3.51, 5 for 5.0, 6 for
    // 5.1, 8 for anything else.
    static int operatingSystemLevel(const OSVERSIONINFOA& version) noexcept;

  private:
    bool hasWindow() const noexcept { return m_hWnd >= 1; }
    void follow(UINT message, bool on);
    static void paintLayer(HDC dc, const RECT& rect, int level);
    static void darken(HDC dc, int x, int y, int level);

    HWND m_hWnd = 0;
    int m_osLevel;
    bool m_alwaysOnTop = false;
    bool m_visible = false;
    bool m_shadow = false;
    bool m_enforceSize = false;
    std::int32_t m_minWidth = 0;
    std::int32_t m_minHeight = 0;
    std::int32_t m_maxWidth;
    std::int32_t m_maxHeight;
    std::int32_t m_response = emrPreprocess;
};

}  // namespace velmora
