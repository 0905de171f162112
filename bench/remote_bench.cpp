// Calls across the process boundary: round trips of a property write (and read) on an object of a real
// server program, and the creation that starts the server. Runs in a registry and folders of its own.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/calls.h"

extern char** environ;

namespace {

using namespace velmora;

ObjectRef newTally() {
    return CreateObject(u"Tallyserver.Tally");
}

void propertyWrite(benchmark::State& state) {
    const ObjectRef tally = newTally();
    std::int32_t value = 0;
    for (auto _ : state) letProperty(tally, u"Total", value++);
    state.counters["round_trips_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(propertyWrite)->UseRealTime();

void propertyRead(benchmark::State& state) {
    const ObjectRef tally = newTally();
    for (auto _ : state) benchmark::DoNotOptimize(getProperty(tally, u"Total"));
    state.counters["round_trips_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(propertyRead)->UseRealTime();

// A method with a by-reference argument that raises an event to a client sink: two round trips nested.
void methodWithEvent(benchmark::State& state) {
    const ObjectRef tally = newTally();
    connectEvents(tally, makeObject<CallbackSink>([](std::u16string_view, std::span<Variant>) {}));
    std::int32_t value = 0;
    for (auto _ : state) call(tally, u"Add", byRef(value), 1);
}
BENCHMARK(methodWithEvent)->UseRealTime();

// Creation on a server that runs already, and with a server started for it.
void createOnRunningServer(benchmark::State& state) {
    const ObjectRef keep = newTally();
    for (auto _ : state) benchmark::DoNotOptimize(newTally());
}
BENCHMARK(createOnRunningServer)->UseRealTime();

void createWithServerStart(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(newTally());  // released at once: the server ends
}
BENCHMARK(createWithServerStart)->Iterations(50)->UseRealTime();

// A registry and folders of the benchmark's own, with the test server registered in it.
void prepareSandbox() {
    namespace fs = std::filesystem;
    std::string root = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) std::abort();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "VELMORA_DRIVE_C"})
        setenv(name, root.c_str(), 1);
    setenv("VELMORA_REGISTRY", (root + "/registry.db").c_str(), 1);
    char* argv[] = {const_cast<char*>(VELMORA_TALLYSERVER_PATH), const_cast<char*>("/regserver"), nullptr};
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0 ||
        waitpid(child, &status, 0) != child || status != 0)
        std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    prepareSandbox();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
