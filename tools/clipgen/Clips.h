// The seventeen clips of the progress window: identifiers, sizes, frame counts and frame times as the
// progress library publishes them, each with its drawing.
#pragma once

#include <functional>
#include <vector>

#include "AviWriter.h"

namespace clipgen {

struct Clip {
    ClipSpec format;
    // Draws frame f of format.frames on a canvas of the clip's size.
    std::function<void(Canvas&, int f)> draw;
};

const std::vector<Clip>& clips();

}  // namespace clipgen
