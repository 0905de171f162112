#include "progress/Gaugebox.h"

#include "progress/AnimationType.h"
#include "progress/ProgressEnums.h"
#include "progress/ProgressObject.h"

namespace velmora::gaugebox {

const ClassTable& classTable() {
    static const ClassTable table = ClassTable(kLibraryName)
                                        .add<ProgressObject>(kClsidProgressObject, u"Gaugebox.ProgressObject")
                                        .add<ProgressEnums>(kClsidProgressEnums, u"Gaugebox.ProgressEnums")
                                        .enumeration(u"AnimationType", animationTypeMembers());
    return table;
}

}  // namespace velmora::gaugebox
