// Sinks that count what Tickwork's objects call on them.
#pragma once

#include <functional>
#include <string_view>

#include "component/CallbackSink.h"
#include "runtime/Object.h"

namespace velmora::test {

// Counts calls of one member name and runs an optional action on each, with the call's arguments.
inline Ref<CallbackSink> countingSink(std::u16string_view member, int& count,
                                      std::function<void(std::span<Variant>)> action = {}) {
    return makeObject<CallbackSink>(
        [member, &count, action](std::u16string_view name, std::span<Variant> args) {
            if (name != member) return;
            ++count;
            if (action) action(args);
        });
}

}  // namespace velmora::test
