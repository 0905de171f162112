// What an action raises: its run-time error number (0 when it raises none), or the whole error.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "runtime/Error.h"

namespace velmora::test {

template <class Action>
std::int32_t errorNumberOf(Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

template <class Action>
std::optional<RuntimeError> errorOf(Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace velmora::test
