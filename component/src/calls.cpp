// Late-bound calls by member name.
#include "component/calls.h"

#include "RemoteObject.h"

#include "runtime/Error.h"

namespace velmora {

Variant callByName(const ObjectRef& target, std::u16string_view name, InvokeKind kind,
                   std::span<Variant> args) {
    if (!target) raise(err::ObjectNotSet);
    // The callee may release the variable the caller reached it through; it stays alive for the call.
    const ObjectRef hold = target;
    return hold->invoke(name, kind, args);
}

void postByName(const ObjectRef& target, std::u16string_view name, std::span<Variant> args) {
    if (!target) raise(err::ObjectNotSet);
    const ObjectRef hold = target;
    if (auto* remote = dynamic_cast<RemoteObject*>(hold.get()); remote && remote->postLet(name, args)) return;
    hold->invoke(name, InvokePropertyLet, args);
}

}  // namespace velmora
