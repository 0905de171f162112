// A sink that forwards every call to a function.
#include "component/CallbackSink.h"

namespace velmora {

Variant CallbackSink::invoke(std::u16string_view name, InvokeKind, std::span<Variant> args) {
    if (m_handler) m_handler(name, args);
    return Variant();
}

}  // namespace velmora
