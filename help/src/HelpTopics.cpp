#include "help/HelpTopics.h"

#include "HelpTopicList.h"
#include "HelpWindowProc.h"

#include <algorithm>
#include <vector>

#include "component/Enumerator.h"
#include "component/calls.h"
#include "files/FileObject.h"
#include "platform/fileversion.h"
#include "platform/find.h"
#include "platform/library.h"
#include "platform/messagebox.h"
#include "platform/registryapi.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"
#include "ui/WindowHandles.h"
#include "ui/windowproc.h"
#include "ui/windows.h"

namespace velmora {

namespace {

constexpr char kHelpKey[] = "Software\\Microsoft\\Windows\\HTML Help";
constexpr DWORD kMaxVersionBlock = 64000;

Collection& sharedList() {
    return helpTopicList();
}

void message(const std::string& text) {
    MessageBoxA(0, text.c_str(), nullptr, MB_OK);
}

// The file-name part of a path, either separator.
std::u16string bareName(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}
std::u16string directoryOf(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

Ref<FileObject> fileObject(const std::u16string& path) {
    auto file = makeObject<FileObject>();
    file->setFileName(path);
    return file;
}

// A valid help file: a name, the extension chm (any case), and the file there.
bool acceptableHelpFile(const std::u16string& path) {
    if (path.empty()) return false;
    Ref<FileObject> file = fileObject(path);
    return LCase(file->Extension()) == u"chm" && file->Exists();
}

// The default value of HKCR\CLSID\{clsid}\InprocServer32, or nothing.
std::optional<std::string> registeredLibrary(const char* clsid) {
    const std::string subKey = std::string("CLSID\\") + clsid + "\\InprocServer32";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char value[MAX_PATH * 4] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || value[0] == '\0') return std::nullopt;
    return std::string(value);
}

bool fileThere(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// "major.minor.build.revision" from the file's version record; empty when it has none.
std::u16string fileVersion(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0 || size > kMaxVersionBlock) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return {};
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return {};
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    const std::string text = std::to_string(info->dwFileVersionMS >> 16) + "." +
                             std::to_string(info->dwFileVersionMS & 0xFFFF) + "." +
                             std::to_string(info->dwFileVersionLS >> 16) + "." +
                             std::to_string(info->dwFileVersionLS & 0xFFFF);
    return fromUtf8(text);
}

}  // namespace

Collection& helpTopicList() {
    static Collection list;
    return list;
}

Ref<HelpTopic> helpTopicOfWindow(HWND window) {
    if (window == 0) return {};
    const std::u16string key = u"f:" + fromUtf8(std::to_string(window));
    Ref<HelpTopic> added;
    for (const Variant& item : sharedList()) {
        auto topic = item.toObject().as<HelpTopic>();
        if (!topic || topic->window() != window) continue;
        if (LCase(topic->Key()) == key) return topic;
        if (!added) added = topic;
    }
    return added;
}

const ClassInfo& HelpTopics::describe() {
    static const ClassInfo info =
        ClassBuilder<HelpTopics>(u"HelpTopics")
            .property(u"DefaultURL", &HelpTopics::DefaultURL, &HelpTopics::setDefaultURL)
            .method(u"IsRegistered", &HelpTopics::IsRegistered, {u"strFileName"})
            .propertyGet(u"IEVersion", &HelpTopics::IEVersion)
            .propertyGet(u"HTMLHelpVersion", &HelpTopics::HTMLHelpVersion)
            .property(u"HelpFile", &HelpTopics::HelpFile, &HelpTopics::setHelpFile)
            .property(u"ShowOnTop", &HelpTopics::ShowOnTop, &HelpTopics::setShowOnTop)
            .method(u"Item", &HelpTopics::Item, {u"vntIndexKey"})
            .asDefault()
            .propertyGet(u"Count", &HelpTopics::Count)
            .propertyGet(u"NewEnum", &HelpTopics::NewEnum)
            .propertyGet(u"HelpWindow", &HelpTopics::HelpWindow)
            .method(u"DisplayContents", &HelpTopics::DisplayContents, {opt(u"CallingHwnd")})
            .method(u"DisplayIndex", &HelpTopics::DisplayIndex, {opt(u"CallingHwnd")})
            .method(u"DisplaySearch", &HelpTopics::DisplaySearch, {opt(u"CallingHwnd")})
            .method(u"Add", &HelpTopics::Add, {u"frm", opt(u"sKey", Variant(u""))})
            .method(u"Remove", &HelpTopics::Remove, {u"vntIndexKey"})
            .method(u"RegisterHelpFile", &HelpTopics::RegisterHelpFile, {u"FileToRegister"})
            .method(u"UnregisterHelpFile", &HelpTopics::UnregisterHelpFile, {u"FileToUnRegister"})
            .method(u"GetKeyInfo", &HelpTopics::GetKeyInfo, {u"key_name", u"indent"})
            .build();
    return info;
}

HelpTopics::HelpTopics() {
    sharedList() = Collection();
    checkVersions();
}

HelpTopics::~HelpTopics() {
    std::vector<HWND> windows;
    for (const Variant& item : sharedList()) {
        if (auto topic = item.toObject().as<HelpTopic>()) {
            topic->forgetOwner(this);
            windows.push_back(topic->window());
        }
    }
    sharedList() = Collection();
    for (const HWND window : windows) helpwindow::unhook(window);
}

void HelpTopics::checkVersions() {
    const auto check = [](const char* clsid, const char* notRegistered,
                          const char* notThere) -> std::u16string {
        const std::optional<std::string> library = registeredLibrary(clsid);
        if (!library) {
            message(notRegistered);
            return {};
        }
        if (!fileThere(*library)) {
            message(notThere);
            return {};
        }
        return fileVersion(*library);
    };
    m_helpVersion = check(kHtmlHelpClsid, "Hhctrl.ocx is not registered.  Please install HTML Help.",
                          "Hhctrl.ocx is not in its registered location. Please reinstall HTML Help.");
    m_ieVersion =
        check(kBrowserClsid, "Shdocvw.dll is not registered.  Please install Internet Explorer.",
              "Internet Explorer is not in its registered location. Please reinstall Internet Explorer.");
}

bool HelpTopics::IsRegistered(std::u16string& strFileName) const {
    const std::string name = toUtf8(bareName(strFileName));
    HKEY key = nullptr;
    if (name.empty() ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHelpKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char directory[MAX_PATH * 4] = {};
    DWORD size = sizeof directory - 1;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(directory), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ &&
           fileObject(fromUtf8(directory) + fromUtf8(name))->Exists();
}

void HelpTopics::setHelpFile(std::u16string path) {
    if (path.empty()) return message("Invalid File Name");
    Ref<FileObject> file = fileObject(path);
    if (LCase(file->Extension()) != u"chm") return message("File is not a valid help file");
    if (!file->Exists()) return message("File does not exist");
    m_helpFile = std::move(path);
}

Ref<HelpTopic> HelpTopics::Item(Variant vntIndexKey) const {
    return sharedList().Item(vntIndexKey).toObject().as<HelpTopic>();
}

std::int32_t HelpTopics::Count() const {
    return sharedList().Count();
}

ObjectRef HelpTopics::NewEnum() const {
    return ObjectRef(makeObject<Enumerator>(sharedList()));
}

HWND HelpTopics::ownerFor(const Variant& calling, HWND fallback) const {
    if (!m_showOnTop) return fallback;
    HWND window = 0;
    try {
        if (!calling.isMissing()) window = static_cast<HWND>(calling.toLong());
    } catch (const RuntimeError&) {
    }
    if (window == 0 || !IsWindow(window))
        throw RuntimeError(err::ObjectNotSet, u"Invalid form reference - ShowOnTop = True",
                           u"HelpTopics:DisplayContents");
    return window;
}

HWND HelpTopics::display(HWND owner, UINT command, DWORD_PTR data) const {
    if (m_helpFile.empty() && command != HH_CLOSE_ALL) return 0;
    std::u16string target = m_helpFile;
    const std::u16string window = Trim(m_helpWindow);
    if (!window.empty()) target += u">" + window;
    return HtmlHelpA(owner, toUtf8(target).c_str(), command, data);
}

void HelpTopics::DisplayContents(Variant CallingHwnd) {
    if (!m_helpFile.empty()) display(ownerFor(CallingHwnd, 0), HH_DISPLAY_TOC, 0);
}

void HelpTopics::DisplayIndex(Variant CallingHwnd) {
    if (!m_helpFile.empty()) display(ownerFor(CallingHwnd, 0), HH_DISPLAY_INDEX, 0);
}

void HelpTopics::DisplaySearch(Variant CallingHwnd) {
    if (m_helpFile.empty()) return;
    HH_FTS_QUERY query{sizeof(HH_FTS_QUERY), FALSE, "", 0, FALSE, FALSE, FALSE, nullptr};
    display(ownerFor(CallingHwnd, 0), HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query));
}

Ref<HelpTopic> HelpTopics::Add(ObjectRef& frm, std::u16string sKey) {
    auto topic = makeObject<HelpTopic>();
    topic->adoptOwner(this);
    topic->setIndex(Count() + 1);
    topic->setFrm(frm);
    std::int32_t window = 0;
    try {
        if (frm) window = getProperty(frm, u"hWnd").toLong();
    } catch (const RuntimeError&) {
    }
    const std::u16string key =
        sKey.empty() ? u"f:" + fromUtf8(std::to_string(static_cast<HWND>(window))) : sKey;
    topic->setKey(key);
    // Listed first: a key already there raises before the window is touched.
    sharedList().Add(Variant(ObjectRef(topic)), Variant(key));
    if (IsWindow(static_cast<HWND>(window))) {
        topic->setWindow(static_cast<HWND>(window));
        topic->setOldHwnd(helpwindow::hook(static_cast<HWND>(window)));
    }
    return topic;
}

void HelpTopics::Remove(Variant& vntIndexKey) {
    const Ref<HelpTopic> topic = sharedList().Item(vntIndexKey).toObject().as<HelpTopic>();
    sharedList().Remove(vntIndexKey);
    if (!topic || topic->window() == 0) return;
    // The window keeps the help procedure while another entry still has it.
    for (const Variant& item : sharedList()) {
        const auto other = item.toObject().as<HelpTopic>();
        if (other && other->window() == topic->window()) return;
    }
    helpwindow::unhook(topic->window());
}

void HelpTopics::RegisterHelpFile(std::u16string& FileToRegister) {
    if (!acceptableHelpFile(FileToRegister)) return;
    if (IsRegistered(FileToRegister)) {
        message("The file " + toUtf8(FileToRegister) + " is already registered.");
    } else {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHelpKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key,
                            &disposition) != ERROR_SUCCESS) {
            message("HTML Help Class: HHRegister Error");
        } else {
            const std::string name = toUtf8(bareName(FileToRegister));
            const std::string directory = toUtf8(directoryOf(FileToRegister));
            RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(directory.c_str()),
                           static_cast<DWORD>(directory.size() + 1));
            RegCloseKey(key);
        }
    }
    FileToRegister = bareName(FileToRegister);
}

