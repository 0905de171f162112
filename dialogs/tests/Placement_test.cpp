// The placement computation for every MoveEnum value and its corrections at the work area's edges.
#include <gtest/gtest.h>

#include "Placement.h"

using namespace velmora;

namespace {

struct Case {
    const char* what;
    std::int32_t position;
    std::int32_t shift;
    RECT owner;
    std::int32_t width;
    std::int32_t height;
    POINT pointer;
    POINT expected;
};

// A 1024 x 740 work area whose top-left corner is (0, 28), below a panel.
constexpr RECT kWork{0, 28, 1024, 768};

TEST(Placement, EachPositionAndEveryEdgeCorrection) {
    const Case cases[] = {
        {"none: top-left of the work area", MM_NONE, 0, {100, 100, 300, 200}, 200, 100, {}, {0, 28}},
        {"unknown value as none", 7, 0, {100, 100, 300, 200}, 200, 100, {}, {0, 28}},
        {"screen centre", MM_SCREEN_CENTER, 0, {}, 201, 101, {}, {411, 347}},
        {"parent centre", MM_PARENT_CENTER, 0, {100, 100, 401, 301}, 100, 50, {}, {200, 175}},
        {"parent centre, whole-number halves",
         MM_PARENT_CENTER,
         0,
         {101, 101, 402, 302},
         101,
         51,
         {},
         {201, 176}},
        {"parent centre, wider than the work area",
         MM_PARENT_CENTER,
         0,
         {400, 300, 600, 400},
         1200,
         100,
         {},
         {0, 300}},
        {"parent centre, above the work area",
         MM_PARENT_CENTER,
         0,
         {100, 0, 300, 40},
         100,
         200,
         {},
         {150, 28}},
        {"parent centre, below the bottom",
         MM_PARENT_CENTER,
         0,
         {100, 700, 300, 760},
         100,
         200,
         {},
         {150, 568}},
        {"parent centre, taller than the work area",
         MM_PARENT_CENTER,
         0,
         {100, 700, 300, 760},
         100,
         900,
         {},
         {150, 28}},
        {"parent shift", MM_PARENT_SHIFT, 20, {100, 100, 400, 300}, 200, 100, {}, {120, 80}},
        {"parent shift, off the right edge",
         MM_PARENT_SHIFT,
         20,
         {900, 100, 1000, 300},
         200,
         100,
         {},
         {780, 80}},
        {"parent shift, owner beyond the right edge too",
         MM_PARENT_SHIFT,
         20,
         {1000, 100, 1200, 300},
         200,
         100,
         {},
         {804, 80}},
        {"parent shift, off the left edge",
         MM_PARENT_SHIFT,
         -30,
         {10, 100, 200, 300},
         100,
         100,
         {},
         {0, 130}},
        {"mouse shift", MM_MOUSE_SHIFT, 10, {}, 200, 100, {300, 400}, {310, 350}},
        {"mouse shift, left of the pointer at the right edge",
         MM_MOUSE_SHIFT,
         10,
         {},
         200,
         100,
         {900, 400},
         {690, 350}},
        {"mouse shift, clipped at the top", MM_MOUSE_SHIFT, 10, {}, 200, 100, {300, 30}, {310, 28}},
    };
    for (const Case& c : cases) {
        const POINT at = placeDialog({c.position, c.shift, kWork, c.owner, c.width, c.height, c.pointer});
        EXPECT_EQ(at.x, c.expected.x) << c.what;
        EXPECT_EQ(at.y, c.expected.y) << c.what;
    }
}

}  // namespace
