#include "ui/ToolTipControl.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cstring>

#include "ui/WindowHandles.h"

namespace velmora {

namespace {

constexpr int kMargin = 8;       // between the outline and the text
constexpr int kRadius = 8;       // the balloon's corners
constexpr int kStemHeight = 14;  // from the bubble to the anchor
constexpr int kStemWidth = 14;   // where the stem meets the bubble
constexpr int kStemInset = 20;   // the stem's distance from the bubble's nearer side
constexpr int kIconSize = 16;
constexpr int kCursorHeight = 20;  // a plain tip goes below the cursor

bool validRecord(const TOOLINFOA* info) {
    return info && (info->cbSize == TTTOOLINFOA_V1_SIZE || info->cbSize == TTTOOLINFOA_V2_SIZE ||
                    info->cbSize == TTTOOLINFOA_V3_SIZE);
}

// A text pointer that really points at text: not null, not a resource number, not the callback marker.
const char* textOf(const TOOLINFOA* info) {
    const auto value = reinterpret_cast<std::uintptr_t>(info->lpszText);
    if (value < 0x10000 || value == static_cast<std::uintptr_t>(-1)) return nullptr;
    return info->lpszText;
}

QColor colorOf(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QIcon iconOf(WPARAM icon) {
    QStyle* style = QApplication::style();
    switch (icon) {
        case TTI_INFO:
            return style->standardIcon(QStyle::SP_MessageBoxInformation);
        case TTI_WARNING:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
        case TTI_ERROR:
            return style->standardIcon(QStyle::SP_MessageBoxCritical);
        default:
            return {};
    }
}

QRect availableAround(QPoint point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
}

}  // namespace

ToolTipControl::ToolTipControl(DWORD style, QWidget* owner)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_style(style) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setObjectName(QStringLiteral("tooltips_class32"));
    m_showTimer.setSingleShot(true);
    m_popTimer.setSingleShot(true);
    QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] {
        if (m_pending >= 0) showTip(m_pending, QCursor::pos(), false);
        m_pending = -1;
    });
    QObject::connect(&m_popTimer, &QTimer::timeout, this, [this] {
        if (!m_byTracking) hideTip();
    });
    // Owned windows go with their owner.
    if (owner) QObject::connect(owner, &QObject::destroyed, this, [this] { delete this; });
}

ToolTipControl::~ToolTipControl() {
    for (Tool& tool : m_tools)
        if (tool.watched) tool.watched->removeEventFilter(this);
}

const ToolTipControl::Tool* ToolTipControl::shownTool() const noexcept {
    return m_shown >= 0 ? &m_tools[static_cast<std::size_t>(m_shown)] : nullptr;
}

MessageParameters ToolTipControl::parametersOf(UINT message) const {
    MessageParameters parameters;
    switch (message) {
        case TTM_ADDTOOLA:
        case TTM_DELTOOLA:
        case TTM_ENUMTOOLSA:
        case TTM_GETTEXTA:
        case TTM_UPDATETIPTEXTA:
        case TTM_TRACKACTIVATE:
            parameters.lParam = MessageParameter::Record;
            parameters.recordSize = TTTOOLINFOA_V1_SIZE;
            break;
        default:
            break;
    }
    return parameters;
}

