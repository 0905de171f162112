// Calls, replies and object lifetimes across one connection.
#include "Connection.h"
#include "Overloaded.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "RemoteObject.h"
#include "ServerLauncher.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// A peer that keeps describing new classes is not describing a real program's classes.
constexpr std::size_t kMaxReceivedClasses = 1u << 16;

// The peer hung up or the socket failed: nothing more will arrive.
struct PeerGone {
    std::string reason;
};

wire::ErrorReply errorReplyOf(const RuntimeError& error) {
    return wire::ErrorReply{error.number(), error.description(), error.source(), error.helpFile(),
                            error.helpContext()};
}

// What a member that failed with something other than a RuntimeError reports to its caller.
wire::ErrorReply errorReplyOf(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) return errorReplyOf(RuntimeError(err::OutOfMemory));
    return wire::ErrorReply{err::AutomationError, fromUtf8(error.what()), {}, {}, 0};
}

}  // namespace

// Marks the connection busy (waiting or serving) for a scope; leaving the outermost activity is when an
// idle connection may close.
class Connection::ActivityScope {
  public:
    ActivityScope(Connection& connection, Activity activity) : m_connection(connection) {
        m_connection.m_activity.push_back(activity);
    }
    ~ActivityScope() {
        m_connection.m_activity.pop_back();
        m_connection.closeIfIdle();
    }
    ActivityScope(const ActivityScope&) = delete;
    ActivityScope& operator=(const ActivityScope&) = delete;

  private:
    Connection& m_connection;
};

std::shared_ptr<Connection> Connection::client(int fd, pid_t serverProcess) {
    return std::make_shared<Connection>(fd, Role::Client, nullptr, serverProcess);
}

std::shared_ptr<Connection> Connection::server(int fd, const ClassTable& classes) {
    return std::make_shared<Connection>(fd, Role::Server, &classes, 0);
}

Connection::Connection(int fd, Role role, const ClassTable* classes, pid_t serverProcess)
    : m_fd(fd), m_role(role), m_classes(classes), m_serverProcess(serverProcess) {}

Connection::~Connection() {
    closeWith({}, false);
    reportPostFailure();
}

// ---- calls going out

ObjectRef Connection::create(std::u16string_view classId, std::chrono::milliseconds timeout) {
    const auto keepAlive = shared_from_this();
    const std::uint32_t callId = ++m_lastCallId;
    wire::ReplyFrame reply;
    try {
        send(wire::CreateFrame{callId, std::u16string(classId)});
        reply = awaitReply(callId, std::chrono::steady_clock::now() + timeout);
    } catch (const RuntimeError& error) {
        if (error.number() != err::RemoteServerUnavailable) throw;
        raise(err::CantCreateObject,
              standardErrorText(err::CantCreateObject) + u": the server program ended or did not answer", {});
    }
    if (const auto* failure = std::get_if<wire::ErrorReply>(&reply.outcome))
        throw RuntimeError(failure->number, failure->description, failure->source, failure->helpFile,
                           failure->helpContext);
    const Variant& result = std::get<wire::ValueReply>(reply.outcome).result;
    if (!result.isObject() || !result.toObject()) raise(err::CantCreateObject);
    return result.toObject();
}

Variant Connection::call(std::uint32_t objectId, std::u16string_view name, InvokeKind kind,
                         std::span<Variant> args) {
    const auto keepAlive = shared_from_this();
    if (!isOpen()) {
        raisePostFailure();
        raiseUnavailable();
    }
    const std::uint32_t callId = ++m_lastCallId;
    send(wire::CallFrame{callId, objectId, kind, std::u16string(name), {args.begin(), args.end()}});
    wire::ReplyFrame reply = awaitReply(callId, std::nullopt);
    if (auto* failure = std::get_if<wire::ErrorReply>(&reply.outcome))
        throw RuntimeError(failure->number, std::move(failure->description), std::move(failure->source),
                           std::move(failure->helpFile), failure->helpContext);
    auto& value = std::get<wire::ValueReply>(reply.outcome);
    for (auto& [position, arg] : value.changedArgs) {
        if (position >= args.size()) {
            closeWith("a reply changed an argument the call did not pass", true);
            raiseUnavailable();
        }
        args[position] = std::move(arg);
    }
    return std::move(value.result);
}

