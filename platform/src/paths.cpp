// Mapping between the suite's drive paths and POSIX paths.
#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace velmora {
namespace {

constexpr std::size_t kMaxComponent = 255;
constexpr std::size_t kMaxNativePath = 4095;

std::string envOr(const char* name, std::string fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// "\\?\C:\x" is the long-path spelling of "C:\x"; the prefix means nothing here.
std::string_view stripLongPrefix(std::string_view path) {
    if (path.size() >= 4 && isPathSeparator(path[0]) && isPathSeparator(path[1]) && path[2] == '?' &&
        isPathSeparator(path[3]))
        path.remove_prefix(4);
    return path;
}

std::string driveFolder(char letter) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (letter == 'Z') return "/";
    if (letter == 'C') return driveCRoot();
    const std::string name = std::string("VELMORA_DRIVE_") + letter;
    return envOr(name.c_str(), "");
}

std::string withSlashes(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool ownedPrivateFolder(const std::string& dir) {
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0) return false;
    return true;
}

}  // namespace

bool isUncPath(std::string_view path) {
    if (path.size() >= 8 && isPathSeparator(path[0]) && isPathSeparator(path[1]) && path[2] == '?' &&
        isPathSeparator(path[3])) {
        std::string upper(path.substr(4, 4));
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upper == "UNC\\" || upper == "UNC/";
    }
    return path.size() >= 3 && isPathSeparator(path[0]) && isPathSeparator(path[1]) && path[2] != '?' &&
           !isPathSeparator(path[2]);
}

std::string driveCRoot() {
    std::string root = envOr("VELMORA_DRIVE_C", "");
    if (root.empty()) root = envOr("XDG_DATA_HOME", homeFolder() + "/.local/share") + "/velmora/drive_c";
    std::error_code ignored;  // a folder we cannot create shows up as "path not found" later
    std::filesystem::create_directories(root, ignored);
    return root;
}

std::string runtimeFolder() {
    static std::mutex mutex;
    static std::string cachedFor, cached;
    std::lock_guard lock(mutex);
    const std::string xdg = envOr("XDG_RUNTIME_DIR", "");
    // Checked on every use: a temp cleaner may have removed it since.
    if (!cached.empty() && cachedFor == xdg && ownedPrivateFolder(cached)) return cached;

    std::string dir = xdg.empty() ? "" : xdg + "/velmora";
    if (dir.empty() || (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST))
        dir = "/tmp/velmora-" + std::to_string(geteuid());
    mkdir(dir.c_str(), 0700);
    if (!ownedPrivateFolder(dir)) return {};
    cachedFor = xdg;
    cached = dir;
    return dir;
}

std::string privateTempFolder() {
    const std::string runtime = runtimeFolder();
    if (runtime.empty()) return {};
    const std::string temp = runtime + "/temp";
    mkdir(temp.c_str(), 0700);
    return ownedPrivateFolder(temp) ? temp : std::string();
}

std::string toNativePath(std::string_view suitePath) {
    if (isUncPath(suitePath)) return {};
    suitePath = stripLongPrefix(suitePath);
    if (suitePath.empty()) return {};
    if (!hasDriveLetter(suitePath)) return withSlashes(suitePath);

    std::string root = driveFolder(suitePath[0]);
    if (root.empty()) return {};
    std::string rest = withSlashes(suitePath.substr(2));
    while (!root.empty() && root.back() == '/') root.pop_back();
    const std::size_t firstName = rest.find_first_not_of('/');
    if (firstName == std::string::npos) return root + "/";  // "C:" and "C:\" are the drive's root
    return root + "/" + rest.substr(firstName);
}

std::string toSuitePath(std::string_view posixPath) {
    namespace fs = std::filesystem;
    fs::path path{std::string(posixPath)};
    if (path.is_relative()) {
        std::error_code ec;
        path = fs::current_path(ec) / path;
    }
    std::string native = path.lexically_normal().string();
    std::string driveC = fs::path(driveCRoot()).lexically_normal().string();
    while (driveC.size() > 1 && driveC.back() == '/') driveC.pop_back();

    std::string suite;
    if (native.compare(0, driveC.size(), driveC) == 0 &&
        (native.size() == driveC.size() || native[driveC.size()] == '/')) {
        suite = "C:" + native.substr(driveC.size());
        if (suite.size() == 2) suite += '\\';
    } else {
        suite = "Z:" + native;
    }
    for (char& c : suite)
        if (c == '/') c = '\\';
    return suite;
}

DWORD checkSuitePath(std::string_view suitePath, bool) {
    if (suitePath.empty()) return ERROR_PATH_NOT_FOUND;
    std::string_view path = stripLongPrefix(suitePath);
    if (isUncPath(suitePath)) return ERROR_BAD_NETPATH;
    std::size_t start = 0;
    if (hasDriveLetter(path)) {
        if (driveFolder(path[0]).empty()) return ERROR_PATH_NOT_FOUND;
        start = 2;
    }
    // Every byte Linux allows in a name is a name's byte here, wildcards and <>"|: included: a name read
    // from a folder or typed by a user is used as it stands, and only a search pattern reads '*' and '?'.
    std::size_t componentLength = 0;
    for (std::size_t i = start; i < path.size(); ++i) {
        if (isPathSeparator(path[i])) {
            componentLength = 0;
            continue;
        }
        if (++componentLength > kMaxComponent) return ERROR_FILENAME_EXCED_RANGE;
    }
    if (toNativePath(path).size() > kMaxNativePath) return ERROR_FILENAME_EXCED_RANGE;
    return ERROR_SUCCESS;
}

bool suiteToNative(std::string_view suitePath, std::string& nativePath, bool) {
    if (const DWORD error = checkSuitePath(suitePath); error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    nativePath = toNativePath(suitePath);
    return true;
}

std::string containingFolder(const std::string& nativePath) {
    const std::size_t slash = nativePath.find_last_of('/', nativePath.size() > 1 ? nativePath.size() - 2 : 0);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : nativePath.substr(0, slash);
}

}  // namespace velmora
