#include "progress/frmProgressBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "progress/mAnimation.h"
#include "runtime/Error.h"
#include "ui/WindowHandles.h"
#include "ui/windows.h"

namespace velmora {

namespace {

frmProgressBar::KeepAlive& keepAliveMaker() {
    static frmProgressBar::KeepAlive make;
    return make;
}

// The window's client area in twips, around its controls.
constexpr int kClientWidth = 5760;
constexpr int kClientHeight = 2280;
constexpr qint64 kFrameMs = 16;
// Late enough not to compete with the client's own dialog coming up, early enough for a quick user.
constexpr int kWarmUpDelayMs = 50;

}  // namespace

namespace {
QPointer<QApplication> g_warmUpPlannedIn;  // the application whose loop will run it
bool g_warm = false;
}  // namespace

void frmProgressBar::warmUpSoon() {
    auto* const application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (g_warm || !application || g_warmUpPlannedIn == application) return;
    g_warmUpPlannedIn = application;
    QTimer::singleShot(kWarmUpDelayMs, application, [] {
        const QLabel label(QStringLiteral("Initializing"));
        label.ensurePolished();
        QFontMetrics(label.font()).horizontalAdvance(label.text());
        static_cast<void>(label.sizeHint());
        g_warm = true;
    });
}

bool frmProgressBar::warmedUp() {
    return g_warm;
}

void frmProgressBar::setKeepAlive(KeepAlive make) {
    keepAliveMaker() = std::move(make);
}

frmProgressBar::frmProgressBar() : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("frmProgressBar");
    setAttribute(Qt::WA_DeleteOnClose);
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &frmProgressBar::showFrame);
    build();
    if (keepAliveMaker()) m_keepAlive = keepAliveMaker()();
}

frmProgressBar::~frmProgressBar() = default;

void frmProgressBar::build() {
    Animation1 = new AnimationControl(this);
    lblProgressStatus = new QLabel(this);
    ProgressBar1 = new SkinProgressBar(this);
    Button1 = new SkinButton(this);
    lblTimeRemaining = new QLabel(this);
    Animation1->setObjectName("Animation1");
    lblProgressStatus->setObjectName("lblProgressStatus");
    ProgressBar1->setObjectName("ProgressBar1");
    Button1->setObjectName("Button1");
    lblTimeRemaining->setObjectName("lblTimeRemaining");
    place(Animation1, 120, 120, 4695, 975);
    place(lblProgressStatus, 120, 1200, 4215, 255);
    place(ProgressBar1, 120, 1440, 4335, 255);
    place(Button1, 4560, 1440, 975, 375);
    place(lblTimeRemaining, 120, 1800, 4335, 255);
    Button1->setCaption(QStringLiteral("Cancel"));
    Button1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // The Cancel button starts unavailable; CanCancel makes it available.
    Button1->setEnabled(false);
    setFixedSize(kClientWidth / twipsPerPixelX(), kClientHeight / twipsPerPixelY());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmProgressBar::place(QWidget* control, int left, int top, int width, int height) {
    const int x = twipsPerPixelX();
    const int y = twipsPerPixelY();
    control->setGeometry(left / x, top / y, width / x, height / y);
}

void frmProgressBar::BeginControl(const std::u16string& caption, const std::u16string& status,
                                  std::int32_t min, std::int32_t max, std::int32_t anim, bool& success) {
    try {
        m_enhanced = std::make_unique<EnhancedForm>();
        m_enhanced->sethWnd(handleOf(this));
        setWindowTitle(QString::fromStdU16String(caption));
        ProgressBar1->setMin(min);
        ProgressBar1->setMax(max);
        lblProgressStatus->setText(QString::fromStdU16String(status));
        show();
        // Paint before the call returns; client calls wait meanwhile, so none is served in between.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        success = true;
        StartAnimation(Animation1, anim);
    } catch (...) {
        // A window that cannot be built leaves the object uninitialised; nothing is reported.
    }
}

bool frmProgressBar::CanCancel() const {
    return Button1->Enabled();
}

void frmProgressBar::setCanCancel(bool canCancel) {
    Button1->setEnabled(canCancel);
}

void frmProgressBar::setAlwaysOnTop(bool onTop) {
    // A window whose build failed early has no companion; the write then has nothing to act on.
    if (m_enhanced) m_enhanced->setAlwaysOnTop(onTop);
}

std::u16string frmProgressBar::Task() const {
    return (m_task ? *m_task : lblProgressStatus->text()).toStdU16String();
}

void frmProgressBar::setTask(const std::u16string& strTask) {
    m_task = QString::fromStdU16String(strTask);
    scheduleFrame();
}

// The first write after a quiet spell shows at once (with the next pass of the event loop); writes that
// follow within a frame wait for the next one.
void frmProgressBar::scheduleFrame() {
    if (m_frame.isActive()) return;
    const qint64 since = m_shown.isValid() ? m_shown.elapsed() : kFrameMs;
    m_frame.start(static_cast<int>(std::max<qint64>(0, kFrameMs - since)));
}

void frmProgressBar::showFrame() {
    m_frame.stop();
    if (m_task) lblProgressStatus->setText(*std::exchange(m_task, std::nullopt));
    if (m_value) ProgressBar1->setValue(*std::exchange(m_value, std::nullopt));
    m_shown.start();
}

void frmProgressBar::AddValue(std::int32_t lgnAddAmount) {
    showFrame();
    std::int32_t sum = 0;
    if (__builtin_add_overflow(ProgressBar1->Value(), lgnAddAmount, &sum)) velmora::raise(err::Overflow);
    if (sum >= ProgressBar1->Max()) {
        ProgressBar1->setValue(ProgressBar1->Max());
        Unload();
        return;
    }
    ProgressBar1->setValue(sum);
}

std::int32_t frmProgressBar::value() const {
    return m_value ? *m_value : ProgressBar1->Value();
}

void frmProgressBar::setValue(std::int32_t lngValue) {
    // The maximum itself never shows: a full bar comes only from AddValue, which closes the window.
    if (lngValue < 0 || lngValue >= ProgressBar1->Max()) return;
    m_value = lngValue;
    scheduleFrame();
}

void frmProgressBar::setMin(std::int32_t min) {
    showFrame();
    ProgressBar1->setMin(min);
}

void frmProgressBar::setMax(std::int32_t max) {
    showFrame();
    ProgressBar1->setMax(max);
}

void frmProgressBar::Unload() {
    close();
}

void frmProgressBar::closeEvent(QCloseEvent* event) {
    m_unloaded = true;
    m_frame.stop();
    Animation1->Close();
    m_enhanced.reset();
    m_keepAlive.reset();
    event->accept();
}

}  // namespace velmora
