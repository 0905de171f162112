// Progress coalescing: a burst reaches the window as its first value, every full 100 and, at the end, the
// value held back; between them at most one value per interval, always the latest, and never a value the
// window already shows.
#include "common/ProgressCoalescer.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using namespace std::chrono_literals;

struct Window {
    ProgressCoalescer::Clock::time_point now{};
    std::vector<std::int32_t> shown;
    ProgressCoalescer coalescer{[this](std::int32_t percent) { shown.push_back(percent); },
                                [this] { return now; }};

    void offer(std::int32_t percent, std::chrono::milliseconds later = 0ms) {
        now += later;
        coalescer.offer(percent);
    }
};

TEST(ProgressCoalescerTest, FirstFullAndLatestPerIntervalPassTheRestWaitsOrGoes) {
    Window w;
    for (int file = 0; file < 1000; ++file)  // a folder of small files within one interval
        for (std::int32_t percent : {0, 50, 100}) w.offer(percent);
    EXPECT_EQ(w.shown, (std::vector<std::int32_t>{0, 100}));

    w.offer(10, 1ms);
    w.offer(37, ProgressCoalescer::kInterval);  // an interval after the last value passed
    w.offer(38, 1ms);
    w.offer(39, 1ms);
    w.coalescer.flush();
    w.coalescer.flush();  // nothing is passed twice
    EXPECT_EQ(w.shown, (std::vector<std::int32_t>{0, 100, 37, 39}));

    w.offer(40, 1ms);
    w.offer(39, 1ms);  // back to what is shown: nothing is left to pass
    w.coalescer.flush();
    EXPECT_EQ(w.shown.back(), 39);
    EXPECT_EQ(w.shown.size(), 4u);

    w.offer(41, 1ms);
    w.coalescer.detach();  // a window gone hears nothing, held back or not
    w.coalescer.flush();
    w.offer(100, 1s);
    EXPECT_EQ(w.shown.size(), 4u);
}

}  // namespace
}  // namespace velmora
