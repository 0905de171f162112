#include "ui/handlers.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/messagebox.h"
#include "runtime/text.h"

namespace velmora {
namespace {

// The program's name as the platform titles its reports: the executable's name without ".exe".
std::string programName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string name = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "Velmora";
    name = name.substr(name.find_last_of('/') + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    return name;
}

}  // namespace

bool isHeldAnswerKey(const QKeyEvent& event) {
    const int key = event.key();
    return event.isAutoRepeat() && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape);
}

void endWithErrorReport(const RuntimeError& error) noexcept {
    const std::string name = programName();
    const std::string text =
        "Run-time error '" + std::to_string(error.number()) + "':\n\n" + toUtf8(error.description());
    std::fprintf(stderr, "%s: %s\n", name.c_str(), text.c_str());
    std::fflush(stderr);
    MessageBoxA(0, text.c_str(), name.c_str(), MB_OK | MB_ICONERROR);
    std::fflush(nullptr);
    // Nothing above the handler may run on: the error left the program in a state nobody planned for.
    _exit(1);
}

}  // namespace velmora
