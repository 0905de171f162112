#include "progress/ProgressEnums.h"

#include "component/ClassBuilder.h"

namespace velmora {

const ClassInfo& ProgressEnums::describe() {
    static const ClassInfo info = ClassBuilder<ProgressEnums>(u"ProgressEnums").build();
    return info;
}

}  // namespace velmora