void HelpTopics::UnregisterHelpFile(std::u16string& FileToUnRegister) {
    if (!IsRegistered(FileToUnRegister)) {
        message("The file " + toUtf8(FileToUnRegister) + " is not registered.");
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHelpKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, toUtf8(bareName(FileToUnRegister)).c_str());
    RegCloseKey(key);
}

bool HelpTopics::GetKeyInfo(std::u16string key_name, std::int16_t indent) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, toUtf8(key_name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const std::string pad(static_cast<std::size_t>(std::max<std::int16_t>(indent, 0)), ' ');
    std::string listing;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        listing += pad + name + "\n";
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        BYTE data[1024] = {};
        DWORD size = sizeof data - 1;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        listing += pad + name + " = " + (type == REG_SZ ? reinterpret_cast<const char*>(data) : "...") + "\n";
    }
    RegCloseKey(key);
    std::fputs(listing.c_str(), stdout);
    return true;
}

bool registerHelpViewer(bool unregister) {
    const std::string library = htmlHelpLibraryPath();
    if (library.empty()) return false;
    const char* path = library.c_str();
    bool ok = true;
    for (const char* clsid : {kHtmlHelpClsid, kBrowserClsid}) {
        const std::string subKey = std::string("CLSID\\") + clsid + "\\InprocServer32";
        if (unregister) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey.c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + clsid).c_str());
            continue;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        ok = RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                            static_cast<DWORD>(std::strlen(path) + 1)) == ERROR_SUCCESS &&
             ok;
        RegCloseKey(key);
    }
    return ok;
}

}  // namespace velmora