LRESULT ToolTipControl::windowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
    switch (message) {
        case TTM_ACTIVATE:
            m_active = wParam != 0;
            if (!m_active && !m_byTracking) hideTip();
            return 0;
        case TTM_ADDTOOLA:
            return addTool(info) ? TRUE : FALSE;
        case TTM_DELTOOLA:
            deleteTool(info);
            return 0;
        case TTM_GETTOOLCOUNT:
            return static_cast<LRESULT>(m_tools.size());
        case TTM_ENUMTOOLSA:
            return enumTool(wParam, info) ? TRUE : FALSE;
        case TTM_GETTEXTA:
            getText(wParam, info);
            return 0;
        case TTM_UPDATETIPTEXTA:
            updateText(info);
            return 0;
        case TTM_SETTITLEA: {
            const char* title = reinterpret_cast<const char*>(lParam);
            m_title = title ? std::string(title, strnlen(title, kToolTipTitleMax)) : std::string();
            m_icon = wParam <= TTI_ERROR ? wParam : TTI_NONE;
            if (m_shown >= 0) layoutTip();
            return TRUE;
        }
        case TTM_SETDELAYTIME:
            setDelay(wParam, static_cast<std::int16_t>(lParam & 0xFFFF));
            return 0;
        case TTM_GETDELAYTIME:
            return delay(wParam);
        case TTM_TRACKACTIVATE:
            trackActivate(wParam != 0, info);
            return 0;
        case TTM_TRACKPOSITION:
            trackPosition(QPoint(static_cast<std::int16_t>(lParam & 0xFFFF),
                                 static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)));
            return 0;
        case TTM_SETTIPBKCOLOR:
            m_backColor = static_cast<COLORREF>(wParam);
            update();
            return 0;
        case TTM_SETTIPTEXTCOLOR:
            m_textColor = static_cast<COLORREF>(wParam);
            update();
            return 0;
        case TTM_GETTIPBKCOLOR:
            return m_backColor;
        case TTM_GETTIPTEXTCOLOR:
            return m_textColor;
        default:
            return 0;
    }
}

int ToolTipControl::find(const TOOLINFOA* info) const {
    if (!validRecord(info)) return -1;
    for (std::size_t i = 0; i < m_tools.size(); ++i)
        if (m_tools[i].hwnd == info->hwnd && m_tools[i].id == info->uId) return static_cast<int>(i);
    return -1;
}

bool ToolTipControl::addTool(const TOOLINFOA* info) {
    if (!validRecord(info)) return false;
    Tool tool;
    tool.flags = info->uFlags;
    tool.hwnd = info->hwnd;
    tool.id = info->uId;
    tool.rect = info->rect;
    if (const char* text = textOf(info)) tool.text = text;
    if (info->cbSize >= TTTOOLINFOA_V2_SIZE) tool.lParam = info->lParam;
    m_tools.push_back(std::move(tool));
    watch(m_tools.back());
    return true;
}

void ToolTipControl::watch(Tool& tool) {
    const HWND window = (tool.flags & TTF_IDISHWND) ? static_cast<HWND>(tool.id) : tool.hwnd;
    tool.watched = widgetOf(window);
    if (!tool.watched) return;
    // A window that goes while its tip shows takes the tip with it.
    QObject::connect(tool.watched, &QObject::destroyed, this, &ToolTipControl::forgetWatched,
                     Qt::UniqueConnection);
    if (tool.flags & TTF_SUBCLASS) {
        tool.watched->setAttribute(Qt::WA_Hover);
        tool.watched->installEventFilter(this);
    }
}

void ToolTipControl::forgetWatched(QObject* window) {
    // A widget signals its end before its guarded pointers are cleared: compare with the window itself.
    const auto goes = [&](int index) {
        if (index < 0) return false;
        const Tool& tool = m_tools[static_cast<std::size_t>(index)];
        return tool.watched.isNull() || static_cast<QObject*>(tool.watched.data()) == window;
    };
    if (goes(m_shown)) hideTip();
    if (goes(m_pending)) {
        m_showTimer.stop();
        m_pending = -1;
    }
}

void ToolTipControl::deleteTool(const TOOLINFOA* info) {
    const int index = find(info);
    if (index < 0) return;
    if (index == m_shown) hideTip();
    if (index == m_pending) {
        m_showTimer.stop();
        m_pending = -1;
    }
    QPointer<QWidget> watched = m_tools[static_cast<std::size_t>(index)].watched;
    m_tools.erase(m_tools.begin() + index);
    if (m_shown > index) --m_shown;
    if (m_pending > index) --m_pending;
    const bool stillWatched =
        std::any_of(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.watched == watched; });
    if (watched && !stillWatched) watched->removeEventFilter(this);
}

