// mAnimation: starts the progress window's clip on its animation control.
#pragma once

#include <cstdint>

namespace velmora {

class AnimationControl;

// Resets the control and opens the clip whose resource identifier is anim, from this program's
// resources; it repeats while the window is open. A value that names no clip shows nothing. A run-time
// error while opening is shown in a message box, and the window stays up without animation.
void StartAnimation(AnimationControl* control, std::int32_t anim);

}  // namespace velmora
