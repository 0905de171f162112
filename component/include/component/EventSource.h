// The sinks of one object's events. Raising calls every sink's handler, the sink member named like the
// event, synchronously on the raiser's thread, in the order the sinks were connected. All handlers see
// the same arguments, so a by-reference argument one handler changes reaches the next and the raiser.
// Like its owner, a source is used on one thread and takes no lock.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "component/calls.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

class EventSource {
  public:
    using Cookie = std::uint32_t;  // 0 is never handed out

    // The owner is the object whose events these are; it is kept alive while a raise runs.
    explicit EventSource(Object& owner) noexcept : m_owner(owner) {}
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    // Error 91 for no sink.
    Cookie connect(ObjectRef sink);
    // False when the cookie is not connected (any more). Safe inside a handler of a running raise: a
    // sink disconnected then is not called again, not even later in the same raise.
    bool disconnect(Cookie cookie) noexcept;
    void disconnectAll() noexcept;
    std::size_t sinkCount() const noexcept { return m_connections.size(); }

    // A sink that has no member of the event's name is skipped; errors a handler raises propagate, and
    // the sinks after it are not called.
    void raise(std::u16string_view event, std::span<Variant> args);
    // For operations that run to their end whatever a handler does (a wipe, a search): an error a
    // handler raises, here or in a peer process that has gone away, is dropped, and the sinks after it
    // are still called.
    void raiseIgnoringErrors(std::u16string_view event, std::span<Variant> args) noexcept;

    // Raise with C++ values: lvalue Variant& (and byRef(x)) arguments receive what handlers assign.
    template <class... A>
    void fire(std::u16string_view event, A&&... args) {
        std::array<Variant, sizeof...(A)> packed{packArgument(std::forward<A>(args))...};
        raise(event, packed);
        unpackArguments(packed, std::forward<A>(args)...);
    }
    template <class... A>
    void fireIgnoringErrors(std::u16string_view event, A&&... args) {
        std::array<Variant, sizeof...(A)> packed{packArgument(std::forward<A>(args))...};
        raiseIgnoringErrors(event, packed);
        unpackArguments(packed, std::forward<A>(args)...);
    }

  private:
    struct Connection {
        Cookie cookie;
        ObjectRef sink;
    };
    bool isConnected(Cookie cookie) const noexcept;
    void raiseTo(std::u16string_view event, std::span<Variant> args, bool ignoreErrors);

    Object& m_owner;
    std::vector<Connection> m_connections;
    Cookie m_lastCookie = 0;
};

// Connects a sink to the events of any object that raises them; 91 for no object, 438 for an object
// without events.
EventSource::Cookie connectEvents(const ObjectRef& source, ObjectRef sink);
bool disconnectEvents(const ObjectRef& source, EventSource::Cookie cookie);

}  // namespace velmora
