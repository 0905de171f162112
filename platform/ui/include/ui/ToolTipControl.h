// The tooltip control (window class "tooltips_class32"): a popup that shows the tip of one of its tools at
// a time, driven through the TTM_ messages (see commctrl.h). Tools with TTF_SUBCLASS are watched by the
// control itself: their tip appears when the mouse has rested on the tool for the initial delay, goes after
// the auto-pop delay or when the mouse leaves, and comes back after the (shorter) reshow delay when the
// mouse moves on to another tool. Any tool's tip is shown and moved by TTM_TRACKACTIVATE and
// TTM_TRACKPOSITION and stays until deactivated. With TTS_BALLOON the tip is a rounded balloon whose stem
// points at the anchor (the track position, or the cursor); the title, with its icon, heads the text.
// Texts wrap at kMaxTipWidth pixels and show at most kMaxTipText characters.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/win32types.h"
#include "ui/commctrl.h"
#include "ui/messages.h"

namespace velmora {

class ToolTipControl : public QWidget, public WindowMessageTarget {
    Q_OBJECT

  public:
    static constexpr int kMaxTipWidth = 360;
    static constexpr std::size_t kMaxTipText = 4096;
    static constexpr int kDefaultInitial = 500;
    static constexpr COLORREF kDefaultBackColor = 0x00E1FFFF;  // the info-tip yellow
    static constexpr COLORREF kDefaultTextColor = 0x00000000;

    struct Tool {
        UINT flags = 0;
        HWND hwnd = 0;
        UINT_PTR id = 0;
        RECT rect{};
        std::string text;
        LPARAM lParam = 0;
        QPointer<QWidget> watched;  // the window whose mouse the control follows
    };

    // style: the TTS_ bits; owner: the window that owns the control (it goes when its owner goes).
    ToolTipControl(DWORD style, QWidget* owner);
    ~ToolTipControl() override;

    LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The messages that carry a TOOLINFOA* have it checked before the control reads it.
    MessageParameters parametersOf(UINT message) const override;

    DWORD style() const noexcept { return m_style; }
    const std::vector<Tool>& tools() const noexcept { return m_tools; }
    // The tool whose tip is on show, or nullptr.
    const Tool* shownTool() const noexcept;
    // Where the stem (or the tip's corner, without TTS_BALLOON) points, in screen pixels.
    QPoint anchor() const noexcept { return m_anchor; }
    const std::string& title() const noexcept { return m_title; }
    WPARAM titleIcon() const noexcept { return m_icon; }
    // Whether the tip on show came from TTM_TRACKACTIVATE (true) or from the mouse resting on a tool.
    bool trackingShown() const noexcept { return m_shown >= 0 && m_byTracking; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The position of the tool a record names, or -1.
    int find(const TOOLINFOA* info) const;
    bool addTool(const TOOLINFOA* info);
    void deleteTool(const TOOLINFOA* info);
    void getText(WPARAM size, TOOLINFOA* info) const;
    void updateText(const TOOLINFOA* info);
    bool enumTool(WPARAM index, TOOLINFOA* info) const;
    void setDelay(WPARAM kind, int milliseconds);
    int delay(WPARAM kind) const;
    void trackActivate(bool on, const TOOLINFOA* info);
    void trackPosition(QPoint position);

    // The tool of a watched window under a point of that window, or -1.
    int toolAt(const QWidget* window, QPoint local) const;
    void hover(int tool);
    void showTip(int tool, QPoint anchor, bool byTracking);
    void hideTip();
    // Sizes and places the window around the anchor for the tip of the shown tool.
    void layoutTip();
    QString shownText() const;
    void watch(Tool& tool);
    void forgetWatched(QObject* window);

    DWORD m_style;
    bool m_active = true;
    std::vector<Tool> m_tools;
    std::string m_title;
    WPARAM m_icon = TTI_NONE;
    COLORREF m_backColor = kDefaultBackColor;
    COLORREF m_textColor = kDefaultTextColor;
    int m_initial = kDefaultInitial;
    int m_autoPop = kDefaultInitial * 10;
    int m_reshow = kDefaultInitial / 5;

    int m_shown = -1;
    bool m_byTracking = false;
    bool m_stemUp = true;  // the balloon hangs below its anchor
    int m_stemX = 0;       // the stem's x inside the window
    QPoint m_anchor;
    QPoint m_trackPosition;
    int m_pending = -1;  // the tool waiting for its initial delay
    QTimer m_showTimer;
    QTimer m_popTimer;
    qint64 m_hiddenAt = -1;  // ms since epoch when a hover tip went, for the reshow delay
};

}  // namespace velmora
