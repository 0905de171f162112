// An object that hands every call it receives to a function: an event sink for C++ clients and tools
// that print events, without a member table of their own.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

class CallbackSink : public Object {
  public:
    // Receives the member name and the arguments; assignments to the arguments go back to the caller.
    using Handler = std::function<void(std::u16string_view name, std::span<Variant> args)>;

    explicit CallbackSink(Handler handler) : m_handler(std::move(handler)) {}

    Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) override;
    std::u16string typeName() const override { return u"CallbackSink"; }

  private:
    Handler m_handler;
};

}  // namespace velmora
