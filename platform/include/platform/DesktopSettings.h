// The desktop's own programs that stand in for the original's control-panel applets and its file search.
// One table maps each applet page to a GNOME and a KDE settings page; a program is used only when it is
// found on PATH, the current desktop's (XDG_CURRENT_DESKTOP) first.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The command for an applet as the original's control-panel runner names it ("desk.cpl,,0",
// "main.cpl @1", "access.cpl"; case and blanks do not matter), or nothing when this desktop has no
// equivalent page or no settings program is installed.
std::optional<std::vector<std::string>> desktopSettingsCommand(std::string_view applet);

// The desktop's file-search program, or nothing when none is installed.
std::optional<std::vector<std::string>> desktopFileSearchCommand();

// The full path of an executable program found on PATH, or empty.
std::string findOnPath(std::string_view program);

}  // namespace velmora
