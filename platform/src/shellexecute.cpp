// ShellExecuteA: our registry's associations first, then the desktop (through shellgio).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UniqueFd.h"
#include "platform/paths.h"
#include "platform/registryapi.h"
#include "platform/shell.h"
#include "resolve.h"
#include "runtime/ascii.h"
#include "shellgio.h"

namespace velmora {
namespace {

constexpr int kStarted = gio::kStarted;
static_assert(gio::kNoApplication == SE_ERR_NOASSOC && gio::kCannotStart == SE_ERR_ASSOCINCOMPLETE);

HINSTANCE asResult(int value) {
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(value));
}

// "mailto:x", "https://..." but not a drive letter ("C:\...").
bool isUrl(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool ok =
            std::isalpha(static_cast<unsigned char>(c)) ||
            (i > 0 && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

std::optional<std::string> registryDefault(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string text(size, '\0');
        if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &size) ==
            ERROR_SUCCESS) {
            text.resize(std::min<std::size_t>(size, text.size()));
            while (!text.empty() && text.back() == '\0') text.pop_back();
            value = text;
        }
    }
    RegCloseKey(key);
    return value;
}

// The registered command of a verb for a file (by extension) or a folder ("Folder").
std::optional<std::string> registeredCommand(const std::string& nativePath, bool isFolder,
                                             const std::string& verb) {
    std::string type = "Folder";
    if (!isFolder) {
        const std::size_t slash = nativePath.rfind('/');
        const std::size_t dot = nativePath.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
        auto fileType = registryDefault(nativePath.substr(dot));
        if (!fileType || fileType->empty()) return std::nullopt;
        type = *fileType;
    }
    auto command = registryDefault(type + "\\shell\\" + verb + "\\command");
    if (!command || command->empty()) return std::nullopt;
    return command;
}

// Splits a command line the Win32 way: blanks separate, quotes group, a quote is not part of the word.
std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The program's arguments: %1 / %L become the path, %* the parameters (split); a command without %1 gets
// the path at the end, as the shell does.
std::vector<std::string> commandArguments(const std::string& command, const std::string& path,
                                          const std::string& parameters) {
    std::vector<std::string> args;
    bool pathUsed = false;
    for (std::string word : splitCommandLine(command)) {
        if (word == "%*") {
            for (const std::string& p : splitCommandLine(parameters)) args.push_back(p);
            continue;
        }
        if (word.find("%1") != std::string::npos || word.find("%L") != std::string::npos) pathUsed = true;
        replaceAll(word, "%1", path);
        replaceAll(word, "%L", path);
        replaceAll(word, "%*", parameters);
        args.push_back(word);
    }
    if (!pathUsed) args.push_back(path);
    if (!args.empty() &&
        (args[0].find('\\') != std::string::npos || args[0].find(':') != std::string::npos)) {
        const std::string native = toNativePath(args[0]);
        if (!native.empty()) args[0] = native;
    }
    return args;
}

int spawnErrorResult(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return SE_ERR_FNF;
        case EACCES:
        case EPERM:
            return SE_ERR_ACCESSDENIED;
        case ENOEXEC:
            return 11;
        case ENOMEM:
            return SE_ERR_OOM;
        default:
            return SE_ERR_ASSOCINCOMPLETE;
    }
}

// Starts the program detached (its own session, reaped by init) and reports whether exec worked.
int startDetached(const std::vector<std::string>& args, const std::string& folder) {
    if (args.empty() || args[0].empty()) return SE_ERR_ASSOCINCOMPLETE;
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) return SE_ERR_OOM;
    UniqueFd readEnd(channel[0]);
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(channel[1]);
        return SE_ERR_OOM;
    }
    if (middle == 0) {
        ::setsid();
        if (::fork() != 0) _exit(0);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            // an unusable start folder: run from the current one
        }
        ::execvp(argv[0], argv.data());
        const int error = errno;
        (void)!::write(channel[1], &error, sizeof error);
        _exit(127);
    }
    ::close(channel[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(readEnd.get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return got == sizeof error ? spawnErrorResult(error) : kStarted;
}

std::string startFolder(LPCSTR lpDirectory) {
    if (!lpDirectory || !*lpDirectory) return {};
    std::string native;
    return resolveSuitePath(lpDirectory, native) ? native : std::string();
}

int openPath(const std::string& native, bool isFolder, const std::string& verb, LPCSTR lpParameters,
             LPCSTR lpDirectory) {
    if (auto command = registeredCommand(native, isFolder, verb))
        return startDetached(commandArguments(*command, native, lpParameters ? lpParameters : ""),
                             startFolder(lpDirectory));
    if (verb != "open") return SE_ERR_NOASSOC;
    return gio::openWithDefault(native);
}

int showInFileManager(const std::string& native, bool isFolder, const std::string& verb) {
    const char* method = verb == "properties" ? "ShowItemProperties" : isFolder ? "ShowFolders" : "ShowItems";
    if (gio::askFileManager(method, native)) return kStarted;
    const std::string folder = verb == "explore" && isFolder ? native : containingFolder(native);
    return openPath(folder, true, "open", nullptr, nullptr);
}

// SE_ERR_FNF / SE_ERR_PNF for a name that does not resolve to an existing item.
int locate(LPCSTR lpFile, std::string& native, bool& isFolder) {
    if (!resolveSuitePath(lpFile, native))
        return GetLastError() == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF;
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) {
        isFolder = S_ISDIR(st.st_mode);
        return 0;
    }
    struct stat parent {};
    const bool folderThere =
        ::stat(containingFolder(native).c_str(), &parent) == 0 && S_ISDIR(parent.st_mode);
    return folderThere ? SE_ERR_FNF : SE_ERR_PNF;
}

}  // namespace
}  // namespace velmora

HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                        INT) {
    using namespace velmora;
    if (!lpFile || !*lpFile) return asResult(SE_ERR_FNF);
    const std::string verb = lpOperation && *lpOperation ? lowerAscii(lpOperation) : "open";
    if (isUrl(lpFile)) return asResult(verb == "open" ? gio::openUri(lpFile) : SE_ERR_NOASSOC);
    std::string native;
    bool isFolder = false;
    if (int error = locate(lpFile, native, isFolder)) return asResult(error);
    if (verb == "properties" || verb == "explore") return asResult(showInFileManager(native, isFolder, verb));
    return asResult(openPath(native, isFolder, verb, lpParameters, lpDirectory));
}
