// Late-bound calls by member name.
#include "component/calls.h"

#include "runtime/Error.h"

namespace velmora {

Variant callByName(const ObjectRef& target, std::u16string_view name, InvokeKind kind,
                   std::span<Variant> args) {
    if (!target) raise(err::ObjectNotSet);
    // The callee may release the variable the caller reached it through; it stays alive for the call.
    const ObjectRef hold = target;
    return hold->invoke(name, kind, args);
}

}  // namespace velmora
