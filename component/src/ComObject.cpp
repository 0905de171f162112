// Late binding of table-described classes.
#include "component/ComObject.h"

namespace velmora {

Variant ComObject::invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) {
    return classInfo().invoke(*this, name, kind, args);
}

std::u16string ComObject::typeName() const {
    return classInfo().name();
}

bool ComObject::hasMember(std::u16string_view name, InvokeKind kind) const {
    return classInfo().find(name, kind) != nullptr;
}

}  // namespace velmora
