// GIO side of the shell calls: trash, default applications, the file manager's D-Bus interface and the
// shared MIME database.
#include "shellgio.h"

#include <gio/gio.h>

#include <memory>

namespace velmora::gio {
namespace {

template <class T>
struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <class T>
using GPtr = std::unique_ptr<T, Unref<T>>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct CharsFree {
    void operator()(char* text) const { g_free(text); }
};
using Chars = std::unique_ptr<char, CharsFree>;

constexpr int kBusTimeoutMs = 5000;

// A connection of its own for each call: the session bus of the moment, not one cached by the process.
GPtr<GDBusConnection> sessionBus() {
    // No bus announced and none at its standard place: do not let GIO try to launch one.
    const char* announced = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    Chars standard(g_build_filename(g_get_user_runtime_dir(), "bus", nullptr));
    if ((!announced || !*announced) && !g_file_test(standard.get(), G_FILE_TEST_EXISTS)) return nullptr;
    Chars address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!address) return nullptr;
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return GPtr<GDBusConnection>(
        g_dbus_connection_new_for_address_sync(address.get(), flags, nullptr, nullptr, nullptr));
}

int launch(GAppInfo* app, const char* uri) {
    GList uris{const_cast<char*>(uri), nullptr, nullptr};
    GError* raw = nullptr;
    const bool started = g_app_info_launch_uris(app, &uris, nullptr, &raw);
    ErrorPtr error(raw);
    return started ? kStarted : kCannotStart;
}

}  // namespace

bool trash(const std::string& nativePath) {
    GPtr<GFile> file(g_file_new_for_path(nativePath.c_str()));
    GError* raw = nullptr;
    const bool done = g_file_trash(file.get(), nullptr, &raw);
    ErrorPtr error(raw);
    return done;
}

int openWithDefault(const std::string& nativePath, bool isFolder) {
    // The type comes from the name alone (the glob of its extension), never from the contents: a file
    // whose extension the desktop does not know has no association, as the shell decides by extension.
    GPtr<GFile> file(g_file_new_for_path(nativePath.c_str()));
    Chars name(g_file_get_basename(file.get()));
    gboolean uncertain = FALSE;
    Chars type(isFolder ? g_strdup("inode/directory")
                        : g_content_type_guess(name.get(), nullptr, 0, &uncertain));
    if (!type || uncertain || g_content_type_is_unknown(type.get())) return kNoApplication;
    GPtr<GAppInfo> app(g_app_info_get_default_for_type(type.get(), FALSE));
    if (!app) return kNoApplication;
    Chars uri(g_file_get_uri(file.get()));
    return launch(app.get(), uri.get());
}

int openUri(const std::string& uri) {
    Chars scheme(g_uri_parse_scheme(uri.c_str()));
    if (!scheme) return kNoApplication;
    GPtr<GAppInfo> app(g_app_info_get_default_for_uri_scheme(scheme.get()));
    if (!app) return kNoApplication;
    return launch(app.get(), uri.c_str());
}

bool askFileManager(const char* method, const std::string& nativePath) {
    GPtr<GDBusConnection> bus = sessionBus();
    if (!bus) return false;
    GPtr<GFile> file(g_file_new_for_path(nativePath.c_str()));
    Chars uri(g_file_get_uri(file.get()));
    const char* uris[] = {uri.get(), nullptr};
    GError* raw = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", method, g_variant_new("(^ass)", uris, ""), nullptr,
        G_DBUS_CALL_FLAGS_NONE, kBusTimeoutMs, nullptr, &raw);
    ErrorPtr error(raw);
    if (!reply) return false;
    g_variant_unref(reply);
    return true;
}

std::string typeDescription(const std::string& fileName, bool isFolder) {
    Chars type(isFolder ? g_strdup("inode/directory")
                        : g_content_type_guess(fileName.c_str(), nullptr, 0, nullptr));
    if (!type || g_content_type_is_unknown(type.get())) return {};
    Chars description(g_content_type_get_description(type.get()));
    return description ? std::string(description.get()) : std::string();
}

}  // namespace velmora::gio