bool ToolTipControl::enumTool(WPARAM index, TOOLINFOA* info) const {
    if (!validRecord(info) || index >= m_tools.size()) return false;
    const Tool& tool = m_tools[index];
    info->uFlags = tool.flags;
    info->hwnd = tool.hwnd;
    info->uId = tool.id;
    info->rect = tool.rect;
    info->hinst = nullptr;
    if (info->cbSize >= TTTOOLINFOA_V2_SIZE) info->lParam = tool.lParam;
    return true;
}

void ToolTipControl::getText(WPARAM size, TOOLINFOA* info) const {
    const int index = find(info);
    if (index < 0 || size == 0 || !textOf(info)) return;
    const std::string& text = m_tools[static_cast<std::size_t>(index)].text;
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(info->lpszText, text.data(), length);
    info->lpszText[length] = '\0';
}

void ToolTipControl::updateText(const TOOLINFOA* info) {
    const int index = find(info);
    if (index < 0) return;
    const char* text = textOf(info);
    m_tools[static_cast<std::size_t>(index)].text = text ? text : "";
    if (index == m_shown) layoutTip();
}

void ToolTipControl::setDelay(WPARAM kind, int milliseconds) {
    const bool reset = milliseconds < 0;
    switch (kind) {
        case TTDT_AUTOMATIC: {
            const int initial = reset ? kDefaultInitial : milliseconds;
            m_initial = initial;
            m_autoPop = initial * 10;
            m_reshow = initial / 5;
            break;
        }
        case TTDT_RESHOW:
            m_reshow = reset ? m_initial / 5 : milliseconds;
            break;
        case TTDT_AUTOPOP:
            m_autoPop = reset ? m_initial * 10 : milliseconds;
            break;
        case TTDT_INITIAL:
            m_initial = reset ? kDefaultInitial : milliseconds;
            break;
        default:
            break;
    }
}

int ToolTipControl::delay(WPARAM kind) const {
    switch (kind) {
        case TTDT_RESHOW:
            return m_reshow;
        case TTDT_INITIAL:
            return m_initial;
        case TTDT_AUTOMATIC:
        case TTDT_AUTOPOP:
            return m_autoPop;
        default:
            return 0;
    }
}

void ToolTipControl::trackActivate(bool on, const TOOLINFOA* info) {
    const int index = find(info);
    if (index < 0) return;
    if (on) {
        m_showTimer.stop();
        m_pending = -1;
        showTip(index, m_trackPosition, true);
    } else if (index == m_shown) {
        hideTip();
    }
}

void ToolTipControl::trackPosition(QPoint position) {
    m_trackPosition = position;
    if (m_shown >= 0 && m_byTracking) {
        m_anchor = position;
        layoutTip();
    }
}

int ToolTipControl::toolAt(const QWidget* window, QPoint local) const {
    for (std::size_t i = 0; i < m_tools.size(); ++i) {
        const Tool& tool = m_tools[i];
        if (tool.watched != window || !(tool.flags & TTF_SUBCLASS) || (tool.flags & TTF_TRACK)) continue;
        if (tool.flags & TTF_IDISHWND) return static_cast<int>(i);
        const QRect rect(QPoint(tool.rect.left, tool.rect.top),
                         QPoint(tool.rect.right - 1, tool.rect.bottom - 1));
        if (rect.contains(local)) return static_cast<int>(i);
    }
    return -1;
}

bool ToolTipControl::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window) return false;
    switch (event->type()) {
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::MouseMove: {
            const QPoint local = window->mapFromGlobal(QCursor::pos());
            hover(toolAt(window, local));
            break;
        }
        case QEvent::Leave:
        case QEvent::HoverLeave:
        case QEvent::MouseButtonPress:
        case QEvent::Hide:
            hover(-1);
            break;
        default:
            break;
    }
    return false;
}

