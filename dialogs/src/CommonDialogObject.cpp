#include "dialogs/CommonDialogObject.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "CurrentPrinter.h"
#include "FilterList.h"
#include "PathParts.h"
#include "Placement.h"
#include "SharedSettings.h"
#include "component/calls.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "platform/version.h"
#include "runtime/numbers.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"
#include "ui/commdlg.h"
#include "ui/devicecaps.h"

namespace velmora {
namespace {

constexpr std::size_t kFileBuffer = 256;
constexpr std::size_t kCustomFilterBuffer = 255;
constexpr std::int32_t kDefaultOpenSaveFlags = 0x38200C;
constexpr std::int32_t kDefaultFontFlags = 0x10143;
constexpr std::int32_t kCustomColors = 16;

HINSTANCE libraryInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&libraryInstance), &module);
    return module;
}

// The owner every Show... method needs: a positive handle becomes the thread's owner.
bool haveOwner(std::int32_t lnghwnd) {
    if (lnghwnd > 0) sharedSettings().owner = lnghwnd;
    return sharedSettings().owner > 0;
}

HWND owner() {
    return static_cast<HWND>(sharedSettings().owner);
}

bool placing() {
    return sharedSettings().position != 0;
}

// The caller's optional Flags: its value, or the default, which the caller's variable then receives.
std::int32_t flagsOrDefault(Variant& flags, std::int32_t fallback) {
    if (flags.isMissing()) {
        flags = Variant(fallback);
        return fallback;
    }
    return flags.toLong();
}

std::int32_t flagsOrDefault(const Variant& flags, std::int32_t fallback) {
    return flags.isMissing() ? fallback : flags.toLong();
}

// UTF-8 text cut to at most `limit` bytes without splitting a character.
std::string cutUtf8(std::string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

// A returned buffer as the dialog left it: its text (NULs inside kept) padded with NULs to 256 characters.
std::u16string paddedBuffer(const std::vector<char>& buffer) {
    std::size_t end = buffer.size();
    while (end > 0 && buffer[end - 1] == '\0') --end;
    std::u16string text = fromUtf8(std::string_view(buffer.data(), end));
    if (text.size() < kFileBuffer) text.resize(kFileBuffer, u'\0');
    return text;
}

// The platform's record size: the NT 5 one from NT 5 on.
DWORD openFileNameSize() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    const bool nt5 = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                     version.dwMajorVersion > 4;
    return nt5 ? OPENFILENAME_SIZE_VERSION_500 : OPENFILENAME_SIZE_VERSION_400;
}

// The 1-based elements of a caller's colour array that exist, at most 16, as (array index, value).
std::vector<std::int32_t> colourIndexes(const Variant& colours) {
    std::vector<std::int32_t> indexes;
    if (!colours.isAllocatedArray() || colours.arrayRef().dimensions() != 1) return indexes;
    const SafeArray& array = colours.arrayRef();
    for (std::int32_t i = array.lowerBound();
         i <= array.upperBound() && indexes.size() < static_cast<std::size_t>(kCustomColors); ++i)
        indexes.push_back(i);
    return indexes;
}

std::int32_t roundToLong(double value) {
    return static_cast<std::int32_t>(roundHalfEven(value));
}

std::vector<char> deviceNamesBlock(const CurrentPrinter& printer) {
    std::vector<char> block(sizeof(DEVNAMES), '\0');
    DEVNAMES header{};
    const auto append = [&block](const std::string& text) {
        const WORD offset = static_cast<WORD>(block.size());
        block.insert(block.end(), text.begin(), text.end());
        block.push_back('\0');
        return offset;
    };
    header.wDriverOffset = append(printer.driverName);
    header.wDeviceOffset = append(printer.deviceName);
    header.wOutputOffset = append(printer.port);
    std::memcpy(block.data(), &header, sizeof header);
    return block;
}

