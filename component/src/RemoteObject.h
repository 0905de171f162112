// The stand-in for an object that lives in the other process of a connection: every late-bound call
// travels there, and TypeName and member lookups are answered from the class description that came
// with the first reference. Events of the remote object reach sinks connected here: the first
// request for this object's event source asks the peer to forward them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora {

class Connection;
class EventForwarder;

class RemoteObject final : public ComObject {
  public:
    // info is the object's class description, or null for an object without a member table.
    RemoteObject(std::shared_ptr<Connection> connection, std::uint32_t id,
                 std::shared_ptr<const ClassInfo> info, std::u16string typeName);
    ~RemoteObject() override;

    const ClassInfo& classInfo() const override { return *m_class; }
    Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) override;
    // A property let its caller does not wait for (see Connection::post), when nothing can come back from
    // it but a failure of the member; false when it has to be an ordinary call.
    bool postLet(std::u16string_view name, std::span<const Variant> args);
    std::u16string typeName() const override { return m_class->name(); }
    // An object without a member table may take any call, as a sink without one takes every event.
    bool hasMember(std::u16string_view name, InvokeKind kind) const override;
    EventSource* events() noexcept override;

    Connection& connection() const noexcept { return *m_connection; }
    std::uint32_t id() const noexcept { return m_id; }
    std::shared_ptr<const ClassInfo> describedClass() const { return m_described ? m_class : nullptr; }
    // The peer handed over one more reference to the object; the proxy gives them all back at its end.
    void addReference() noexcept { ++m_references; }
    // Delivers an event the remote object raised to the sinks connected here.
    void raiseForwarded(std::u16string_view event, std::span<Variant> args);

  private:
    bool raisesEvents() const noexcept;
    bool mayPost(std::u16string_view name, std::span<const Variant> args) const;

    std::shared_ptr<Connection> m_connection;
    std::uint32_t m_id;
    std::uint32_t m_references = 1;
    bool m_described;
    std::shared_ptr<const ClassInfo> m_class;  // an empty table named after the type when undescribed
    std::optional<EventSource> m_events;
    Ref<EventForwarder> m_forwarder;
};

// The server process of the connection an object reached through (0 for an object of this process or
// of a connection that did not start a process).
pid_t serverProcessOf(const ObjectRef& object);

}  // namespace velmora
