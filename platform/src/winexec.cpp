#include "platform/winexec.h"

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DesktopSettings.h"
#include "platform/shell.h"
#include "spawn.h"

namespace {

// Blank-separated words; double quotes keep blanks inside a word and are dropped.
std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> result;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (inWord) result.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) result.push_back(std::move(word));
    return result;
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// "desk.cpl,,0" for "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,0"; nothing for other commands.
bool controlPanelApplet(const std::vector<std::string>& args, std::string& applet) {
    if (args.size() < 2) return false;
    const std::string program = lower(args[0]);
    if (program != "rundll32.exe" && program != "rundll32") return false;
    constexpr std::string_view kRunner = "shell32.dll,control_rundll";
    const std::string entry = lower(args[1]);
    if (entry.compare(0, kRunner.size(), kRunner) != 0) return false;
    applet = args[1].substr(kRunner.size());
    for (std::size_t i = 2; i < args.size(); ++i) applet += " " + args[i];
    return true;
}

UINT fromShellResult(int result) {
    switch (result) {
        case SE_ERR_FNF:
            return ERROR_FILE_NOT_FOUND;
        case SE_ERR_PNF:
            return ERROR_PATH_NOT_FOUND;
        case SE_ERR_OOM:
            return 0;
        case SE_ERR_ACCESSDENIED:
            return ERROR_ACCESS_DENIED;
        case 11:
            return ERROR_BAD_FORMAT;
        default:
            return result > 31 ? 33 : ERROR_FILE_NOT_FOUND;
    }
}

}  // namespace

UINT WinExec(LPCSTR lpCmdLine, UINT) {
    const std::vector<std::string> args = words(lpCmdLine ? lpCmdLine : "");
    if (args.empty()) return 0;
    std::string applet;
    if (controlPanelApplet(args, applet)) {
        const auto command = velmora::desktopSettingsCommand(applet);
        return command ? fromShellResult(velmora::startDetached(*command, {})) : 33;
    }
    return fromShellResult(velmora::startDetached(args, {}));
}
