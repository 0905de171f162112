// The release detection, fed the version records it tells apart (this machine reports only one).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "HostQueries.h"
#include "ReleaseDetection.h"
#include "runtime/text.h"

using namespace velmora;

namespace {

// What the fake platform answers to the basic and the extended version query.
struct VersionRecords {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    DWORD platform = VER_PLATFORM_WIN32_NT;
    const char* csd = "";
    bool extendedWorks = true;
    WORD spMajor = 0;
    WORD spMinor = 0;
    WORD suite = 0;
    BYTE product = 0;
    bool basicWorks = true;
};

VersionRecords g_records;
int g_extendedQueries = 0;

BOOL fakeGetVersionEx(LPOSVERSIONINFOA info) {
    const bool extended = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA);
    if (!extended && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    if (extended) ++g_extendedQueries;
    if (!g_records.basicWorks || (extended && !g_records.extendedWorks)) return FALSE;
    info->dwMajorVersion = g_records.major;
    info->dwMinorVersion = g_records.minor;
    info->dwBuildNumber = g_records.build;
    info->dwPlatformId = g_records.platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, g_records.csd, sizeof info->szCSDVersion - 1);
    if (extended) {
        auto* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
        ex->wServicePackMajor = g_records.spMajor;
        ex->wServicePackMinor = g_records.spMinor;
        ex->wSuiteMask = g_records.suite;
        ex->wProductType = g_records.product;
    }
    return TRUE;
}

OSRelease detect(const VersionRecords& records) {
    g_records = records;
    g_extendedQueries = 0;
    HostQueries queries = platformQueries();
    queries.getVersionEx = &fakeGetVersionEx;
    return detectRelease(queries);
}

struct NameCase {
    VersionRecords records;
    const char* name;
    bool extendedQuery;
};

TEST(ReleaseDetection, EveryBranchNamesTheRelease) {
    const NameCase cases[] = {
        {{.major = 3, .minor = 51}, "Windows NT 3.51", false},
        {{.major = 3, .minor = 10, .platform = 1}, "Unknown OS Version 3.10", false},
        {{.major = 4, .minor = 0, .platform = 1}, "Windows 95", false},
        {{.major = 4, .minor = 0, .platform = 1, .csd = " C"}, "Windows 95 OSR2", false},
        {{.major = 4, .minor = 0, .platform = 1, .csd = " b"}, "Windows 95 OSR2", false},
        {{.major = 4, .minor = 0, .platform = 2, .csd = "Service Pack 5"}, "Windows NT 4.0", false},
        {{.major = 4, .minor = 0, .platform = 2, .csd = "Service Pack 6"}, "Windows NT 4.0", true},
        {{.major = 4, .minor = 0, .platform = 2, .csd = " service pack 6a "}, "Windows NT 4.0", true},
        {{.major = 4, .minor = 0, .platform = 0}, "Unknown OS Version 4.0 Platform 0", false},
        {{.major = 4, .minor = 10, .platform = 1}, "Windows 98", false},
        {{.major = 4, .minor = 10, .platform = 1, .csd = " A "}, "Windows 98 SE", false},
        {{.major = 4, .minor = 90, .platform = 1}, "Windows ME", false},
        {{.major = 4, .minor = 3, .platform = 1}, "Unknown OS Version 4.3", false},
        {{.major = 5, .minor = 0}, "Windows 2000", true},
        {{.major = 5, .minor = 1}, "Windows XP", true},
        {{.major = 5, .minor = 2}, "Windows .NET", true},
        {{.major = 5, .minor = 7}, "Unknown OS Version 5.7", true},
        {{.major = 6, .minor = 1}, "Unknown OS Version 6.1", false},
        {{.major = 10, .minor = 0}, "Unknown OS Version 10.0", false},
    };
    for (const NameCase& c : cases) {
        const OSRelease release = detect(c.records);
        EXPECT_EQ(toUtf8(release.name), c.name) << c.name;
        EXPECT_EQ(g_extendedQueries, c.extendedQuery ? 1 : 0) << c.name;
    }
}

TEST(ReleaseDetection, VersionBuildAndAdditionalComeFromTheBasicRecord) {
    OSRelease release = detect({.major = 4, .minor = 10, .build = 0x040A08AE, .platform = 1, .csd = " A "});
    EXPECT_EQ(release.version, u"4.10");
    EXPECT_EQ(release.build, u"67766446");
    EXPECT_EQ(release.additional, u" A ");

    // A build number with the top bit set is a 32-bit signed number.
    release = detect({.major = 5, .minor = 1, .build = 0x80000001});
    EXPECT_EQ(release.build, u"-2147483647");
}

