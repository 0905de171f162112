// Servers started ahead, found through the class registrations as creation finds them.
#include "component/ServersAhead.h"

#include "ServerLauncher.h"
#include "component/registration.h"
#include "platform/paths.h"

namespace velmora {

namespace {

// The program creation would start for the class: none when a library serves it in process, which
// creation prefers.
std::string serverProgramOf(std::u16string_view progId) {
    const auto classId = classIdOfProgId(progId);
    if (!classId || serverPathOf(*classId, ServerKind::InProcess)) return {};
    const auto program = serverPathOf(*classId, ServerKind::LocalServer);
    return program ? toNativePath(*program) : std::string();
}

}  // namespace

void startServersAhead(std::span<const std::u16string_view> progIds) noexcept {
    for (std::u16string_view progId : progIds) {
        try {
            if (const std::string program = serverProgramOf(progId); !program.empty())
                startServerAhead(program);
        } catch (...) {
            // Left to the creation, which says what is wrong.
        }
    }
}

}  // namespace velmora