void Connection::post(std::uint32_t objectId, std::u16string_view name, InvokeKind kind,
                      std::span<const Variant> args) {
    const auto keepAlive = shared_from_this();
    const std::uint32_t callId = ++m_lastCallId;
    send(wire::CallFrame{callId, objectId, kind, std::u16string(name), {args.begin(), args.end()}, true});
    m_postsInFlight.push_back(callId);
    // What arrived while the send waited for room (failures of earlier posts) is taken in now.
    while (isOpen() && handleOne(0, false)) {
    }
}

void Connection::raisePostFailure() {
    if (!m_postFailure) return;
    wire::ErrorReply failure = std::move(*m_postFailure);
    m_postFailure.reset();
    throw RuntimeError(failure.number, std::move(failure.description), std::move(failure.source),
                       std::move(failure.helpFile), failure.helpContext);
}

void Connection::advise(std::uint32_t objectId, const ObjectRef& sink) noexcept {
    if (!isOpen()) return;
    try {
        send(wire::AdviseFrame{objectId, Variant(sink)});
    } catch (...) {
        // A peer that is gone sends no events either.
    }
}

void Connection::forgetProxy(std::uint32_t objectId, std::uint32_t references) noexcept {
    m_imports.erase(objectId);
    // A frame that failed to decode is not answered: the connection closes right after.
    if (isOpen() && !m_decoding) {
        try {
            send(wire::ReleaseFrame{objectId, references});
        } catch (...) {
            // The peer is gone, and with it the object.
        }
    }
    closeIfIdle();
}

void Connection::send(const wire::Frame& frame) {
    if (!isOpen()) raiseUnavailable();
    m_exportsInFrame.clear();
    m_classesInFrame.clear();
    std::vector<std::uint8_t> bytes;
    try {
        bytes = wire::encodeFrame(frame, *this);
    } catch (...) {
        rollBackExports();
        throw;
    }
    m_exportsInFrame.clear();
    m_classesInFrame.clear();
    if (const int error = writeAll(bytes)) {
        // A peer that has closed its end is gone, not faulty; other failures are the socket's.
        const bool hungUp = error == EPIPE || error == ECONNRESET;
        closeWith(
            hungUp ? "the peer closed the connection" : std::string("write failed: ") + std::strerror(error),
            !hungUp);
        raiseUnavailable();
    }
}

void Connection::rollBackExports() noexcept {
    for (std::uint32_t id : m_exportsInFrame) {
        auto it = m_exports.find(id);
        if (it == m_exports.end() || --it->second.references > 0) continue;
        // The frame's own values still hold the object: dropping the entry destroys nothing here.
        m_exportIds.erase(it->second.object.get());
        m_exports.erase(it);
    }
    for (const ClassInfo* info : m_classesInFrame) m_sentClasses.erase(info);
    m_exportsInFrame.clear();
    m_classesInFrame.clear();
}

int Connection::writeAll(std::span<const std::uint8_t> data) noexcept {
    while (!data.empty()) {
        const ssize_t written = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            data = data.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (const int error = awaitWritable()) return error;
            continue;
        }
        return written < 0 ? errno : EPIPE;
    }
    return 0;
}

// The peer is not taking input. A client also takes in what the peer sends meanwhile: a server answering
// failed posts may itself be waiting for room, and then neither side would ever go on. The frames wait in
// the input until this side next handles frames.
int Connection::awaitWritable() noexcept {
    const bool takeInput = m_role == Role::Client;
    pollfd watch{m_fd, static_cast<short>(POLLOUT | (takeInput ? POLLIN : 0)), 0};
    if (::poll(&watch, 1, -1) < 0) return errno == EINTR ? 0 : errno;
    if (!takeInput || !(watch.revents & POLLIN)) return 0;
    try {
        const std::size_t old = m_input.size();
        m_input.resize(old + kReadChunk);
        const ssize_t got = ::recv(m_fd, m_input.data() + old, kReadChunk, MSG_DONTWAIT);
        m_input.resize(old + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got == 0) return EPIPE;
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return errno;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    return 0;
}

// ---- waiting and receiving

wire::ReplyFrame Connection::awaitReply(std::uint32_t callId,
                                        std::optional<std::chrono::steady_clock::time_point> deadline) {
    ActivityScope waiting(*this, callId);
    try {
        while (!m_reply || m_reply->callId != callId) {
            if (!isOpen()) raiseUnavailable();
            int timeoutMs = -1;
            if (deadline) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    *deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) {
                    closeWith("no reply in time", true);
                    raiseUnavailable();
                }
                timeoutMs = static_cast<int>(left.count()) + 1;
            }
            handleOne(timeoutMs);
        }
    } catch (const RuntimeError&) {
        raisePostFailure();
        throw;
    }
    wire::ReplyFrame reply = std::move(*m_reply);
    m_reply.reset();
    // Every post before this call is done now. One that failed comes first: its caller would have stopped
    // there.
    raisePostFailure();
    return reply;
}