TEST(ReleaseDetection, ReleasesWithoutTheExtendedQueryHaveNoSuiteProductOrServicePack) {
    const OSRelease release =
        detect({.major = 6, .minor = 0, .spMajor = 2, .suite = VER_SUITE_TERMINAL, .product = 1});
    EXPECT_EQ(release.name, u"Unknown OS Version 6.0");
    EXPECT_EQ(release.suite, u"");
    EXPECT_EQ(release.productType, u"");
    EXPECT_EQ(release.servicePack, u"");
}

TEST(ReleaseDetection, AFailedQueryLeavesEverythingEmpty) {
    const OSRelease release = detect({.major = 5, .minor = 1, .basicWorks = false});
    EXPECT_EQ(release.name, u"");
    EXPECT_EQ(release.version, u"");
    EXPECT_EQ(release.build, u"");

    const OSRelease partial = detect({.major = 5, .minor = 1, .extendedWorks = false, .spMajor = 2});
    EXPECT_EQ(partial.name, u"Windows XP");
    EXPECT_EQ(partial.servicePack, u"");
    EXPECT_EQ(partial.productType, u"");
}

TEST(ReleaseDetection, ServicePackTextNeedsANonZeroNumber) {
    EXPECT_EQ(detect({.major = 5, .minor = 0, .spMajor = 4}).servicePack, u"Service Pack 4.0");
    EXPECT_EQ(detect({.major = 5, .minor = 0, .spMinor = 1}).servicePack, u"Service Pack 0.1");
    EXPECT_EQ(detect({.major = 5, .minor = 0}).servicePack, u"");
}

TEST(ReleaseDetection, SuiteTextsJoinInTheirOwnOrder) {
    struct Case {
        WORD mask;
        const char* text;
    };
    const Case cases[] = {
        {0, ""},
        {16, "Terminal Services is installed "},
        {256, "Single User "},
        {4 | 16, "Microsoft BackOffice components are installed ,Terminal Services is installed "},
        {1 | 8 | 128,
         "Communications Server installed ,Datacenter Server is installed ,Microsoft Small Business "
         "Server is installed "},
        {32 | 64,
         "Embedded NT installed ,Microsoft Small Business Server is installed with the restrictive "
         "client license in force "},
        {2 | 512 | 1024, ""},  // bits without a text
    };
    for (const Case& c : cases)
        EXPECT_EQ(toUtf8(detect({.major = 5, .minor = 1, .suite = c.mask}).suite), c.text) << c.mask;
}

TEST(ReleaseDetection, ProductTypeByReleaseTypeAndSuite) {
    struct Case {
        DWORD major;
        DWORD minor;
        BYTE product;
        WORD suite;
        const char* text;
    };
    const Case cases[] = {
        {4, 0, 1, 0, "Workstation"},
        {4, 0, 2, 0, "Domain Controller"},
        {4, 0, 3, 0, "Server"},
        {4, 0, 3, 2, "Advanced Server"},
        {5, 0, 1, 0, "Professional"},
        {5, 0, 2, 0, "Domain Controller"},
        {5, 0, 3, 0, "Server"},
        {5, 0, 3, 2, "Advanced Server"},
        {5, 1, 1, 0, "Professional"},
        {5, 1, 1, 512, "Home Edition"},
        {5, 1, 2, 0, "Domain Controller"},
        {5, 1, 3, 2, "Server"},
        {5, 2, 1, 0, ""},
        {5, 2, 2, 0, "Domain Controller"},
        {5, 2, 3, 128 | 2, "DataCenter Server"},
        {5, 2, 3, 2 | 1024, "Enterprise Server"},
        {5, 2, 3, 1024, "Web Server"},
        {5, 2, 3, 0, "Server"},
        {5, 3, 1, 0, ""},
        {5, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const VersionRecords records{.major = c.major,
                                     .minor = c.minor,
                                     .platform = 2,
                                     .csd = "Service Pack 6",
                                     .suite = c.suite,
                                     .product = c.product};
        EXPECT_EQ(toUtf8(detect(records).productType), c.text)
            << c.major << "." << c.minor << " " << int(c.product);
    }
}

TEST(ReleaseDetection, ThisMachineReportsACurrentNtRelease) {
    const OSRelease release = detectRelease(platformQueries());
    EXPECT_EQ(release.name, u"Unknown OS Version 10.0");
    EXPECT_EQ(release.version, u"10.0");
}

}  // namespace
