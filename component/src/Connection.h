// One end of the stream socket between a client process and a component server. Both ends are alike:
// each exports its objects to the other by id, holds proxies for the other's objects, calls members of
// them and serves calls on its own. Calls are synchronous; while a call waits for its reply, calls coming
// back (events, callbacks on objects passed along) are served on the same thread, nested in the wait.
//
// A put that has nothing to tell its caller but a failure may be posted instead: sent in order with the
// other calls, without waiting. Its failure is raised by the next call on the connection that waits, and a
// connection that ends with posts outstanding first waits for the peer to end it, so no failure goes
// unseen.
//
// A connection is used by one thread. It closes when the peer hangs up, when a frame breaks the format
// (the peer cannot be trusted any more), and when it has nothing left to do: a client's once it holds no
// proxy, a server's once the client has released every object it was given. Closing releases every
// object the peer held; calls after it raise error 462.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Frame.h"
#include "component/ClassTable.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

class RemoteObject;

class Connection final : public std::enable_shared_from_this<Connection>, private wire::ClassCatalog {
  public:
    enum class Role { Client, Server };

    // Takes over fd, a connected stream socket. A server's connection creates objects of its class table;
    // a client's knows its server's process, to collect it when the connection ends.
    static std::shared_ptr<Connection> client(int fd, pid_t serverProcess);
    static std::shared_ptr<Connection> server(int fd, const ClassTable& classes);
    Connection(int fd, Role role, const ClassTable* classes, pid_t serverProcess);
    ~Connection();

    bool isOpen() const noexcept { return m_fd >= 0; }
    int fd() const noexcept { return m_fd; }
    pid_t serverProcess() const noexcept { return m_serverProcess; }
    // True when the connection ended because of a fault (bad frame, failed write) rather than a hang-up
    // or its work being done.
    bool closedByFault() const noexcept { return m_fault; }

    // A new object of the registered class; 429 when the server does not make one, when it does not
    // answer within timeout, or when it ends first.
    ObjectRef create(std::u16string_view classId, std::chrono::milliseconds timeout);
    // A member call on an object of the peer; by-reference arguments come back into args.
    Variant call(std::uint32_t objectId, std::u16string_view name, InvokeKind kind, std::span<Variant> args);
    // Whether a put may be posted now: only while the peer holds none of this side's objects, so that
    // nothing can call back into this process while it runs.
    bool canPost() const noexcept { return isOpen() && m_exports.empty(); }
    // A call nobody waits for: it changes no argument and returns nothing; 462 when the peer is gone. If
    // it fails over there, the next call that waits raises the failure (the first, when several did).
    void post(std::uint32_t objectId, std::u16string_view name, InvokeKind kind,
              std::span<const Variant> args);
    // Asks the peer to send the object's events to sink. Nothing is reported back: an object without
    // events simply sends none.
    void advise(std::uint32_t objectId, const ObjectRef& sink) noexcept;
    // A proxy is going away: the peer may drop the references it handed over.
    void forgetProxy(std::uint32_t objectId, std::uint32_t references) noexcept;

    // Waits up to timeout (negative: for ever) for input, then handles every complete frame that has
    // arrived. Returns whether the connection is still open.
    bool serve(int timeoutMs);
    void close() noexcept { closeWith({}, false); }

  private:
    struct Export {
        ObjectRef object;
        std::uint32_t references = 0;  // handed to the peer and not yet released by it
    };
    // What the connection is doing, innermost last: waiting for the reply to a call id, or serving (0).
    using Activity = std::uint32_t;
    class ActivityScope;

    // ClassCatalog
    wire::WireObject exportObject(const ObjectRef& object) override;
    ObjectRef importObject(const wire::WireObject& reference) override;
    std::vector<const ClassInfo*> takeNewClasses() override;
    void defineClass(std::shared_ptr<const ClassInfo> info) override;
    std::uint32_t classNumberOf(const ObjectRef& object, std::u16string& typeName);

    void send(const wire::Frame& frame);
    void rollBackExports() noexcept;
    int writeAll(std::span<const std::uint8_t> data) noexcept;  // 0 or the errno of the failure
    int awaitWritable() noexcept;
    void raisePostFailure();
    void settlePosts() noexcept;
    void reportPostFailure() noexcept;
    wire::ReplyFrame awaitReply(std::uint32_t callId,
                                std::optional<std::chrono::steady_clock::time_point> deadline);
    bool readInput(int timeoutMs);
    std::optional<wire::Frame> nextFrame();
    bool handleOne(int timeoutMs, bool mayRead = true);
    void dispatch(wire::Frame& frame);
    void serveCall(wire::CallFrame& call);
    void serveCreate(const wire::CreateFrame& create);
    void serveAdvise(wire::AdviseFrame& advise);
    void acceptReply(wire::ReplyFrame& reply);
    void releaseExport(std::uint32_t id, std::uint32_t count);
    void sendReply(wire::ReplyFrame reply) noexcept;
    ObjectRef exported(std::uint32_t id) const;
    bool isIdle() const noexcept;
    void closeIfIdle() noexcept;
    void closeWith(const std::string& reason, bool fault) noexcept;
    [[noreturn]] void raiseUnavailable() const;

    int m_fd;
    Role m_role;
    const ClassTable* m_classes;
    pid_t m_serverProcess;
    bool m_fault = false;

    std::unordered_map<std::uint32_t, Export> m_exports;
    std::unordered_map<const Object*, std::uint32_t> m_exportIds;
    std::uint32_t m_lastExportId = 0;
    bool m_everExported = false;
    std::vector<std::uint32_t> m_exportsInFrame;  // undone when a frame cannot be sent

    std::unordered_map<std::uint32_t, RemoteObject*> m_imports;

    std::unordered_map<const ClassInfo*, std::uint32_t> m_sentClasses;
    std::vector<std::shared_ptr<const ClassInfo>> m_heldClasses;  // described classes of relayed proxies
    std::vector<const ClassInfo*> m_classesInFrame;
    std::vector<std::shared_ptr<const ClassInfo>> m_receivedClasses;

    std::vector<std::uint8_t> m_input;
    std::size_t m_inputAt = 0;
    bool m_decoding = false;

    std::vector<Activity> m_activity;
    std::optional<wire::ReplyFrame> m_reply;
    std::uint32_t m_lastCallId = 0;

    std::deque<std::uint32_t> m_postsInFlight;      // call ids of posts not known to be done, oldest first
    std::optional<wire::ErrorReply> m_postFailure;  // the first failure of a post, until it is raised
    bool m_settling = false;
};

}  // namespace velmora