std::string upper(std::string text) {
    return toUtf8(UCase(fromUtf8(text)));
}

}  // namespace

std::int32_t CommonDialogObject::Position() const {
    return sharedSettings().position;
}
void CommonDialogObject::setPosition(std::int32_t value) {
    sharedSettings().position = value;
}
std::int32_t CommonDialogObject::MoveShiftValue() const {
    return sharedSettings().shift;
}
void CommonDialogObject::setMoveShiftValue(std::int32_t value) {
    sharedSettings().shift = value;
}
std::int32_t CommonDialogObject::hwnd() const {
    return sharedSettings().owner;
}

std::u16string CommonDialogObject::AddFilterItem(const std::u16string& strDescription,
                                                 const Variant& varItem) {
    const std::u16string pattern = varItem.isMissing() ? std::u16string(u"*.*") : varItem.toString();
    m_filter = appendFilterItem(m_filter, strDescription, pattern);
    return m_filter;
}

std::int32_t CommonDialogObject::ShowOpen(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                                          const std::u16string& strFileName, const std::u16string& strFilter,
                                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt,
                                          Variant& Flags) {
    return showFile(false, lnghwnd, strDialogTitle, strFileName, strFilter, lngFilterIndex, strDefaultExt,
                    Flags);
}

std::int32_t CommonDialogObject::ShowSave(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                                          const std::u16string& strFileName, const std::u16string& strFilter,
                                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt,
                                          Variant& Flags) {
    return showFile(true, lnghwnd, strDialogTitle, strFileName, strFilter, lngFilterIndex, strDefaultExt,
                    Flags);
}

std::int32_t CommonDialogObject::showFile(bool save, std::int32_t lnghwnd,
                                          const std::u16string& strDialogTitle,
                                          const std::u16string& strFileName, const std::u16string& strFilter,
                                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt,
                                          Variant& Flags) {
    if (!haveOwner(lnghwnd)) return 0;
    if (!strDialogTitle.empty())
        m_dialogTitle = strDialogTitle;
    else if (m_dialogTitle.empty())
        m_dialogTitle = u"Open File";
    if (!strFileName.empty()) m_fileName = strFileName;
    if (!strFilter.empty()) m_filter = strFilter;
    if (lngFilterIndex > 0) m_filterIndex = lngFilterIndex;
    if (m_filterIndex < 1) m_filterIndex = 1;
    if (!strDefaultExt.empty()) m_defaultExtension = strDefaultExt;
    const std::int32_t flags = flagsOrDefault(Flags, kDefaultOpenSaveFlags);

    // The name and extension of FileName, in a buffer that always keeps its closing NUL.
    const PathParts parts = splitPath(m_fileName);
    const std::string initialName = cutUtf8(toUtf8(parts.name + parts.extension), kFileBuffer - 1);
    std::vector<char> file(kFileBuffer, '\0');
    std::memcpy(file.data(), initialName.data(), initialName.size());
    std::vector<char> title(kFileBuffer, '\0');
    std::vector<char> customFilter(kCustomFilterBuffer + 1, '\0');
    const std::string filter = platformFilter(m_filter);
    const std::string initialDirectory = toUtf8(m_initDirectory);
    const std::string dialogTitle = toUtf8(m_dialogTitle);
    const std::string defaultExtension = toUtf8(m_defaultExtension);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = openFileNameSize();
    ofn.hwndOwner = owner();
    ofn.hInstance = libraryInstance();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrCustomFilter = customFilter.data();
    ofn.nMaxCustFilter = kCustomFilterBuffer;
    ofn.nFilterIndex = static_cast<DWORD>(m_filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kFileBuffer;
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = kFileBuffer;
    ofn.lpstrInitialDir = initialDirectory.c_str();
    ofn.lpstrTitle = dialogTitle.c_str();
    ofn.lpstrDefExt = defaultExtension.c_str();
    ofn.Flags = static_cast<DWORD>(flags);
    if (placing()) {
        ofn.Flags |= OFN_ENABLEHOOK;
        ofn.lpfnHook = &placementHook;
    }

    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (chosen) {
        m_fileTitle = paddedBuffer(title);
        m_fileName = paddedBuffer(file);
        m_filter = filterPair(m_filter, static_cast<std::int32_t>(ofn.nFilterIndex));
        return 1;
    }
    m_fileName.clear();
    m_fileTitle.clear();
    m_filter.clear();
    if (save) m_events.fire(u"Cancelled");
    return 0;
}

std::int32_t CommonDialogObject::ShowColor(std::int32_t lnghwnd, std::int32_t InitColor,
                                           Variant& CustomColors, std::int16_t ShowMode) {
    if (!haveOwner(lnghwnd)) return 0;
    std::array<COLORREF, kCustomColors> colours{};
    const std::vector<std::int32_t> indexes = colourIndexes(CustomColors);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const std::int32_t at[] = {indexes[i]};
        colours[i] = static_cast<COLORREF>(CustomColors.arrayRef().get(at).toLong());
    }
    CHOOSECOLORA cc{};
    cc.lStructSize = 36;
    cc.hwndOwner = owner();
    cc.hInstance = libraryInstance();
    cc.rgbResult = static_cast<COLORREF>(InitColor);
    cc.lpCustColors = colours.data();
    cc.Flags = CC_ANYCOLOR | CC_RGBINIT |
               (ShowMode == 1   ? CC_FULLOPEN
                : ShowMode == 2 ? CC_PREVENTFULLOPEN
                                : 0);
    if (placing()) {
        cc.Flags |= CC_ENABLEHOOK;
        cc.lpfnHook = &placementHook;
    }
    const BOOL confirmed = ChooseColorA(&cc);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const std::int32_t at[] = {indexes[i]};
        CustomColors.arrayMut().set(at, Variant(static_cast<std::int32_t>(colours[i])));
    }
    return confirmed ? static_cast<std::int32_t>(cc.rgbResult) : -1;
}

