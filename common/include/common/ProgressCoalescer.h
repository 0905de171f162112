// Progress values on their way to a window in another process, one call per value: a folder of small
// files would make thousands a second, and the window would spend its time reading them instead of
// painting. Values are coalesced: a value the window already shows is dropped; the first value and every
// full 100 pass at once; others at most once per kInterval, the latest each time. flush() passes the one
// still held back (a run that ends short of 100).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace velmora {

class ProgressCoalescer {
  public:
    using Clock = std::chrono::steady_clock;
    using Pass = std::function<void(std::int32_t percent)>;
    static constexpr std::chrono::milliseconds kInterval{25};

    explicit ProgressCoalescer(Pass pass, std::function<Clock::time_point()> now = Clock::now)
        : m_pass(std::move(pass)), m_now(std::move(now)) {}

    void offer(std::int32_t percent);
    void flush();
    // Nobody listens any more: nothing passes from here on.
    void detach() { m_pass = {}; }

  private:
    void pass(std::int32_t percent, Clock::time_point at);

    Pass m_pass;
    std::function<Clock::time_point()> m_now;
    std::optional<std::int32_t> m_shown;  // the last value passed
    Clock::time_point m_passedAt{};
    std::optional<std::int32_t> m_heldBack;
};

}  // namespace velmora
