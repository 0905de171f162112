#include "FileManagerStandIn.h"

#include <gio/gio.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace velmora::test {
namespace {

const char kInterface[] =
    "<node><interface name='org.freedesktop.FileManager1'>"
    "<method name='ShowFolders'><arg type='as' direction='in'/><arg type='s' direction='in'/></method>"
    "<method name='ShowItems'><arg type='as' direction='in'/><arg type='s' direction='in'/></method>"
    "<method name='ShowItemProperties'><arg type='as' direction='in'/><arg type='s' direction='in'/></method>"
    "</interface></node>";

}  // namespace

struct FileManagerStandIn::State {
    mutable std::mutex mutex;
    std::condition_variable ready;
    bool started = false;
    bool owned = false;
    std::vector<std::string> calls;
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    std::thread thread;

    static void onCall(GDBusConnection*, const char*, const char*, const char*, const char* method,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<State*>(data);
        GVariant* uris = g_variant_get_child_value(parameters, 0);
        const char* first = "";
        if (g_variant_n_children(uris) > 0) g_variant_get_child(uris, 0, "&s", &first);
        {
            std::lock_guard lock(self->mutex);
            self->calls.push_back(std::string(method) + " " + first);
        }
        g_variant_unref(uris);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    void signal(bool success) {
        std::lock_guard lock(mutex);
        started = true;
        owned = success;
        ready.notify_all();
    }

    void serve() {
        g_main_context_push_thread_default(context);
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
        static const GDBusInterfaceVTable vtable{&State::onCall, nullptr, nullptr, {}};
        bool ok = bus &&
                  g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1", node->interfaces[0],
                                                    &vtable, this, nullptr, nullptr) != 0;
        if (ok) {
            GVariant* reply = g_dbus_connection_call_sync(
                bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
            ok = reply != nullptr;
            if (reply) g_variant_unref(reply);
        }
        signal(ok);
        if (ok) g_main_loop_run(loop);
        g_dbus_node_info_unref(node);
        if (bus) g_object_unref(bus);
        g_main_context_pop_thread_default(context);
    }
};

FileManagerStandIn::FileManagerStandIn() : m_state(std::make_unique<State>()) {
    m_state->context = g_main_context_new();
    m_state->loop = g_main_loop_new(m_state->context, FALSE);
    m_state->thread = std::thread([state = m_state.get()] { state->serve(); });
    std::unique_lock lock(m_state->mutex);
    m_state->ready.wait(lock, [this] { return m_state->started; });
    if (!m_state->owned) {
        lock.unlock();
        m_state->thread.join();
        throw std::runtime_error("no session bus for the file-manager stand-in");
    }
}

FileManagerStandIn::~FileManagerStandIn() {
    if (m_state->thread.joinable()) {
        g_main_loop_quit(m_state->loop);
        m_state->thread.join();
    }
    g_main_loop_unref(m_state->loop);
    g_main_context_unref(m_state->context);
}

std::vector<std::string> FileManagerStandIn::calls() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->calls;
}

}  // namespace velmora::test
