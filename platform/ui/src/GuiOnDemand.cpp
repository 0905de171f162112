#include "ui/GuiOnDemand.h"

namespace velmora {

namespace {
GuiOnDemand* g_waiting = nullptr;
}  // namespace

GuiOnDemand::GuiOnDemand(int& argc, char** argv, GuiApplication::Screen screen,
                         std::function<void(GuiApplication&)> started)
    : m_argc(argc), m_argv(argv), m_screen(screen), m_started(std::move(started)) {
    g_waiting = this;
    // A message box is the other thing that needs the GUI: it makes it, then goes where the GUI sends it.
    m_previousPresenter =
        setMessageBoxPresenter([](HWND hwnd, const char* text, const char* caption, UINT type) {
            startWaiting();
            return MessageBoxA(hwnd, text, caption, type);
        });
}

GuiOnDemand::~GuiOnDemand() {
    if (!m_app) setMessageBoxPresenter(std::move(m_previousPresenter));
    m_app.reset();
    g_waiting = nullptr;
}

GuiApplication& GuiOnDemand::start() {
    if (!m_app) {
        // The application object chooses the presenter as it does when it comes first: a recorder
        // installed before keeps answering, otherwise real dialogs or, headless, standard error.
        setMessageBoxPresenter(std::move(m_previousPresenter));
        m_app = std::make_unique<GuiApplication>(m_argc, m_argv, m_screen);
        if (m_started) m_started(*m_app);
    }
    return *m_app;
}

GuiApplication* GuiOnDemand::startWaiting() {
    return g_waiting ? &g_waiting->start() : nullptr;
}

}  // namespace velmora