bool CommonDialogObject::ShowFont(std::int32_t lnghwnd, std::int32_t lnghdc, Variant& aFont,
                                  std::int32_t& aFontColor, const Variant& Flags) {
    if (!haveOwner(lnghwnd)) return false;
    if (!aFont.isObject() || !aFont.toObject()) return false;
    const ObjectRef font = aFont.toObject();
    const HDC hdc = reinterpret_cast<HDC>(static_cast<std::intptr_t>(lnghdc));
    const double size = getProperty(font, u"Size").toDouble();

    LOGFONTA logFont{};
    const std::string face = cutUtf8(toUtf8(getProperty(font, u"Name").toString()), LF_FACESIZE - 1);
    std::memcpy(logFont.lfFaceName, face.data(), face.size());
    const double dpi = GetDeviceCaps(hdc, LOGPIXELSY);
    logFont.lfHeight = -static_cast<LONG>(std::lround(roundToLong(size) * dpi / 72.0));
    logFont.lfWeight = getProperty(font, u"Bold").toBool() ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = getProperty(font, u"Italic").toBool() ? 1 : 0;
    logFont.lfUnderline = getProperty(font, u"Underline").toBool() ? 1 : 0;
    logFont.lfStrikeOut = getProperty(font, u"Strikethrough").toBool() ? 1 : 0;
    logFont.lfCharSet = static_cast<BYTE>(getProperty(font, u"Charset").toLong());

    CHOOSEFONTA cf{};
    cf.lStructSize = 60;
    cf.hwndOwner = owner();
    cf.hDC = hdc;
    cf.lpLogFont = &logFont;
    cf.iPointSize = roundToLong(size * 10);
    cf.Flags = static_cast<DWORD>(flagsOrDefault(Flags, kDefaultFontFlags));
    cf.rgbColors = static_cast<COLORREF>(aFontColor);
    cf.hInstance = libraryInstance();
    cf.nFontType = REGULAR_FONTTYPE;
    cf.nSizeMin = 6;
    cf.nSizeMax = 72;
    if (placing()) {
        cf.Flags |= CF_ENABLEHOOK;
        cf.lpfnHook = &placementHook;
    }
    if (!ChooseFontA(&cf)) return false;

    letProperty(font, u"Name",
                fromUtf8(std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE))));
    letProperty(font, u"Size", roundToLong(cf.iPointSize / 10.0));
    letProperty(font, u"Bold", logFont.lfWeight > 699);
    letProperty(font, u"Italic", logFont.lfItalic != 0);
    letProperty(font, u"Underline", logFont.lfUnderline != 0);
    letProperty(font, u"Strikethrough", logFont.lfStrikeOut != 0);
    aFontColor = static_cast<std::int32_t>(cf.rgbColors);
    return true;
}

