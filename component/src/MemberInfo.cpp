// Argument-count checks, omitted arguments and write-back of a late-bound call.
#include "component/MemberInfo.h"

#include <algorithm>
#include <vector>

#include "runtime/Error.h"

namespace velmora {

namespace {

bool isAssignment(MemberKind kind) {
    return kind == MemberKind::PropertyLet || kind == MemberKind::PropertySet;
}

}  // namespace

Variant MemberInfo::call(Object& self, std::span<Variant> args) const {
    if (!invoker) raise(err::NoSuchMember);  // an event is raised by its source, not called
    if (args.size() > params.size()) raise(err::WrongArgumentCount);
    const bool complete =
        args.size() == params.size() &&
        std::none_of(args.begin(), args.end(), [](const Variant& arg) { return arg.isMissing(); });
    // The common case binds the caller's arguments directly: by-reference ones are written in place.
    if (complete) return invoker(self, args);
    return callWithOmitted(self, args);
}

Variant MemberInfo::callWithOmitted(Object& self, std::span<Variant> args) const {
    const bool assignment = isAssignment(kind);
    if (assignment && args.empty()) raise(err::WrongArgumentCount);
    // An assignment's value is always the caller's last argument and the member's last parameter; what
    // the caller leaves out are index arguments before it.
    const std::size_t supplied = assignment ? args.size() - 1 : args.size();
    const std::size_t valuePosition = params.size() - 1;

    std::vector<Variant> full(params.size());
    for (std::size_t i = 0; i < supplied; ++i) full[i] = args[i];
    if (assignment) full[valuePosition] = args.back();

    for (std::size_t i = 0; i < full.size(); ++i) {
        const bool omitted =
            assignment && i == valuePosition ? full[i].isMissing() : i >= supplied || args[i].isMissing();
        if (!omitted) continue;
        if (!params[i].optional) raise(err::ArgumentNotOptional);
        full[i] = params[i].omittedValue();
    }

    Variant returned = invoker(self, full);
    for (std::size_t i = 0; i < supplied; ++i)
        if (params[i].byRef && !args[i].isMissing()) args[i] = std::move(full[i]);
    if (assignment && params[valuePosition].byRef) args.back() = std::move(full[valuePosition]);
    return returned;
}

}  // namespace velmora
