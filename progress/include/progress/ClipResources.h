// The animation clips embedded in the server (written at build time by tools/clipgen), and their
// registration as the module's "AVI" resources, which the animation control opens by identifier.
#pragma once

#include <cstdint>
#include <span>

#include "platform/win32types.h"

namespace velmora {

struct ClipResource {
    std::int32_t id;  // an AnimationType value
    const char* name;
    std::span<const std::uint8_t> data;
};

std::span<const ClipResource> clipResources();

// Makes every clip a resource of type "AVI" of module.
void registerClipResources(HMODULE module);

}  // namespace velmora
