// Event delivery to connected sinks.
#include "component/EventSource.h"

#include <algorithm>
#include <exception>

#include "component/ComObject.h"
#include "runtime/Error.h"

namespace velmora {

namespace {

// Sinks described by a member table are asked first; any other object takes every event it is sent.
bool handles(Object& sink, std::u16string_view event) {
    if (const auto* described = dynamic_cast<const ComObject*>(&sink))
        return described->hasMember(event, InvokeMethod);
    return true;
}

}  // namespace

EventSource::Cookie EventSource::connect(ObjectRef sink) {
    if (!sink) velmora::raise(err::ObjectNotSet);
    const Cookie cookie = ++m_lastCookie;
    m_connections.push_back(Connection{cookie, std::move(sink)});
    return cookie;
}

bool EventSource::disconnect(Cookie cookie) noexcept {
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [cookie](const Connection& c) { return c.cookie == cookie; });
    if (it == m_connections.end()) return false;
    // The sink may be the one running right now: the raise's own list keeps it alive until it returns.
    m_connections.erase(it);
    return true;
}

void EventSource::disconnectAll() noexcept {
    m_connections.clear();
}

bool EventSource::isConnected(Cookie cookie) const noexcept {
    return std::any_of(m_connections.begin(), m_connections.end(),
                       [cookie](const Connection& c) { return c.cookie == cookie; });
}

void EventSource::raise(std::u16string_view event, std::span<Variant> args) {
    raiseTo(event, args, false);
}

void EventSource::raiseIgnoringErrors(std::u16string_view event, std::span<Variant> args) noexcept {
    try {
        raiseTo(event, args, true);
    } catch (const std::exception&) {
        // only the copy of the sink list can fail here: no handler then ran
    }
}

void EventSource::raiseTo(std::u16string_view event, std::span<Variant> args, bool ignoreErrors) {
    if (m_connections.empty()) return;
    // A handler may drop the last outside reference to the raiser. While the raiser is being built or
    // destroyed its count is 0 and no handler can release it, so it needs no hold then.
    const ObjectRef holdOwner = m_owner.refCount() > 0 ? ObjectRef(&m_owner) : ObjectRef();
    // Handlers may connect and disconnect: walk a copy, and skip sinks disconnected meanwhile.
    const std::vector<Connection> sinks = m_connections;
    for (const Connection& connection : sinks) {
        if (!isConnected(connection.cookie) || !handles(*connection.sink, event)) continue;
        if (!ignoreErrors) {
            connection.sink->invoke(event, InvokeMethod, args);
            continue;
        }
        try {
            connection.sink->invoke(event, InvokeMethod, args);
        } catch (const std::exception&) {
            // the operation goes on; the sink stays connected for its next event
        }
    }
}

EventSource::Cookie connectEvents(const ObjectRef& source, ObjectRef sink) {
    if (!source) raise(err::ObjectNotSet);
    auto* described = dynamic_cast<ComObject*>(source.get());
    EventSource* events = described ? described->events() : nullptr;
    if (!events) raise(err::NoSuchMember);
    return events->connect(std::move(sink));
}

bool disconnectEvents(const ObjectRef& source, EventSource::Cookie cookie) {
    if (!source) raise(err::ObjectNotSet);
    auto* described = dynamic_cast<ComObject*>(source.get());
    EventSource* events = described ? described->events() : nullptr;
    return events && events->disconnect(cookie);
}

}  // namespace velmora
