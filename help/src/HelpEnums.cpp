#include "help/HelpEnums.h"

namespace velmora {

const ClassInfo& HelpEnums::describe() {
    static const ClassInfo info = ClassBuilder<HelpEnums>(u"HelpEnums").build();
    return info;
}

}  // namespace velmora
