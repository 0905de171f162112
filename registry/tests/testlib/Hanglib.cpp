// A library whose DllRegisterServer does not return until the test lets it (HanglibRelease), standing in
// for a registration that hangs. DllUnregisterServer fails at once.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
bool g_released = false;
bool g_returned = false;

}  // namespace

extern "C" std::int32_t DllRegisterServer() {
    std::unique_lock lock(g_mutex);
    g_changed.wait(lock, [] { return g_released; });
    g_returned = true;
    g_changed.notify_all();
    return 0;
}

extern "C" std::int32_t DllUnregisterServer() {
    return static_cast<std::int32_t>(0x80004005u);  // E_FAIL
}

// Lets a waiting DllRegisterServer return and waits until it has, so nothing of it runs at process exit.
extern "C" void HanglibRelease() {
    std::unique_lock lock(g_mutex);
    g_released = true;
    g_changed.notify_all();
    g_changed.wait(lock, [] { return g_returned; });
}
