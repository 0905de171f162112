// SystemObject's properties: what is cached, what is read afresh, and what the platform gives them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "HostQueries.h"
#include "component/calls.h"
#include "platform/locale.h"
#include "platform/registryapi.h"
#include "platform/systeminfo.h"
#include "runtime/text.h"
#include "system/SystemObject.h"

using namespace velmora;

namespace {

struct Counts {
    int temp = 0;
    int windows = 0;
    int system = 0;
    int computer = 0;
    int user = 0;
    int locale = 0;
    int memory = 0;
};
Counts g_counts;
const char* g_windowsFolder = "  C:\\WINDOWS  ";
bool g_renameWorks = true;
const char* g_localeReply = "Deutsch";

DWORD countTemp(DWORD size, LPSTR buffer) {
    ++g_counts.temp;
    return GetTempPathA(size, buffer);
}
UINT countWindows(LPSTR buffer, UINT size) {
    ++g_counts.windows;
    std::strncpy(buffer, g_windowsFolder, size);
    return static_cast<UINT>(std::strlen(g_windowsFolder));
}
UINT countSystem(LPSTR buffer, UINT size) {
    ++g_counts.system;
    return GetSystemDirectoryA(buffer, size);
}
BOOL countComputer(LPSTR buffer, LPDWORD size) {
    ++g_counts.computer;
    std::strncpy(buffer, "OLDNAME", *size);
    return TRUE;
}
BOOL fakeRename(LPCSTR) {
    return g_renameWorks;
}
BOOL countUser(LPSTR buffer, LPDWORD size) {
    ++g_counts.user;
    return GetUserNameA(buffer, size);
}
int fakeLocale(LCID, LCTYPE, LPSTR buffer, int size) {
    ++g_counts.locale;
    if (!g_localeReply) {  // fills every offered character, leaves no NUL of its own
        std::memset(buffer, 'x', static_cast<std::size_t>(size));
        return 0;
    }
    std::strncpy(buffer, g_localeReply, static_cast<std::size_t>(size));
    return static_cast<int>(std::strlen(g_localeReply)) + 1;
}
void countMemory(LPMEMORYSTATUS status) {
    ++g_counts.memory;
    GlobalMemoryStatus(status);
}

class Properties : public ::testing::Test {
  protected:
    void SetUp() override {
        g_counts = {};
        g_renameWorks = true;
        g_localeReply = "Deutsch";
        m_queries = platformQueries();
        m_queries.getTempPath = &countTemp;
        m_queries.getWindowsDirectory = &countWindows;
        m_queries.getSystemDirectory = &countSystem;
        m_queries.getComputerName = &countComputer;
        m_queries.setComputerName = &fakeRename;
        m_queries.getUserName = &countUser;
        m_queries.getLocaleInfo = &fakeLocale;
        m_queries.globalMemoryStatus = &countMemory;
        m_system = makeObject<SystemObject>(m_queries);
    }
    HostQueries m_queries{};
    Ref<SystemObject> m_system;
};

TEST_F(Properties, FolderAndComputerNamesAreAskedForOnceAndTrimmed) {
    EXPECT_EQ(m_system->WindowsDirectory(), u"C:\\WINDOWS");
    g_windowsFolder = "C:\\ELSEWHERE";
    EXPECT_EQ(m_system->WindowsDirectory(), u"C:\\WINDOWS");
    EXPECT_EQ(g_counts.windows, 1);
    g_windowsFolder = "  C:\\WINDOWS  ";

    m_system->TempDirectory();
    m_system->SystemDirectory();
    m_system->ComputerName();
    for (int i = 0; i < 2; ++i) {
        m_system->TempDirectory();
        m_system->SystemDirectory();
        m_system->ComputerName();
    }
    EXPECT_EQ(g_counts.temp, 1);
    EXPECT_EQ(g_counts.system, 1);
    EXPECT_EQ(g_counts.computer, 1);
}

TEST_F(Properties, NoTemporaryFolderIsAnErrorNotTheCurrentFolder) {
    m_queries.getTempPath = [](DWORD, LPSTR buffer) -> DWORD {
        buffer[0] = '\0';
        return 0;
    };
    Ref<SystemObject> refused = makeObject<SystemObject>(m_queries);
    for (int i = 0; i < 2; ++i) {  // a failure is not cached as ""
        try {
            refused->TempDirectory();
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::PermissionDenied);
        }
    }
}

TEST_F(Properties, UserLocaleAndMemoryAreReadAfreshEveryTime) {
    for (int i = 0; i < 3; ++i) {
        m_system->UserLoggedOn();
        m_system->LocaleLanguage();
        m_system->MemStatus();
    }
    EXPECT_EQ(g_counts.user, 3);
    EXPECT_EQ(g_counts.locale, 3);
    EXPECT_EQ(g_counts.memory, 3);
}

