// The snapshot enumerator of collections.
#include "component/Enumerator.h"

#include "component/ClassBuilder.h"

namespace velmora {

const ClassInfo& Enumerator::describe() {
    static const ClassInfo info = ClassBuilder<Enumerator>(u"Enumerator")
                                      .method(u"Next", &Enumerator::Next)
                                      .method(u"Reset", &Enumerator::Reset)
                                      .build();
    return info;
}

Variant Enumerator::Next() {
    return m_next < m_items.size() ? m_items[m_next++] : Variant::nothing();
}

}  // namespace velmora
