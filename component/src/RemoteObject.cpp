// Proxies for objects of the other process.
#include "RemoteObject.h"

#include <algorithm>

#include "Connection.h"

namespace velmora {

// The sink the peer's object raises events on: hands them to the proxy's own sinks. It refers to the
// proxy without owning it, so that the peer holding the forwarder does not keep the proxy alive.
class EventForwarder final : public Object {
  public:
    explicit EventForwarder(RemoteObject* target) noexcept : m_target(target) {}
    void detach() noexcept { m_target = nullptr; }

    Variant invoke(std::u16string_view name, InvokeKind, std::span<Variant> args) override {
        if (m_target) m_target->raiseForwarded(name, args);
        return Variant();
    }
    std::u16string typeName() const override { return u"EventForwarder"; }

  private:
    RemoteObject* m_target;
};

RemoteObject::RemoteObject(std::shared_ptr<Connection> connection, std::uint32_t id,
                           std::shared_ptr<const ClassInfo> info, std::u16string typeName)
    : m_connection(std::move(connection)),
      m_id(id),
      m_described(info != nullptr),
      m_class(info ? std::move(info)
                   : std::make_shared<const ClassInfo>(std::move(typeName), std::vector<MemberInfo>{})) {}

RemoteObject::~RemoteObject() {
    if (m_forwarder) m_forwarder->detach();
    m_connection->forgetProxy(m_id, m_references);
}

Variant RemoteObject::invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) {
    return m_connection->call(m_id, name, kind, args);
}

bool RemoteObject::postLet(std::u16string_view name, std::span<const Variant> args) {
    if (!mayPost(name, args)) return false;
    m_connection->post(m_id, name, InvokePropertyLet, args);
    return true;
}

// A let has nothing to tell its caller but a failure of the member itself when it hands the member exactly
// its parameters, by value, each already of its declared type (so no conversion can fail over there), and
// none of them an object or an array (an object could be called back while the let runs).
bool RemoteObject::mayPost(std::u16string_view name, std::span<const Variant> args) const {
    if (!m_described || !m_connection->canPost()) return false;
    const MemberInfo* member = m_class->find(name, InvokePropertyLet);
    if (!member || member->params.size() != args.size()) return false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Variant& arg = args[i];
        const ParamInfo& param = member->params[i];
        if (param.byRef || param.type.isArray || arg.isArray() || arg.type() == VarType::Object ||
            arg.isMissing())
            return false;
        if (param.type.type != arg.type() && param.type.type != VarType::Variant) return false;
    }
    return true;
}

bool RemoteObject::hasMember(std::u16string_view name, InvokeKind kind) const {
    return !m_described || m_class->find(name, kind) != nullptr;
}

bool RemoteObject::raisesEvents() const noexcept {
    return m_described &&
           std::any_of(m_class->members().begin(), m_class->members().end(),
                       [](const MemberInfo& member) { return member.kind == MemberKind::Event; });
}

EventSource* RemoteObject::events() noexcept {
    if (!raisesEvents()) return nullptr;
    if (!m_events) {
        m_events.emplace(*this);
        m_forwarder = makeObject<EventForwarder>(this);
        m_connection->advise(m_id, ObjectRef(m_forwarder));
    }
    return &*m_events;
}

void RemoteObject::raiseForwarded(std::u16string_view event, std::span<Variant> args) {
    if (m_events) m_events->raise(event, args);
}

pid_t serverProcessOf(const ObjectRef& object) {
    const auto* remote = dynamic_cast<const RemoteObject*>(object.get());
    return remote ? remote->connection().serverProcess() : 0;
}

}  // namespace velmora
