#include "ui/GuiApplication.h"

#include <QDBusConnection>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <vector>

#include "MessageBoxDialog.h"
#include "UiState.h"
#include "eventloop.h"
#include "platform/messagebox.h"
#include "platform/queue.h"
#include "ui/GuiOnDemand.h"
#include "ui/application.h"

namespace velmora {
namespace {

std::atomic<GuiApplication*> g_current{nullptr};
MessageQueueHook g_previousHook;
bool g_ownPresenter = false;

// Qt's own words while it looks for a display: dropped when none opens (the program says it in one
// line), passed on when one does.
struct HeldMessage {
    QtMsgType type;
    QString text;
};
std::vector<HeldMessage> g_held;
QtMessageHandler g_previousHandler = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    g_held.push_back({type, text});
}

std::string setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool namesNobodysScreen(const std::string& platforms) {
    return platforms.find("offscreen") != std::string::npos || platforms.find("minimal") != std::string::npos;
}

// What QApplication is given, made before it and kept for its life (Qt keeps references to argc and
// argv): the program's name alone, and the platforms it is to try.
struct QtStart {
    std::string name;
    int argc = 1;
    char* argv[2] = {nullptr, nullptr};
    std::string platformSetting;
    bool fellBack = false;  // offscreen was added as the last resort
    std::string tried;
};

QtStart& qtStart() {
    static QtStart start;
    return start;
}

QtStart& prepareQtStart(const char* programName) {
    QtStart& start = qtStart();
    start = QtStart{};
    start.name = programName && *programName ? programName : "velmora";
    start.argv[0] = start.name.data();
    start.platformSetting = setting("QT_QPA_PLATFORM");
    std::string wanted = start.platformSetting;
    if (wanted.empty()) {
        if (!setting("DISPLAY").empty()) wanted = "xcb";
        if (!setting("WAYLAND_DISPLAY").empty()) wanted += wanted.empty() ? "wayland" : ";wayland";
    }
    // A platform nobody sees was asked for: that is what the caller wants (tests run so).
    if (!wanted.empty() && namesNobodysScreen(wanted)) return start;
    start.fellBack = true;
    start.tried = wanted;
    // Qt tries each in turn; without the last one it ends the process when no display opens.
    setenv("QT_QPA_PLATFORM", (wanted.empty() ? std::string("offscreen") : wanted + ";offscreen").c_str(), 1);
    g_held.clear();
    g_previousHandler = qInstallMessageHandler(&holdMessage);
    return start;
}

}  // namespace

GuiApplication::GuiApplication(int& argc, char** argv, Screen screen)
    : QApplication(prepareQtStart(argc > 0 ? argv[0] : nullptr).argc, qtStart().argv),
      m_platformSetting(qtStart().platformSetting),
      m_tried(qtStart().tried),
      m_state(std::make_unique<UiState>()) {
    const QString platform = platformName();
    if (qtStart().fellBack) {
        // The servers this process starts choose for themselves, from the environment as it was.
        if (m_platformSetting.empty())
            unsetenv("QT_QPA_PLATFORM");
        else
            setenv("QT_QPA_PLATFORM", m_platformSetting.c_str(), 1);
        qInstallMessageHandler(g_previousHandler);
        m_displayOpened = platform != QStringLiteral("offscreen");
        if (m_displayOpened)
            for (const HeldMessage& message : g_held) qt_message_output(message.type, {}, message.text);
        g_held.clear();
    }
    m_headless = screen == Screen::Optional &&
                 (platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal"));
    g_current.store(this, std::memory_order_release);
    installEventFilter(&m_state->windowEvents());
    g_previousHook = setMessageQueueHook({&guiQueueStatus, &guiProcessMessages});
    // A presenter installed before us (a test's recorder) keeps answering. Nobody could answer a box on a
    // server's invisible screen: there the platform's own presenter writes it to standard error.
    MessageBoxPresenter previous = setMessageBoxPresenter(&showMessageBoxDialog);
    g_ownPresenter = !previous && !m_headless;
    if (!g_ownPresenter) setMessageBoxPresenter(std::move(previous));
}

GuiApplication::~GuiApplication() {
    // The bus belongs to the application object: its connection is made before the object goes.
    if (m_busConnecting.joinable()) m_busConnecting.join();
    setMessageQueueHook(g_previousHook);
    if (g_ownPresenter) setMessageBoxPresenter({});
    g_current.store(nullptr, std::memory_order_release);
    m_state.reset();  // timers and window records go before Qt does
}

void GuiApplication::connectSessionBusAhead() {
    const QString platform = platformName();
    if (!m_displayOpened || platform == QStringLiteral("offscreen") ||
        platform == QStringLiteral("minimal") || m_busConnecting.joinable())
        return;
    m_busConnecting = std::thread([] { QDBusConnection::sessionBus(); });
}

GuiApplication* GuiApplication::current() noexcept {
    return g_current.load(std::memory_order_acquire);
}

std::string GuiApplication::noDisplayReason() const {
    if (m_tried.empty()) return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    const std::string x = setting("DISPLAY");
    const std::string wayland = setting("WAYLAND_DISPLAY");
    std::string named = !x.empty() ? "DISPLAY=" + x : "WAYLAND_DISPLAY=" + wayland;
    if (!x.empty() && !wayland.empty()) named += ", WAYLAND_DISPLAY=" + wayland;
    if (!m_platformSetting.empty()) named = "QT_QPA_PLATFORM=" + m_platformSetting;
    return "no display: cannot open the display (" + named + ")";
}

UiState* uiState() noexcept {
    GuiApplication* app = GuiApplication::current();
    return app ? &app->state() : nullptr;
}

bool guiApplicationRunning() noexcept {
    return GuiApplication::current() != nullptr;
}

bool onGuiThread() noexcept {
    GuiApplication* app = GuiApplication::current();
    return app && QThread::currentThread() == app->thread();
}

bool headlessServer() noexcept {
    GuiApplication* app = GuiApplication::current();
    // Asked before a window opens: a server whose GUI waits for its first need has it now.
    if (!app) app = GuiOnDemand::startWaiting();
    return app && app->headless();
}

}  // namespace velmora
