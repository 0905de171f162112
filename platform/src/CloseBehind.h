// Closes the descriptors of files this process has just deleted on a thread of its own. The last close of
// an unlinked file frees its inode and blocks, which costs the file system many times what a close costs;
// nothing a caller can see waits for it (the name is gone already, and so is the handle's place in the share
// modes). A forked child starts a thread of its own when it first needs one.
#pragma once

#include "UniqueFd.h"

namespace velmora {

// Closes fd on the closing thread, which takes them in batches (at once, here, when no thread can be had):
// a few may stay open until the process ends.
void closeBehind(UniqueFd fd);

}  // namespace velmora
