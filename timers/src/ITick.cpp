#include "timers/ITick.h"

namespace velmora {

const ClassInfo& ITick::describe() {
    static const ClassInfo info =
        ClassBuilder<ITick>(u"ITick").method(u"Tick", &ITick::Tick, {u"objAPITimer"}).build();
    return info;
}

void ITick::Tick(ObjectRef&) {}

}  // namespace velmora