std::int32_t CommonDialogObject::ShowPageSetup(std::int32_t lnghwnd, const Variant& Flags) {
    if (!haveOwner(lnghwnd)) return 0;
    PAGESETUPDLGA psd{};
    psd.lStructSize = 84;
    psd.hwndOwner = owner();
    psd.hInstance = libraryInstance();
    psd.Flags = static_cast<DWORD>(flagsOrDefault(Flags, 0));
    if (placing()) {
        psd.Flags |= PSD_ENABLEPAGESETUPHOOK;
        psd.lpfnPageSetupHook = &placementHook;
    }
    return PageSetupDlgA(&psd) ? 0 : -1;
}

void CommonDialogObject::ShowPrinter(std::int32_t lnghwnd, const Variant& Flags) {
    if (!haveOwner(lnghwnd)) return;
    CurrentPrinter& printer = currentPrinter();
    DEVMODEA settings = printer.settings;
    std::vector<char> names = deviceNamesBlock(printer);
    PRINTDLGA pd{};
    pd.lStructSize = 66;
    pd.hwndOwner = owner();
    pd.hDevMode = &settings;
    pd.hDevNames = reinterpret_cast<DEVNAMES*>(names.data());
    pd.hInstance = libraryInstance();
    pd.Flags = static_cast<DWORD>(flagsOrDefault(Flags, 0));
    if (placing()) {
        pd.Flags |= PD_ENABLEPRINTHOOK;
        pd.lpfnPrintHook = &placementHook;
    }
    if (!PrintDlgA(&pd)) return;
    const std::string chosen =
        upper(std::string(settings.dmDeviceName, strnlen(settings.dmDeviceName, CCHDEVICENAME)));
    if (chosen != upper(printer.deviceName)) {
        for (const std::string& name : installedPrinters())
            if (upper(name) == chosen) {
                printer.deviceName = name;
                break;
            }
    }
    printer.settings = settings;
}

std::u16string CommonDialogObject::ShowFolder(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                                              const std::u16string& InitialDir, Variant& Flags) {
    return browse(false, lnghwnd, strDialogTitle, InitialDir, Flags);
}

std::u16string CommonDialogObject::ShowNetwork(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                                               const std::u16string& InitialDir, Variant& Flags) {
    return browse(true, lnghwnd, strDialogTitle, InitialDir, Flags);
}

