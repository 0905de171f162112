// The run-time error number an action raises, 0 when it raises none.
#pragma once

#include <functional>

#include "runtime/Error.h"

namespace velmora::testing {

inline std::int32_t errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace velmora::testing
