// The machine figures, locale items, pending computer name and program start of the platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ScopedEnv.h"
#include "platform/DesktopSettings.h"
#include "platform/locale.h"
#include "platform/registryapi.h"
#include "platform/sysinfo.h"
#include "platform/systeminfo.h"
#include "platform/winexec.h"

namespace {

TEST(HostInfo, SystemInfoDescribesThisMachineIn32BitFields) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwPageSize, 4096u);
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
    EXPECT_NE(info.dwActiveProcessorMask, 0u);
    EXPECT_EQ(info.dwAllocationGranularity, 65536u);
    EXPECT_LT(info.lpMinimumApplicationAddress, info.lpMaximumApplicationAddress);
}

TEST(HostInfo, MemoryFiguresAreConsistentAndSaturateAt4Gb) {
    MEMORYSTATUS status;
    GlobalMemoryStatus(&status);
    EXPECT_EQ(status.dwLength, sizeof(MEMORYSTATUS));
    EXPECT_LE(status.dwMemoryLoad, 100u);
    EXPECT_GT(status.dwTotalPhys, 0u);
    EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
    EXPECT_GE(status.dwTotalPageFile, status.dwTotalPhys);  // saturated figures stay ordered too
    EXPECT_EQ(status.dwTotalVirtual, 0x7FFE0000u);
}

TEST(HostInfo, LocaleItemsFollowTheBufferRules) {
    ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
    const int needed = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, nullptr, 0);
    EXPECT_EQ(needed, 4);  // the euro sign is three bytes in UTF-8, plus the NUL
    char small[3] = {'x', 'x', 'x'};
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, small, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[0], 'x');
    char buffer[16];
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "\xE2\x82\xAC");
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x1234, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SCURRENCY, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(HostInfo, TheCLocaleGivesTheInvariantItems) {
    ScopedEnv locale("LC_ALL", "C");
    char buffer[64];
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLANGUAGE, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "Invariant Language (Invariant Country)");
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SCOUNTRY, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "Invariant Country");
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILDATE, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "0");
}

TEST(HostInfo, ANewComputerNameIsPendingInTheRegistryOnly) {
    char before[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof before;
    ASSERT_TRUE(GetComputerNameA(before, &size));

    ASSERT_TRUE(SetComputerNameA("NEXTNAME"));
    char after[MAX_COMPUTERNAME_LENGTH + 1];
    size = sizeof after;
    ASSERT_TRUE(GetComputerNameA(after, &size));
    EXPECT_STREQ(after, before);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, velmora::kPendingComputerNameKey, 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    char value[32] = {};
    DWORD length = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, "ComputerName", nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &length),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_STREQ(value, "NEXTNAME");

    for (const char* bad : {"", "TWO WORDS", "A/B", "SIXTEEN-LETTERS1", "SEMI;COLON"}) {
        EXPECT_FALSE(SetComputerNameA(bad)) << bad;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << bad;
    }
    EXPECT_FALSE(SetComputerNameA(nullptr));
}

TEST(HostInfo, WinExecReportsProgramsThatCannotStart) {
    EXPECT_EQ(WinExec("", 5), 0u);
    EXPECT_EQ(WinExec(nullptr, 5), 0u);
    EXPECT_EQ(WinExec("velmora-no-such-program --flag", 5), ERROR_FILE_NOT_FOUND);
    EXPECT_GT(WinExec("true", 5), 31u);
    // An applet page without an equivalent starts nothing and counts as shown.
    EXPECT_EQ(WinExec("rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl @1", 5), 33u);
}

TEST(HostInfo, AppletPagesMapToTheSettingsProgramsOnPath) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(std::getenv("VELMORA_TEST_SANDBOX")) / "desktop-bin";
    fs::create_directories(folder);
    for (const char* program : {"gnome-control-center", "systemsettings5"}) {
        std::ofstream(folder / program) << "#!/bin/sh\n";
        fs::permissions(folder / program, fs::perms::owner_all);
    }
    ScopedEnv path("PATH", folder.c_str());
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    const std::string gnome = (folder / "gnome-control-center").string();
    const std::string kde = (folder / "systemsettings5").string();
    using Command = std::vector<std::string>;
    EXPECT_EQ(velmora::desktopSettingsCommand("desk.cpl,,0"), (Command{gnome, "display"}));
    EXPECT_EQ(velmora::desktopSettingsCommand(" Main.CPL @1"), (Command{gnome, "keyboard"}));
    EXPECT_EQ(velmora::desktopSettingsCommand("main.cpl @3"), (Command{kde, "kcm_fonts"}));  // GNOME has none
    EXPECT_EQ(velmora::desktopSettingsCommand("sysdm.cpl @1"), std::nullopt);
    EXPECT_EQ(velmora::desktopSettingsCommand("tweakui.cpl"), std::nullopt);
    ScopedEnv kdeDesktop("XDG_CURRENT_DESKTOP", "KDE");
    EXPECT_EQ(velmora::desktopSettingsCommand("desk.cpl,,0"), (Command{kde, "kcm_kscreen"}));
    EXPECT_EQ(velmora::desktopFileSearchCommand(), std::nullopt);
}

}  // namespace
