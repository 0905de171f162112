#include "ReleaseDetection.h"

#include <string>

#include "runtime/stringfunctions.h"
#include "runtime/text.h"

namespace velmora {
namespace {

std::u16string number(std::int64_t value) {
    return fromUtf8(std::to_string(value));
}

// The service-pack text of the record with every NUL removed (not only the text before the first one).
std::u16string csdText(const OSVERSIONINFOA& info) {
    std::string text;
    for (const char c : info.szCSDVersion)
        if (c != '\0') text.push_back(c);
    return fromUtf8(text);
}

bool contains(std::u16string_view text, char16_t c) {
    return text.find(c) != std::u16string_view::npos;
}

struct SuiteText {
    WORD bit;
    const char16_t* text;
};

// In the order the texts are joined.
constexpr SuiteText kSuiteTexts[] = {
    {VER_SUITE_BACKOFFICE, u"Microsoft BackOffice components are installed ,"},
    {VER_SUITE_COMMUNICATIONS, u"Communications Server installed ,"},
    {VER_SUITE_DATACENTER, u"Datacenter Server is installed ,"},
    {VER_SUITE_EMBEDDEDNT, u"Embedded NT installed ,"},
    {VER_SUITE_SINGLEUSERTS, u"Single User ,"},
    {VER_SUITE_SMALLBUSINESS, u"Microsoft Small Business Server is installed ,"},
    {VER_SUITE_SMALLBUSINESS_RESTRICTED,
     u"Microsoft Small Business Server is installed with the restrictive client license in force ,"},
    {VER_SUITE_TERMINAL, u"Terminal Services is installed ,"},
};

std::u16string suiteText(WORD mask) {
    std::u16string text;
    for (const SuiteText& entry : kSuiteTexts)
        if (mask & entry.bit) text += entry.text;
    if (text.size() > 2) text.pop_back();
    return text;
}

std::u16string productText(DWORD major, DWORD minor, BYTE type, WORD mask) {
    const auto has = [mask](int bit) { return (mask & bit) != 0; };
    if (type == VER_NT_DOMAIN_CONTROLLER && (major == 4 || (major == 5 && minor <= 2)))
        return u"Domain Controller";
    if (major == 4 || (major == 5 && minor == 0)) {
        if (type == VER_NT_WORKSTATION) return major == 4 ? u"Workstation" : u"Professional";
        if (type == VER_NT_SERVER) return has(VER_SUITE_ENTERPRISE) ? u"Advanced Server" : u"Server";
        return {};
    }
    if (major == 5 && minor == 1) {
        if (type == VER_NT_WORKSTATION) return has(VER_SUITE_PERSONAL) ? u"Home Edition" : u"Professional";
        if (type == VER_NT_SERVER) return u"Server";
        return {};
    }
    if (major == 5 && minor == 2 && type == VER_NT_SERVER) {
        if (has(VER_SUITE_DATACENTER)) return u"DataCenter Server";
        if (has(VER_SUITE_ENTERPRISE)) return u"Enterprise Server";
        if (has(VER_SUITE_BLADE)) return u"Web Server";
        return u"Server";
    }
    return {};
}

void queryExtended(const HostQueries& queries, OSRelease& release) {
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (!queries.getVersionEx(reinterpret_cast<LPOSVERSIONINFOA>(&extended))) return;
    if (extended.wServicePackMajor > 0 || extended.wServicePackMinor > 0)
        release.servicePack =
            u"Service Pack " + number(extended.wServicePackMajor) + u"." + number(extended.wServicePackMinor);
    release.suite = suiteText(extended.wSuiteMask);
    release.productType = productText(extended.dwMajorVersion, extended.dwMinorVersion, extended.wProductType,
                                      extended.wSuiteMask);
}

std::u16string unknown(DWORD major, DWORD minor) {
    return u"Unknown OS Version " + number(major) + u"." + number(minor);
}

}  // namespace

OSRelease detectRelease(const HostQueries& queries) {
    OSRelease release;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!queries.getVersionEx(&info)) return release;
    const DWORD major = info.dwMajorVersion;
    const DWORD minor = info.dwMinorVersion;
    const DWORD platform = info.dwPlatformId;
    const std::u16string csd = csdText(info);
    const std::u16string csdUpper = UCase(csd);
    bool extended = false;

    if (major == 3 && platform == VER_PLATFORM_WIN32_NT) {
        release.name = u"Windows NT 3." + number(minor);
    } else if (major == 4) {
        if (minor == 0 && platform == VER_PLATFORM_WIN32_WINDOWS) {
            release.name =
                contains(csdUpper, u'C') || contains(csdUpper, u'B') ? u"Windows 95 OSR2" : u"Windows 95";
        } else if (minor == 0 && platform == VER_PLATFORM_WIN32_NT) {
            release.name = u"Windows NT 4.0";
            extended = UCase(Trim(csd)) >= u"SERVICE PACK 6";
        } else if (minor == 0) {
            release.name = unknown(4, 0) + u" Platform " + number(platform);
        } else if (minor == 10) {
            release.name = contains(csdUpper, u'A') ? u"Windows 98 SE" : u"Windows 98";
        } else if (minor == 90) {
            release.name = u"Windows ME";
        } else {
            release.name = unknown(4, minor);
        }
    } else if (major == 5) {
        switch (minor) {
            case 0:
                release.name = u"Windows 2000";
                break;
            case 1:
                release.name = u"Windows XP";
                break;
            case 2:
                release.name = u"Windows .NET";
                break;
            default:
                release.name = unknown(5, minor);
                break;
        }
        extended = true;
    } else {
        release.name = unknown(major, minor);
    }

    release.version = number(major) + u"." + number(minor);
    release.build = number(static_cast<std::int32_t>(info.dwBuildNumber));
    release.additional = csd;
    if (extended) queryExtended(queries, release);
    return release;
}

}  // namespace velmora
