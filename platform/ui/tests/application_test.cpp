// The application object: Qt sees the program's name and nothing else; without a display the
// application still comes up (offscreen) and says so, a server's runs headless with its message boxes on
// standard error; the environment its children inherit stays as it was.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "platform/messagebox.h"
#include "ui/GuiApplication.h"
#include "ui/application.h"

namespace velmora {
namespace {

using Screen = GuiApplication::Screen;

// The display settings for one scope, restored at its end.
class DisplaySettings {
  public:
    DisplaySettings(const char* display, const char* wayland, const char* platform) {
        set("DISPLAY", display);
        set("WAYLAND_DISPLAY", wayland);
        set("QT_QPA_PLATFORM", platform);
    }
    ~DisplaySettings() {
        for (const auto& [name, value] : m_saved) set(name.c_str(), value ? value->c_str() : nullptr, false);
    }
    DisplaySettings(const DisplaySettings&) = delete;
    DisplaySettings& operator=(const DisplaySettings&) = delete;

  private:
    void set(const char* name, const char* value, bool save = true) {
        if (save) {
            const char* old = std::getenv(name);
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::map<std::string, std::optional<std::string>> m_saved;
};

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "<unset>";
}

// An X display nobody runs.
constexpr char kNoSuchDisplay[] = ":6543";

TEST(GuiApplicationTest, QtSeesOnlyTheProgramsName) {
    DisplaySettings settings(nullptr, nullptr, "offscreen");
    char words[][16] = {"Sealdesk.exe", "-platform", "xcb", "-display", "nosuch", "-style", "x", "/e"};
    char* argv[] = {words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7], nullptr};
    int argc = 8;
    GuiApplication app(argc, argv);
    EXPECT_EQ(QCoreApplication::arguments(), QStringList{QStringLiteral("Sealdesk.exe")});
    EXPECT_EQ(app.platformName(), QStringLiteral("offscreen"));
    EXPECT_TRUE(app.displayOpened());
    EXPECT_FALSE(app.headless());
    ASSERT_EQ(argc, 8);
    EXPECT_STREQ(argv[1], "-platform");
    EXPECT_STREQ(argv[4], "nosuch");
    EXPECT_STREQ(argv[7], "/e");
}

TEST(GuiApplicationTest, WithoutADisplayItComesUpOffscreenAndKnowsIt) {
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
        Screen screen;
        bool opened;
        bool headless;
        const char* reason;  // part of noDisplayReason when not opened
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, Screen::Required, false, false, "neither DISPLAY nor WAYLAND_DISPLAY"},
        {kNoSuchDisplay, nullptr, nullptr, Screen::Required, false, false, "DISPLAY=:6543"},
        {nullptr, nullptr, "xcb", Screen::Required, false, false, "QT_QPA_PLATFORM=xcb"},
        {kNoSuchDisplay, nullptr, nullptr, Screen::Optional, false, true, "DISPLAY=:6543"},
        {nullptr, nullptr, nullptr, Screen::Optional, false, true, "neither"},
        // Offscreen asked for by name is the caller's choice (the tests'); only a server is headless on it.
        {nullptr, nullptr, "offscreen", Screen::Required, true, false, ""},
        {kNoSuchDisplay, nullptr, "offscreen", Screen::Optional, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.display ? c.display : "-") + " " + (c.platform ? c.platform : "-") + " " +
                     (c.screen == Screen::Required ? "program" : "server"));
        DisplaySettings settings(c.display, c.wayland, c.platform);
        int argc = 1;
        char name[] = "prog";
        char* argv[] = {name, nullptr};
        GuiApplication app(argc, argv, c.screen);
        EXPECT_EQ(app.platformName(), QStringLiteral("offscreen"));
        EXPECT_EQ(app.displayOpened(), c.opened);
        EXPECT_EQ(app.headless(), c.headless);
        EXPECT_EQ(headlessServer(), c.headless);
        if (!c.opened) {
            EXPECT_NE(app.noDisplayReason().find(c.reason), std::string::npos) << app.noDisplayReason();
        }
        // Servers started from here decide for themselves, from the environment as it was.
        EXPECT_EQ(environmentValue("QT_QPA_PLATFORM"), c.platform ? c.platform : "<unset>");
    }
}

TEST(GuiApplicationTest, AHeadlessServersMessageBoxesGoToStandardErrorAsIfConfirmed) {
    DisplaySettings settings(nullptr, nullptr, nullptr);
    int argc = 1;
    char name[] = "Tracebook.exe";
    char* argv[] = {name, nullptr};
    GuiApplication app(argc, argv, Screen::Optional);
    ASSERT_TRUE(app.headless());
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(0, "Subscript out of range", "Class CTracebook Function Log()", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(0, "Overwrite?", "Shredwell", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Class CTracebook Function Log()] Subscript out of range\n[Shredwell] Overwrite?\n");
}

}  // namespace
}  // namespace velmora
