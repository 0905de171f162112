#include "platform/DesktopSettings.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace velmora {
namespace {

// Applet page -> GNOME Settings panel, KDE System Settings module. Empty: no such page there. Pages
// without any equivalent (hardware wizard, passwords applet of old, the tweak applet) are absent.
struct SettingsPage {
    const char* applet;
    const char* gnomePanel;
    const char* kdeModule;
};

constexpr SettingsPage kPages[] = {
    {"access.cpl", "universal-access", "kcm_access"},
    {"appwiz.cpl,,1", "applications", ""},
    {"desk.cpl,,0", "display", "kcm_kscreen"},
    {"themes.cpl,,0", "background", "kcm_lookandfeel"},
    {"main.cpl@3", "", "kcm_fonts"},
    {"inetcpl.cpl,,0", "network", "kcm_proxy"},
    {"main.cpl@1", "keyboard", "kcm_keyboard"},
    {"modem.cpl", "wwan", "kcm_networkmanagement"},
    {"main.cpl@0", "mouse", "kcm_mouse"},
    {"netcpl.cpl", "network", "kcm_networkmanagement"},
    {"password.cpl", "user-accounts", "kcm_users"},
    {"powercfg.cpl", "power", "kcm_powerdevilprofilesconfig"},
    {"main.cpl@2", "printers", "kcm_printer_manager"},
    {"intl.cpl,,0", "region", "kcm_regionandlang"},
    {"mmsys.cpl@1", "sound", "kcm_pulseaudio"},
    {"sysdm.cpl,,0", "info-overview", "kcm_about-distro"},
    {"timedate.cpl", "datetime", "kcm_clock"},
};

constexpr const char* kGnomeSettings[] = {"gnome-control-center"};
constexpr const char* kKdeSettings[] = {"systemsettings", "systemsettings5"};
constexpr const char* kFileSearch[] = {"kfind", "catfish", "gnome-search-tool"};

std::string normalised(std::string_view applet) {
    std::string key;
    for (const char c : applet)
        if (!std::isspace(static_cast<unsigned char>(c)))
            key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return key;
}

bool kdeFirst() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && std::string_view(desktop).find("KDE") != std::string_view::npos;
}

template <std::size_t N>
std::string firstFound(const char* const (&programs)[N]) {
    for (const char* program : programs)
        if (std::string path = findOnPath(program); !path.empty()) return path;
    return {};
}

std::optional<std::vector<std::string>> gnomeCommand(const SettingsPage& page) {
    if (!*page.gnomePanel) return std::nullopt;
    std::string program = firstFound(kGnomeSettings);
    if (program.empty()) return std::nullopt;
    return std::vector<std::string>{program, page.gnomePanel};
}

std::optional<std::vector<std::string>> kdeCommand(const SettingsPage& page) {
    if (!*page.kdeModule) return std::nullopt;
    std::string program = firstFound(kKdeSettings);
    if (program.empty()) return std::nullopt;
    return std::vector<std::string>{program, page.kdeModule};
}

}  // namespace

std::string findOnPath(std::string_view program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string_view::npos) {
        const std::string path(program);
        return ::access(path.c_str(), X_OK) == 0 ? path : std::string();
    }
    const char* searchPath = std::getenv("PATH");
    std::istringstream folders(searchPath ? searchPath : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + std::string(program);
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::optional<std::vector<std::string>> desktopSettingsCommand(std::string_view applet) {
    const std::string key = normalised(applet);
    const auto page = std::find_if(std::begin(kPages), std::end(kPages),
                                   [&](const SettingsPage& entry) { return key == entry.applet; });
    if (page == std::end(kPages)) return std::nullopt;
    if (kdeFirst()) {
        if (auto command = kdeCommand(*page)) return command;
        return gnomeCommand(*page);
    }
    if (auto command = gnomeCommand(*page)) return command;
    return kdeCommand(*page);
}

std::optional<std::vector<std::string>> desktopFileSearchCommand() {
    std::string program = firstFound(kFileSearch);
    if (program.empty()) return std::nullopt;
    return std::vector<std::string>{program};
}

}  // namespace velmora
