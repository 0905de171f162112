#include "ui/GuiApplication.h"

#include <QThread>
#include <atomic>

#include "MessageBoxDialog.h"
#include "UiState.h"
#include "eventloop.h"
#include "platform/messagebox.h"
#include "platform/queue.h"
#include "ui/application.h"

namespace velmora {
namespace {

std::atomic<GuiApplication*> g_current{nullptr};
MessageQueueHook g_previousHook;
bool g_ownPresenter = false;

}  // namespace

GuiApplication::GuiApplication(int& argc, char** argv)
    : QApplication(argc, argv), m_state(std::make_unique<UiState>()) {
    g_current.store(this, std::memory_order_release);
    installEventFilter(&m_state->windowEvents());
    g_previousHook = setMessageQueueHook({&guiQueueStatus, &guiProcessMessages});
    // A presenter installed before us (a test's recorder) keeps answering.
    MessageBoxPresenter previous = setMessageBoxPresenter(&showMessageBoxDialog);
    g_ownPresenter = !previous;
    if (!g_ownPresenter) setMessageBoxPresenter(std::move(previous));
}

GuiApplication::~GuiApplication() {
    setMessageQueueHook(g_previousHook);
    if (g_ownPresenter) setMessageBoxPresenter({});
    g_current.store(nullptr, std::memory_order_release);
    m_state.reset();  // timers and window records go before Qt does
}

GuiApplication* GuiApplication::current() noexcept {
    return g_current.load(std::memory_order_acquire);
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

}  // namespace velmora
