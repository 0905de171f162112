#include "progress/ClipResources.h"

#include "ui/resources.h"

namespace velmora {

void registerClipResources(HMODULE module) {
    for (const ClipResource& clip : clipResources()) addModuleResource(module, "AVI", clip.id, clip.data);
}

}  // namespace velmora