TEST_F(Properties, TempDirectoryEndsInABackslashTheSystemFoldersDoNot) {
    Ref<SystemObject> real = makeObject<SystemObject>();
    EXPECT_EQ(real->TempDirectory().back(), u'\\');
    EXPECT_NE(real->WindowsDirectory().back(), u'\\');
    EXPECT_NE(real->SystemDirectory().back(), u'\\');
    EXPECT_EQ(real->WindowsDirectory(), u"C:\\WINDOWS");
}

TEST_F(Properties, ARenameTheRegistryAcceptsUpdatesTheCacheWithTheValueGiven) {
    EXPECT_EQ(m_system->ComputerName(), u"OLDNAME");
    m_system->setComputerName(u" NEWNAME ");
    EXPECT_EQ(m_system->ComputerName(), u" NEWNAME ");
    g_renameWorks = false;
    m_system->setComputerName(u"REFUSED");
    EXPECT_EQ(m_system->ComputerName(), u" NEWNAME ");
}

TEST_F(Properties, ALocaleReplyWithoutANulIsEmpty) {
    EXPECT_EQ(m_system->LocaleCurrency(), u"Deutsch");
    g_localeReply = nullptr;
    EXPECT_EQ(m_system->LocaleCurrency(), u"");
}

TEST(ComputerName, WritingRecordsThePendingNameAndLeavesTheMachineAlone) {
    Ref<SystemObject> system = makeObject<SystemObject>();
    const std::u16string active = system->ComputerName();
    system->setComputerName(u"  PENDING1  ");
    EXPECT_EQ(system->ComputerName(), u"  PENDING1  ");
    // The machine keeps its name: a new object asks the platform afresh.
    EXPECT_EQ(makeObject<SystemObject>()->ComputerName(), active);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingComputerNameKey, 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    char value[64] = {};
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "ComputerName", nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_STREQ(value, "PENDING1");

    // A name the platform refuses keeps the cached one.
    system->setComputerName(u"BAD NAME WITH BLANKS");
    EXPECT_EQ(system->ComputerName(), u"  PENDING1  ");
}

// Sets LC_ALL for one test.
class LocaleScope {
  public:
    explicit LocaleScope(const char* name) {
        if (const char* old = std::getenv("LC_ALL")) m_old = old;
        setenv("LC_ALL", name, 1);
    }
    ~LocaleScope() {
        if (m_old)
            setenv("LC_ALL", m_old->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }

  private:
    std::optional<std::string> m_old;
};

TEST(Locale, ItemsFollowTheUsersLocale) {
    struct Case {
        const char* locale;
        const char16_t* language;
        const char16_t* date;
        const char16_t* country;
        const char16_t* currency;
    };
    const Case cases[] = {
        {"en_US.UTF-8", u"American English (United States)", u"0", u"United States", u"$"},
        {"de_DE.UTF-8", u"German (Germany)", u"1", u"Germany", u"\u20AC"},
    };
    Ref<SystemObject> system = makeObject<SystemObject>();
    for (const Case& c : cases) {
        LocaleScope scope(c.locale);
        EXPECT_EQ(system->LocaleLanguage(), c.language) << c.locale;
        EXPECT_EQ(system->LocaleDate(), c.date) << c.locale;
        EXPECT_EQ(system->LocaleCountry(), c.country) << c.locale;
        EXPECT_EQ(system->LocaleCurrency(), c.currency) << c.locale;
    }
}

TEST(Records, SystemInfoAndMemStatusCarryThePlatformFieldsByName) {
    ObjectRef system = makeObject<SystemObject>();
    ObjectRef info = getProperty(system, u"SystemInfo").toObject();
    EXPECT_GE(getProperty(info, u"dwNumberOrfProcessors").toLong(), 1);
    EXPECT_EQ(getProperty(info, u"dwPageSize").toLong(), 4096);
    EXPECT_EQ(getProperty(info, u"dwAllocationGranularity").toLong(), 65536);
    EXPECT_NE(getProperty(info, u"dwActiveProcessorMask").toLong(), 0);

    ObjectRef memory = getProperty(system, u"MemStatus").toObject();
    EXPECT_EQ(getProperty(memory, u"dwLength").toLong(), 32);
    const std::int32_t load = getProperty(memory, u"dwMemoryLoad").toLong();
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    EXPECT_NE(getProperty(memory, u"dwTotalPhys").toLong(), 0);
}

}  // namespace
