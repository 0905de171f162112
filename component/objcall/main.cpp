// objcall: creates one object by programmatic identifier and runs steps on it, printing each result,
// the by-reference arguments the call changed and the events raised meanwhile.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "GuiHost.h"
#include "ValueSyntax.h"
#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "platform/owned.h"
#include "runtime/Error.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::objcall;

namespace {

const char kUsage[] =
    "usage: objcall [--register FILE | --unregister FILE] [--gui] [PROGID STEP...]\n"
    "--gui  run the steps on the GUI thread of a GUI application (the display in DISPLAY, or none with\n"
    "       QT_QPA_PLATFORM=offscreen), for objects that need one: timers, windows, dialogs\n"
    "STEP   Name              property get, or a method without arguments\n"
    "       Name=VALUE        property let (Name:=VALUE for property set of an object)\n"
    "       Name(ARG,...)     method call, or property get with arguments\n"
    "       @wait(MS)         let MS milliseconds pass, printing the events raised meanwhile: with --gui "
    "the\n"
    "                         event loop runs (timers tick, windows paint and answer); without it objcall\n"
    "                         only sleeps, as it has no event loop (a server's windows keep running)\n"
    "VALUE  i16:5  i32:5 (a bare integer is i32)  u8:7  f32:1.5  d:1.5  cy:1.5  b:true\n"
    "       s:text (or \"text\")  date:2024-03-05T14:30:00  bytes:0a0b0c  bytes@FILE\n"
    "       empty (an omitted optional argument)  null\n"
    "       sink (objcall's own recording object: it accepts any call and prints it as an event)\n"
    "A window still open after the last step closes as its object is released.\n";

int usage(const std::string& problem = {}) {
    if (!problem.empty()) std::fprintf(stderr, "objcall: %s\n", problem.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

int reportError(const RuntimeError& error) {
    std::printf("error %d %s: %s\n", error.number(), toUtf8(error.source()).c_str(),
                toUtf8(error.description()).c_str());
    return 1;
}

// Lines of events, collected while a step runs and printed after its result.
std::vector<std::string> g_events;

ObjectRef makeRecordingSink() {
    return makeObject<CallbackSink>([](std::u16string_view name, std::span<Variant> args) {
        std::string line = "  event " + toUtf8(name) + "(";
        for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + formatValue(args[i], "    ");
        g_events.push_back(line + ")");
    });
}

// Calls the DllRegisterServer / DllUnregisterServer entry point of a library file.
int runRegistration(const std::string& file, bool unregister) {
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const OwnedLibrary module(LoadLibraryA(file.c_str()));
    if (!module) {
        std::printf("error %u objcall: %s could not be loaded\n", GetLastError(), file.c_str());
        return 1;
    }
    auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(module.get(), entryName));
    if (!entry) {
        std::printf("error 429 objcall: %s has no %s entry point\n", file.c_str(), entryName);
        return 1;
    }
    const HRESULT status = entry();
    if (status != hr::Ok) {
        std::printf("error %d objcall: %s failed (0x%08X)\n", status, entryName,
                    static_cast<unsigned>(status));
        return 1;
    }
    return 0;
}

InvokeKind kindOf(StepKind kind) {
    switch (kind) {
        case StepKind::Let:
            return InvokePropertyLet;
        case StepKind::Set:
            return InvokePropertySet;
        default:
            return static_cast<InvokeKind>(InvokeMethod | InvokePropertyGet);
    }
}

// A step with its argument values, all read before anything runs.
struct ParsedStep {
    Step step;
    std::vector<ArgValue> values;
};

ParsedStep parseWholeStep(const std::string& text) {
    ParsedStep parsed{parseStep(text), {}};
    if (parsed.step.kind == StepKind::Wait) return parsed;
    for (const std::string& arg : parsed.step.args) parsed.values.push_back(parseValue(arg));
    return parsed;
}

// Runs one step and prints its lines; errors propagate.
void runStep(const ObjectRef& object, const ParsedStep& parsed, GuiHost& gui) {
    const Step& step = parsed.step;
    if (step.kind == StepKind::Wait) {
        gui.wait(step.waitMs);
        std::printf("empty\n");  // as a method that returns nothing
        return;
    }
    std::vector<Variant> args;
    for (const ArgValue& arg : parsed.values)
        args.push_back(arg.isSink ? Variant(makeRecordingSink()) : arg.value);
    const std::vector<Variant> before = args;
    Variant result = callByName(object, fromUtf8(step.name), kindOf(step.kind), args);
    std::printf("%s\n", formatValue(result).c_str());
    for (std::size_t i = 0; i < args.size(); ++i)
        if (!(args[i] == before[i]))
            std::printf("  arg %zu -> %s\n", i + 1, formatValue(args[i], "    ").c_str());
}

void flushEvents() {
    for (const std::string& line : g_events) std::printf("%s\n", line.c_str());
    g_events.clear();
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::vector<std::string> words(argv + 1, argv + argc);
    std::size_t at = 0;

    if (at < words.size() && (words[at] == "--register" || words[at] == "--unregister")) {
        if (at + 1 >= words.size()) return usage(words[at] + " needs a file");
        if (int status = runRegistration(words[at + 1], words[at] == "--unregister")) return status;
        at += 2;
        if (at == words.size()) return 0;
    }
    GuiHost gui;  // declared before the objects: the application outlives them
    const bool wantGui = at < words.size() && words[at] == "--gui";
    if (wantGui) ++at;
    if (at >= words.size()) return usage();
    if (words[at].empty() || words[at][0] == '-') return usage("unknown option " + words[at]);

    std::vector<ParsedStep> steps;
    try {
        for (std::size_t i = at + 1; i < words.size(); ++i) steps.push_back(parseWholeStep(words[i]));
    } catch (const RuntimeError& error) {
        return usage(toUtf8(error.description()));
    }
    if (wantGui) {
        const std::string problem = gui.start(argv[0]);
        if (!problem.empty()) {
            std::fprintf(stderr, "objcall: --gui: %s\n", problem.c_str());
            return 1;
        }
    }

    try {
        ObjectRef object = CreateObject(fromUtf8(words[at]));
        ObjectRef recorder = makeRecordingSink();
        try {
            connectEvents(object, recorder);
        } catch (const RuntimeError&) {
            // a class without events: nothing to record
        }
        for (const ParsedStep& step : steps) {
            try {
                runStep(object, step, gui);
            } catch (...) {
                flushEvents();
                throw;
            }
            flushEvents();
        }
    } catch (RuntimeError& error) {
        error.setSourceIfEmpty(fromUtf8(words[at]));  // as the platform names the component that failed
        return reportError(error);
    }
    return 0;
}
