// Short (8.3) names: generation, resolution back to long names, and the two path calls.
#include "platform/shortnames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "fileerrors.h"
#include "platform/paths.h"
#include "resolve.h"
#include "shortnaming.h"
#include "textout.h"

namespace velmora {
namespace {

constexpr std::string_view kNot83 = " +,;=[]\"*/:<>?\\|.";

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool allowed83(unsigned char c) {
    return c > 0x20 && c < 0x80 && kNot83.find(static_cast<char>(c)) == kNot83.npos;
}

// Upper-case 8.3 characters of a name part: unusable ASCII dropped, each other-alphabet character one '_'.
std::string cleaned(std::string_view part) {
    std::string out;
    for (const char ch : part) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            if ((c & 0xC0) != 0x80) out += '_';  // one '_' per UTF-8 sequence, at its lead byte
        } else if (allowed83(c)) {
            out += static_cast<char>(std::toupper(c));
        }
    }
    return out;
}

struct Mangled {
    std::string base;
    std::string extension;
};

Mangled mangle(std::string_view name) {
    const std::size_t start = name.find_first_not_of('.');
    name = start == name.npos ? std::string_view() : name.substr(start);
    const std::size_t dot = name.rfind('.');
    Mangled m;
    m.base = cleaned(dot == name.npos ? name : name.substr(0, dot));
    m.extension = dot == name.npos ? std::string() : cleaned(name.substr(dot + 1)).substr(0, 3);
    if (m.base.empty()) m.base = "_";
    return m;
}

std::string numbered(const Mangled& m, unsigned n) {
    const std::string tail = "~" + std::to_string(n);
    std::string name = m.base.substr(0, 8 - tail.size()) + tail;
    return m.extension.empty() ? name : name + "." + m.extension;
}

// The order in which names of one kind got their numbers: creation time, then name.
std::tuple<std::int64_t, std::uint32_t, std::string> creationKey(const std::string& folder,
                                                                 const std::string& name) {
    struct statx sx {};
    const std::string path = folder + "/" + name;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &sx) != 0)
        return {0, 0, name};
    const auto& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
    return {t.tv_sec, t.tv_nsec, name};
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The long name in `folder` whose short name is `shortName`; empty when none.
std::string longNameFor(const std::string& folder, std::string_view shortName) {
    const std::string where = folder.empty() ? "." : folder;
    const std::string wanted = upper(shortName);
    for (const auto& [longName, shortForm] : shortNamesOf(where, folderEntries(where)))
        if (upper(shortForm) == wanted) return longName;
    return {};
}

// Replaces components that do not exist but are some entry's short name by that entry's long name.
std::string expandShortNames(const std::string& native) {
    std::string current = native[0] == '/' ? "/" : "";
    std::size_t pos = native.find_first_not_of('/');
    while (pos != std::string::npos) {
        const std::size_t end = std::min(native.find('/', pos), native.size());
        const std::string component = native.substr(pos, end - pos);
        std::string next = joined(current, component);
        struct stat st {};
        if (lstat(next.c_str(), &st) != 0 && component.find('~') != std::string::npos) {
            const std::string longName = longNameFor(current, component);
            if (longName.empty()) return native;
            next = joined(current, longName);
        }
        current = next;
        pos = native.find_first_not_of('/', end);
    }
    if (native.back() == '/' && current.back() != '/') current += '/';
    return current;
}

// Prefix of a suite path that holds no name: "\\?\", a drive and leading separators.
std::size_t prefixLength(std::string_view path) {
    std::size_t pos = 0;
    if (path.size() >= 4 && isPathSeparator(path[0]) && isPathSeparator(path[1]) && path[2] == '?') pos = 4;
    if (path.size() >= pos + 2 && std::isalpha(static_cast<unsigned char>(path[pos])) && path[pos + 1] == ':')
        pos += 2;
    while (pos < path.size() && isPathSeparator(path[pos])) ++pos;
    return pos;
}

// Rewrites every name of a path in its short or long form, keeping the caller's separators and prefix.
DWORD convertPath(LPCSTR path, LPSTR buffer, DWORD bufferSize, bool toShort) {
    std::string native;
    if (!path) return failWith(ENOENT), 0;
    if (!resolveSuitePath(path, native)) return 0;
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) return failWith(errno, native), 0;

    const std::string_view text(path);
    std::size_t pos = prefixLength(text);
    std::string result(text.substr(0, pos));
    while (pos < text.size()) {
        if (isPathSeparator(text[pos])) {
            result += text[pos++];
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !isPathSeparator(text[end])) ++end;
        const std::string_view component = text.substr(pos, end - pos);
        if (component == "." || component == ".." || !resolveSuitePath(text.substr(0, end), native)) {
            result += component;
        } else {
            const std::string name = baseOf(native);
            result += toShort ? shortNameIn(parentOf(native), name) : name;
        }
        pos = end;
    }
    return copyOut(result, buffer, bufferSize);
}

}  // namespace

bool isValid83(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    const std::size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view extension = dot == name.npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 || (dot != name.npos && extension.empty()))
        return false;
    return std::all_of(base.begin(), base.end(),
                       [](char c) { return allowed83(static_cast<unsigned char>(c)); }) &&
           std::all_of(extension.begin(), extension.end(),
                       [](char c) { return allowed83(static_cast<unsigned char>(c)); });
}

std::vector<std::string> folderEntries(const std::string& nativeFolder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(nativeFolder.c_str()), closedir);
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    return names;
}

std::map<std::string, std::string> shortNamesOf(const std::string& nativeFolder,
                                                const std::vector<std::string>& entries) {
    std::map<std::string, std::string> result;
    std::set<std::string> taken;
    std::map<std::string, std::vector<std::string>> kinds;  // mangled base (6) and extension -> names
    for (const std::string& name : entries) {
        if (isValid83(name)) {
            result[name] = name;
            taken.insert(upper(name));
        } else {
            const Mangled m = mangle(name);
            kinds[m.base.substr(0, 6) + "." + m.extension].push_back(name);
        }
    }
    for (auto& [kind, names] : kinds) {
        if (names.size() > 1) {
            std::vector<std::tuple<std::int64_t, std::uint32_t, std::string>> order;
            for (const std::string& name : names) order.push_back(creationKey(nativeFolder, name));
            std::sort(order.begin(), order.end());
            for (std::size_t k = 0; k < order.size(); ++k) names[k] = std::get<2>(order[k]);
        }
        unsigned n = 1;
        for (const std::string& name : names) {
            const Mangled m = mangle(name);
            std::string candidate;
            do candidate = numbered(m, n++);
            while (taken.count(candidate));
            taken.insert(candidate);
            result[name] = candidate;
        }
    }
    return result;
}

std::string shortNameIn(const std::string& nativeFolder, const std::string& name) {
    if (isValid83(name)) return name;
    const auto names = shortNamesOf(nativeFolder, folderEntries(nativeFolder));
    const auto it = names.find(name);
    return it != names.end() ? it->second : numbered(mangle(name), 1);
}

bool resolveSuitePath(std::string_view suitePath, std::string& nativePath) {
    if (!suiteToNative(suitePath, nativePath)) return false;
    struct stat st {};
    if (nativePath.find('~') != std::string::npos && lstat(nativePath.c_str(), &st) != 0)
        nativePath = expandShortNames(nativePath);
    return true;
}

}  // namespace velmora

DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
    return velmora::convertPath(lpszLongPath, lpszShortPath, cchBuffer, true);
}

DWORD GetLongPathNameA(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer) {
    return velmora::convertPath(lpszShortPath, lpszLongPath, cchBuffer, false);
}