void ToolTipControl::hover(int tool) {
    if (m_byTracking && m_shown >= 0) return;  // a tracked tip stays until it is deactivated
    if (tool >= 0 && (tool == m_shown || tool == m_pending)) return;
    const bool wasShowing = m_shown >= 0;
    if (wasShowing) hideTip();
    m_showTimer.stop();
    m_pending = -1;
    if (tool < 0 || !m_active) return;
    // Moving on from one tip to the next takes the shorter reshow delay.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool reshow = wasShowing || (m_hiddenAt >= 0 && now - m_hiddenAt <= m_initial);
    m_pending = tool;
    m_showTimer.start(std::max(0, reshow ? m_reshow : m_initial));
}

void ToolTipControl::showTip(int tool, QPoint anchor, bool byTracking) {
    m_shown = tool;
    m_byTracking = byTracking;
    m_anchor = anchor;
    layoutTip();
    show();
    if (byTracking)
        m_popTimer.stop();
    else
        m_popTimer.start(std::max(0, m_autoPop));
}

void ToolTipControl::hideTip() {
    if (m_shown < 0) return;
    if (!m_byTracking) m_hiddenAt = QDateTime::currentMSecsSinceEpoch();
    m_shown = -1;
    m_byTracking = false;
    m_popTimer.stop();
    hide();
}

QString ToolTipControl::shownText() const {
    if (m_shown < 0) return {};
    const std::string& text = m_tools[static_cast<std::size_t>(m_shown)].text;
    QString shown =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(text.size(), kMaxTipText)));
    if (text.size() > kMaxTipText) shown += QChar(0x2026);
    return shown;
}

namespace {

// The pieces of a tip, measured: title row and wrapped text inside the outline.
struct TipLayout {
    QRect titleRect;
    QRect textRect;
    QSize content;
};

// Word wrapping, or wrapping anywhere for a word too long for a line.
int wrapFlags(const QFontMetrics& metrics, const QString& text) {
    const QRect words =
        metrics.boundingRect(QRect(0, 0, ToolTipControl::kMaxTipWidth, 1 << 20), Qt::TextWordWrap, text);
    return words.width() > ToolTipControl::kMaxTipWidth ? Qt::TextWrapAnywhere : Qt::TextWordWrap;
}

TipLayout measure(const QWidget& widget, const QString& title, bool hasIcon, const QString& text) {
    TipLayout layout;
    QFont bold = widget.font();
    bold.setBold(true);
    const QFontMetrics plain(widget.font());
    const QFontMetrics strong(bold);
    int width = 0;
    int height = 0;
    if (!title.isEmpty() || hasIcon) {
        const int titleWidth = (hasIcon ? kIconSize + 6 : 0) + strong.horizontalAdvance(title);
        const int titleHeight = std::max(hasIcon ? kIconSize : 0, strong.height());
        layout.titleRect = QRect(0, 0, std::min(titleWidth, ToolTipControl::kMaxTipWidth), titleHeight);
        width = layout.titleRect.width();
        height = titleHeight + 4;
    }
    const QRect textBounds =
        plain.boundingRect(QRect(0, 0, ToolTipControl::kMaxTipWidth, 1 << 20), wrapFlags(plain, text), text);
    layout.textRect = QRect(0, height, textBounds.width(), textBounds.height());
    width = std::max(width, textBounds.width());
    height += textBounds.height();
    layout.content = QSize(std::max(width, 1), std::max(height, 1));
    return layout;
}

}  // namespace

