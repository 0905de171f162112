// The base of every class with a member table: late binding and TypeName come from the table.
//
//   class Sample : public Dispatchable<Sample> {
//   public:
//       static const ClassInfo& describe();   // the member table, see ClassBuilder
//       ...
//   };
//
// A class that implements another class's interface derives from it: Dispatchable<Dialog, IEventHandler>.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "component/ClassInfo.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

class EventSource;

class ComObject : public Object {
  public:
    virtual const ClassInfo& classInfo() const = 0;

    Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) override;
    std::u16string typeName() const override;

    // Whether a late-bound call of that name and kind would find a member (event delivery skips sinks
    // without the event's handler). A proxy for an object elsewhere answers from that object's table.
    virtual bool hasMember(std::u16string_view name, InvokeKind kind) const;

    // The sinks of this object's events; nullptr for a class that raises none.
    virtual EventSource* events() noexcept { return nullptr; }
};

template <class T, class Base = ComObject>
class Dispatchable : public Base {
  public:
    using Base::Base;
    const ClassInfo& classInfo() const override { return T::describe(); }
};

}  // namespace velmora