// Handles the next frame, reading (and waiting up to timeoutMs) when none is complete yet and mayRead
// allows. A bad frame or a lost peer closes the connection. Returns whether a frame was handled.
bool Connection::handleOne(int timeoutMs, bool mayRead) {
    try {
        std::optional<wire::Frame> frame = nextFrame();
        while (!frame && isOpen()) {
            if (!mayRead || !readInput(timeoutMs)) return false;
            frame = nextFrame();
        }
        if (!frame) return false;
        dispatch(*frame);
        return true;
    } catch (const wire::WireError& error) {
        closeWith(std::string("malformed frame: ") + error.what(), true);
    } catch (const PeerGone& gone) {
        closeWith(gone.reason, false);
    }
    return false;
}

bool Connection::serve(int timeoutMs) {
    if (!isOpen()) return false;
    if (handleOne(timeoutMs)) {
        // Everything that came with that read. More input wakes the caller's loop again, so reading until
        // nothing is left would only cost a system call that finds nothing.
        while (isOpen() && handleOne(0, false)) {
        }
    }
    closeIfIdle();
    return isOpen();
}

// A wait without end is the read itself, one system call; only a bounded wait polls first.
bool Connection::readInput(int timeoutMs) {
    if (timeoutMs > 0) {
        pollfd watch{m_fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, timeoutMs);
        if (ready < 0 && errno != EINTR) throw PeerGone{std::string("poll failed: ") + std::strerror(errno)};
        if (ready <= 0) return false;
    }
    const std::size_t old = m_input.size();
    m_input.resize(old + kReadChunk);
    const ssize_t got = ::recv(m_fd, m_input.data() + old, kReadChunk, timeoutMs < 0 ? 0 : MSG_DONTWAIT);
    const int error = errno;
    m_input.resize(old + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got > 0) return true;
    if (got == 0) throw PeerGone{"the peer closed the connection"};
    if (error == EAGAIN || error == EWOULDBLOCK) {
        // A socket set not to block: the wait without end is a poll after all.
        pollfd watch{m_fd, POLLIN, 0};
        if (timeoutMs < 0 && ::poll(&watch, 1, -1) < 0 && errno != EINTR)
            throw PeerGone{std::string("poll failed: ") + std::strerror(errno)};
        return false;
    }
    if (error == EINTR) return false;
    throw PeerGone{std::string("read failed: ") + std::strerror(error)};
}

std::optional<wire::Frame> Connection::nextFrame() {
    const std::size_t available = m_input.size() - m_inputAt;
    if (available < wire::kLengthSize) return std::nullopt;
    const std::uint8_t* start = m_input.data() + m_inputAt;
    const std::uint32_t length =
        wire::payloadLength(std::span<const std::uint8_t, wire::kLengthSize>(start, 4));
    if (available - wire::kLengthSize < length) return std::nullopt;

    m_decoding = true;
    std::optional<wire::Frame> frame;
    try {
        frame = wire::decodeFrame({start + wire::kLengthSize, length}, *this);
    } catch (...) {
        m_decoding = false;
        throw;
    }
    m_decoding = false;
    m_inputAt += wire::kLengthSize + length;
    if (m_inputAt == m_input.size()) {
        m_input.clear();
        m_inputAt = 0;
    } else if (m_inputAt > kReadChunk) {
        m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(m_inputAt));
        m_inputAt = 0;
    }
    return frame;
}

// ---- serving

void Connection::dispatch(wire::Frame& frame) {
    std::visit(
        Overloaded{[&](wire::CallFrame& call) { serveCall(call); },
                   [&](wire::ReplyFrame& reply) { acceptReply(reply); },
                   [&](wire::ReleaseFrame& release) { releaseExport(release.objectId, release.count); },
                   [&](wire::CreateFrame& create) { serveCreate(create); },
                   [&](wire::AdviseFrame& advise) { serveAdvise(advise); }},
        frame);
}