void ToolTipControl::layoutTip() {
    const bool balloon = m_style & TTS_BALLOON;
    const TipLayout tip = measure(*this, QString::fromUtf8(m_title), m_icon != TTI_NONE, shownText());
    const QSize bubble = tip.content + QSize(2 * kMargin, 2 * kMargin);
    const QRect screen = availableAround(m_anchor);
    if (!balloon) {
        QPoint topLeft = m_anchor;
        const bool absolute =
            m_byTracking && m_shown >= 0 && (m_tools[static_cast<std::size_t>(m_shown)].flags & TTF_ABSOLUTE);
        if (!absolute && !m_byTracking) topLeft += QPoint(0, kCursorHeight);
        topLeft.setX(
            std::clamp(topLeft.x(), screen.left(), std::max(screen.left(), screen.right() - bubble.width())));
        topLeft.setY(
            std::clamp(topLeft.y(), screen.top(), std::max(screen.top(), screen.bottom() - bubble.height())));
        setGeometry(QRect(topLeft, bubble));
        update();
        return;
    }
    const QSize window(bubble.width(), bubble.height() + kStemHeight);
    // Below the anchor, stem up; above it when there is no room below.
    m_stemUp =
        m_anchor.y() + window.height() <= screen.bottom() || m_anchor.y() - window.height() < screen.top();
    const int stemInset = std::min(kStemInset, bubble.width() / 2);
    int left = m_anchor.x() - stemInset;
    left = std::clamp(left, screen.left(), std::max(screen.left(), screen.right() - window.width()));
    const int top = m_stemUp ? m_anchor.y() : m_anchor.y() - window.height();
    m_stemX = std::clamp(m_anchor.x() - left, kRadius, std::max(kRadius, window.width() - kRadius));
    setGeometry(QRect(QPoint(left, top), window));
    update();
}

void ToolTipControl::paintEvent(QPaintEvent*) {
    if (m_shown < 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool balloon = m_style & TTS_BALLOON;
    const QColor back = colorOf(m_backColor);
    const QColor fore = colorOf(m_textColor);
    QRectF bubble = rect();
    QPainterPath outline;
    if (balloon) {
        bubble = QRectF(0.5, (m_stemUp ? kStemHeight : 0) + 0.5, width() - 1.0, height() - kStemHeight - 1.0);
        outline.addRoundedRect(bubble, kRadius, kRadius);
        QPainterPath stem;
        const qreal edge = m_stemUp ? bubble.top() + 1 : bubble.bottom() - 1;
        const qreal tip = m_stemUp ? 0.5 : height() - 0.5;
        const qreal baseLeft = std::clamp<qreal>(m_stemX - kStemWidth / 2.0, bubble.left() + kRadius,
                                                 bubble.right() - kRadius - kStemWidth);
        stem.moveTo(baseLeft, edge);
        stem.lineTo(m_stemX, tip);
        stem.lineTo(baseLeft + kStemWidth, edge);
        stem.closeSubpath();
        outline = outline.united(stem);
    } else {
        bubble = QRectF(0.5, 0.5, width() - 1.0, height() - 1.0);
        outline.addRect(bubble);
    }
    painter.setPen(QPen(fore.lightness() > 128 ? fore : QColor(0x76, 0x76, 0x76), 1));
    painter.setBrush(back);
    painter.drawPath(outline);

    const QString title = QString::fromUtf8(m_title);
    const TipLayout tip = measure(*this, title, m_icon != TTI_NONE, shownText());
    const QPoint origin(kMargin, static_cast<int>(bubble.top()) + kMargin);
    painter.setPen(fore);
    if (!tip.titleRect.isNull()) {
        int x = origin.x();
        if (m_icon != TTI_NONE) {
            iconOf(m_icon).paint(&painter, QRect(x, origin.y() + (tip.titleRect.height() - kIconSize) / 2,
                                                 kIconSize, kIconSize));
            x += kIconSize + 6;
        }
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(
            QRect(x, origin.y(), tip.titleRect.right() - x + kMargin + 1, tip.titleRect.height()),
            Qt::AlignVCenter | Qt::AlignLeft, title);
        painter.setFont(font());
    }
    painter.drawText(tip.textRect.translated(origin), wrapFlags(QFontMetrics(font()), shownText()),
                     shownText());
}

}  // namespace velmora
