#include "ui/GuiSession.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "ui/GuiApplication.h"

namespace {

// Qt keeps references to argc and argv for the application's life.
struct Session {
    int argc = 1;
    std::string name;
    char* argv[2] = {nullptr, nullptr};
    std::unique_ptr<velmora::GuiApplication> app;
};

std::unique_ptr<Session> g_session;

}  // namespace

extern "C" const char* velmoraGuiStart(const char* programName) {
    if (velmora::GuiApplication::current()) return "there already is a GUI application";
    auto session = std::make_unique<Session>();
    session->name = programName ? programName : "velmora";
    session->argv[0] = session->name.data();
    session->app = std::make_unique<velmora::GuiApplication>(session->argc, session->argv);
    if (!session->app->displayOpened()) {
        static std::string failure;
        failure = session->app->noDisplayReason() + " (or set QT_QPA_PLATFORM=offscreen)";
        return failure.c_str();
    }
    // The caller's steps decide when it ends, not the last window closing.
    velmora::GuiApplication::setQuitOnLastWindowClosed(false);
    g_session = std::move(session);
    return nullptr;
}

extern "C" void velmoraGuiRunFor(unsigned ms) {
    if (!g_session) return;
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

extern "C" void velmoraGuiStop() {
    g_session.reset();
}