std::u16string CommonDialogObject::browse(bool network, std::int32_t lnghwnd,
                                          const std::u16string& strDialogTitle,
                                          const std::u16string& InitialDir, Variant& Flags) {
    if (!haveOwner(lnghwnd)) return {};
    if (!strDialogTitle.empty()) m_dialogTitle = strDialogTitle;
    m_initDirectory = !InitialDir.empty() ? InitialDir : fromUtf8(toSuitePath("."));
    const std::int32_t flags = flagsOrDefault(Flags, network ? BIF_BROWSEFORCOMPUTER : BIF_RETURNONLYFSDIRS);

    std::vector<char> displayName(MAX_PATH + 1, '\0');
    const std::string title = toUtf8(m_dialogTitle);
    const std::string initial = toUtf8(InitialDir);
    LPITEMIDLIST root = nullptr;
    if (network) SHGetSpecialFolderLocation(owner(), CSIDL_NETWORK, &root);
    BROWSEINFOA info{};
    info.hwndOwner = owner();
    info.pidlRoot = root;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title.c_str();
    info.ulFlags = static_cast<UINT>(flags);
    info.lpfn = &browseCallback;
    info.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (root) CoTaskMemFree(root);

    std::u16string result;
    if (network) {
        if (item) result = fromUtf8(displayName.data());
    } else {
        std::vector<char> path(MAX_PATH + 1, '\0');
        result = item && SHGetPathFromIDListA(item, path.data()) ? fromUtf8(path.data()) : InitialDir;
    }
    if (item) CoTaskMemFree(item);
    return result.empty() ? result : joinDirectory(result);
}

const ClassInfo& CommonDialogObject::describe() {
    using C = CommonDialogObject;
    static const ClassInfo info =
        ClassBuilder<C>(u"CommonDialogObject")
            .property(u"DefaultExtension", &C::DefaultExtension, &C::setDefaultExtension)
            .property(u"DialogTitle", &C::DialogTitle, &C::setDialogTitle)
            .property(u"InitDirectory", &C::InitDirectory, &C::setInitDirectory)
            .property(u"Filter", &C::Filter, &C::setFilter)
            .property(u"FileName", &C::FileName, &C::setFileName)
            .property(u"FileTitle", &C::FileTitle, &C::setFileTitle)
            .property(u"FilterIndex", &C::FilterIndex, &C::setFilterIndex)
            .property(u"hInstance", &C::hInstance, &C::sethInstance)
            .property(u"Position", &C::Position, &C::setPosition)
            .property(u"MoveShiftValue", &C::MoveShiftValue, &C::setMoveShiftValue)
            .propertyGet(u"hwnd", &C::hwnd)
            .method(u"AddFilterItem", &C::AddFilterItem, {u"strDescription", opt(u"varItem")})
            .method(u"ShowOpen", &C::ShowOpen,
                    {u"lnghwnd", opt(u"strDialogTitle"), opt(u"strFileName"), opt(u"strFilter"),
                     opt(u"lngFilterIndex"), opt(u"strDefaultExt"), opt(u"Flags")})
            .method(u"ShowSave", &C::ShowSave,
                    {u"lnghwnd", opt(u"strDialogTitle"), opt(u"strFileName"), opt(u"strFilter"),
                     opt(u"lngFilterIndex"), opt(u"strDefaultExt"), opt(u"Flags")})
            .method(u"ShowColor", &C::ShowColor,
                    {u"lnghwnd", u"InitColor", u"CustomColors", opt(u"ShowMode", std::int16_t{0})})
            .method(u"ShowFont", &C::ShowFont,
                    {u"lnghwnd", u"lnghdc", u"aFont", u"aFontColor", opt(u"Flags")})
            .method(u"ShowPageSetup", &C::ShowPageSetup, {u"lnghwnd", opt(u"Flags")})
            .method(u"ShowPrinter", &C::ShowPrinter, {u"lnghwnd", opt(u"Flags")})
            .method(u"ShowFolder", &C::ShowFolder,
                    {u"lnghwnd", opt(u"strDialogTitle"), opt(u"InitialDir"), opt(u"Flags")})
            .method(u"ShowNetwork", &C::ShowNetwork,
                    {u"lnghwnd", opt(u"strDialogTitle"), opt(u"InitialDir"), opt(u"Flags")})
            .event(u"Cancelled")
            .event(u"DialogError", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String)})
            .build();
    return info;
}

}  // namespace velmora