void Connection::serveCall(wire::CallFrame& call) {
    const ObjectRef target = exported(call.objectId);
    ActivityScope serving(*this, 0);
    wire::ReplyFrame reply{call.callId, {}};
    try {
        if (call.post) {
            // Nobody waits for a post that went well.
            target->invoke(call.name, call.kind, call.args);
            return;
        }
        // Only the arguments the callee changed travel back.
        const std::vector<Variant> before = call.args;
        wire::ValueReply value{target->invoke(call.name, call.kind, call.args), {}};
        for (std::size_t i = 0; i < call.args.size(); ++i)
            if (!(call.args[i] == before[i]))
                value.changedArgs.emplace_back(static_cast<std::uint32_t>(i), std::move(call.args[i]));
        reply.outcome = std::move(value);
    } catch (const RuntimeError& error) {
        reply.outcome = errorReplyOf(error);
    } catch (const std::exception& error) {
        reply.outcome = errorReplyOf(error);
    }
    sendReply(std::move(reply));
}

void Connection::serveCreate(const wire::CreateFrame& create) {
    ActivityScope serving(*this, 0);
    wire::ReplyFrame reply{create.callId, {}};
    const CoClass* entry = m_classes ? m_classes->findByClsid(create.classId) : nullptr;
    try {
        if (!entry)
            raise(err::CantCreateObject,
                  standardErrorText(err::CantCreateObject) + u": the server does not serve the class " +
                      create.classId,
                  {});
        ObjectRef object = entry->create();
        if (!object) raise(err::CantCreateObject);
        reply.outcome = wire::ValueReply{Variant(std::move(object)), {}};
    } catch (const RuntimeError& error) {
        reply.outcome = errorReplyOf(error);
    } catch (const std::exception& error) {
        reply.outcome = errorReplyOf(error);
    }
    sendReply(std::move(reply));
}

void Connection::serveAdvise(wire::AdviseFrame& advise) {
    const ObjectRef target = exported(advise.objectId);
    if (!advise.sink.isObject() || !advise.sink.toObject()) throw wire::WireError("advise without a sink");
    try {
        connectEvents(target, advise.sink.toObject());
    } catch (const RuntimeError&) {
        // An object without events: there is nothing to forward.
    }
}

void Connection::sendReply(wire::ReplyFrame reply) noexcept {
    if (!isOpen()) return;
    const std::uint32_t callId = reply.callId;
    try {
        send(wire::Frame(std::move(reply)));
    } catch (const RuntimeError& error) {
        // The result could not travel (too large, not convertible): the caller gets the reason instead.
        if (!isOpen()) return;
        try {
            send(wire::ReplyFrame{callId, errorReplyOf(error)});
        } catch (...) {
        }
    } catch (...) {
    }
}

void Connection::acceptReply(wire::ReplyFrame& reply) {
    // The peer serves frames in order: every post sent before the call answered here is done.
    while (!m_postsInFlight.empty() && m_postsInFlight.front() < reply.callId) m_postsInFlight.pop_front();
    if (!m_postsInFlight.empty() && m_postsInFlight.front() == reply.callId) {
        m_postsInFlight.pop_front();
        auto* failure = std::get_if<wire::ErrorReply>(&reply.outcome);
        if (!failure) throw wire::WireError("a post answered with a value");
        // The first failure is the one its caller would have stopped at; what follows came of going on.
        if (!m_postFailure) m_postFailure = std::move(*failure);
        return;
    }
    // Calls nest strictly: only the innermost waiting call can be answered.
    if (m_activity.empty() || m_activity.back() != reply.callId || m_reply)
        throw wire::WireError("a reply to no waiting call");
    m_reply = std::move(reply);
}

void Connection::releaseExport(std::uint32_t id, std::uint32_t count) {
    auto it = m_exports.find(id);
    if (it == m_exports.end() || count > it->second.references)
        throw wire::WireError("release of references the peer was never given");
    it->second.references -= count;
    if (it->second.references > 0) return;
    // The object's destructor may use this connection (release proxies it holds): the tables are
    // consistent before it runs.
    ObjectRef object = std::move(it->second.object);
    m_exportIds.erase(object.get());
    m_exports.erase(it);
}

ObjectRef Connection::exported(std::uint32_t id) const {
    auto it = m_exports.find(id);
    if (it == m_exports.end()) throw wire::WireError("a call on an object the peer was never given");
    return it->second.object;
}

// ---- object references

wire::WireObject Connection::exportObject(const ObjectRef& object) {
    if (!object) return {};
    if (auto* remote = dynamic_cast<RemoteObject*>(object.get()); remote && &remote->connection() == this)
        return wire::WireObject{wire::ObjectOwner::Receiver, remote->id(), 0, {}};

    wire::WireObject reference{wire::ObjectOwner::Sender, 0, 0, {}};
    auto known = m_exportIds.find(object.get());
    if (known != m_exportIds.end()) {
        reference.id = known->second;
        ++m_exports[reference.id].references;
    } else {
        reference.id = ++m_lastExportId;
        m_exports.emplace(reference.id, Export{object, 1});
        m_exportIds.emplace(object.get(), reference.id);
        m_everExported = true;
    }
    m_exportsInFrame.push_back(reference.id);
    reference.classNumber = classNumberOf(object, reference.typeName);
    return reference;
}

