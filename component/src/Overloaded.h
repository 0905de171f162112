// One callable made of several lambdas, for std::visit over the wire's variants.
#pragma once

namespace velmora {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace velmora
