// The list of forms taking part in help, one per process (HelpTopics starts it afresh), and the look-up
// the help window procedure makes in it.
#pragma once

#include "platform/win32types.h"
#include "runtime/Collection.h"
#include "runtime/Object.h"

namespace velmora {

class HelpTopic;

Collection& helpTopicList();
// The entry of a window: the one keyed "f:" and the handle, else the first whose form has that window (a
// form added under a key of its own).
Ref<HelpTopic> helpTopicOfWindow(HWND window);

}  // namespace velmora