std::uint32_t Connection::classNumberOf(const ObjectRef& object, std::u16string& typeName) {
    const auto* described = dynamic_cast<const ComObject*>(object.get());
    std::shared_ptr<const ClassInfo> relayed;
    if (const auto* remote = dynamic_cast<const RemoteObject*>(object.get())) {
        // A proxy of a third party's object: its description lives as long as that connection's cache,
        // so this connection keeps it too.
        relayed = remote->describedClass();
        if (!relayed) described = nullptr;
    }
    if (!described) {
        typeName = object->typeName();
        return 0;
    }
    const ClassInfo* info = &described->classInfo();
    auto it = m_sentClasses.find(info);
    if (it != m_sentClasses.end()) return it->second;
    const auto number = static_cast<std::uint32_t>(m_sentClasses.size() + 1);
    m_sentClasses.emplace(info, number);
    m_classesInFrame.push_back(info);
    if (relayed) m_heldClasses.push_back(std::move(relayed));
    return number;
}

std::vector<const ClassInfo*> Connection::takeNewClasses() {
    return m_classesInFrame;
}

void Connection::defineClass(std::shared_ptr<const ClassInfo> info) {
    if (m_receivedClasses.size() >= kMaxReceivedClasses) throw wire::WireError("too many classes described");
    m_receivedClasses.push_back(std::move(info));
}

ObjectRef Connection::importObject(const wire::WireObject& reference) {
    switch (reference.owner) {
        case wire::ObjectOwner::Nothing:
            return {};
        case wire::ObjectOwner::Receiver:
            return exported(reference.id);
        case wire::ObjectOwner::Sender:
            break;
    }
    if (auto it = m_imports.find(reference.id); it != m_imports.end()) {
        it->second->addReference();
        return ObjectRef(it->second);
    }
    std::shared_ptr<const ClassInfo> info;
    if (reference.classNumber != 0) {
        if (reference.classNumber > m_receivedClasses.size())
            throw wire::WireError("an undescribed class number");
        info = m_receivedClasses[reference.classNumber - 1];
    }
    auto proxy =
        makeObject<RemoteObject>(shared_from_this(), reference.id, std::move(info), reference.typeName);
    m_imports.emplace(reference.id, proxy.get());
    return proxy;
}

// ---- ending

bool Connection::isIdle() const noexcept {
    if (!m_activity.empty()) return false;
    if (m_role == Role::Client) return m_imports.empty();
    return m_everExported && m_exports.empty();
}

void Connection::closeIfIdle() noexcept {
    if (!isOpen() || !isIdle() || m_settling) return;
    if (!m_postsInFlight.empty()) settlePosts();
    close();
}

// The last object went with posts whose end is not known. The peer ends the connection once it has served
// them and the releases after them; their failures arrive before that.
void Connection::settlePosts() noexcept {
    m_settling = true;
    try {
        while (isOpen()) handleOne(-1);
    } catch (...) {
    }
    m_settling = false;
    reportPostFailure();
}

// A post's failure with no caller left to raise it to goes where the connection reports its faults.
void Connection::reportPostFailure() noexcept {
    if (!m_postFailure) return;
    try {
        std::fprintf(stderr, "component call failed after its caller went on: %s (error %d)\n",
                     toUtf8(m_postFailure->description).c_str(), m_postFailure->number);
    } catch (...) {
    }
    m_postFailure.reset();
}

void Connection::closeWith(const std::string& reason, bool fault) noexcept {
    if (!isOpen()) return;
    // Releasing the peer's references may drop the last owner of this connection.
    const auto keepAlive = weak_from_this().lock();
    ::close(m_fd);
    m_fd = -1;
    m_fault = fault;
    if (fault) std::fprintf(stderr, "component connection closed: %s\n", reason.c_str());
    m_imports.clear();        // proxies stay with their holders and report 462 from now on
    m_postsInFlight.clear();  // their end is not known and never will be
    m_exportIds.clear();
    auto released = std::move(m_exports);
    m_exports.clear();
    released.clear();
    if (m_serverProcess > 0) reapServerProcess(m_serverProcess);
}

void Connection::raiseUnavailable() const {
    raise(err::RemoteServerUnavailable);
}

}  // namespace velmora
