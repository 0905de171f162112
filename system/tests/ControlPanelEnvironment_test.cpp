// ControlPanelObject against recording stand-ins of the desktop's settings programs on a test PATH (no
// real settings program ever starts), and EnvironmentalVarObject's persistent scope.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ControlPanelObject.h"
#include "EnvironmentalVarObject.h"
#include "component/calls.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "runtime/text.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A folder of recording programs that append their name and arguments to one file; PATH is that
// folder alone while the fixture lives.
class ControlPanel : public ::testing::Test {
  protected:
    ControlPanel()
        : m_folder(fs::path(std::getenv("VELMORA_TEST_SANDBOX")) / "settings-bin"),
          m_record(m_folder / "record.txt"),
          m_path("PATH", m_folder.string()),
          m_desktop("XDG_CURRENT_DESKTOP", std::nullopt) {
        fs::create_directories(m_folder);
        fs::remove(m_record);
        for (const char* program : {"gnome-control-center", "systemsettings", "kfind"}) {
            const fs::path file = m_folder / program;
            std::ofstream(file) << "#!/bin/sh\necho \"${0##*/} $*\" >> '" << m_record.string() << "'\n";
            fs::permissions(file, fs::perms::owner_all);
        }
    }

    // The lines recorded once `count` programs have run (bounded wait for the detached children).
    std::vector<std::string> recorded(std::size_t count) {
        std::vector<std::string> lines;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            lines.clear();
            std::ifstream in(m_record);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }

    fs::path m_folder;
    fs::path m_record;
    ScopedVariable m_path;
    ScopedVariable m_desktop;
    Ref<ControlPanelObject> m_panel = makeObject<ControlPanelObject>();
};

TEST_F(ControlPanel, EachPageOpensTheDesktopsSettingsPage) {
    struct Case {
        std::int32_t panel;
        const char* gnome;
    };
    const Case cases[] = {{DesktopDisplay, "gnome-control-center display"},
                          {MouseSettings, "gnome-control-center mouse"},
                          {RegionalSettings, "gnome-control-center region"},
                          {TimeAndDate, "gnome-control-center datetime"}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(m_panel->ShowControlPanel(cases[i].panel).isEmpty());
        const auto lines = recorded(i + 1);
        ASSERT_EQ(lines.size(), i + 1);
        EXPECT_EQ(lines[i], cases[i].gnome);
    }
}

TEST_F(ControlPanel, TheCurrentDesktopsProgramComesFirst) {
    ScopedVariable kde("XDG_CURRENT_DESKTOP", "KDE");
    m_panel->ShowControlPanel(KeyboardSettings);
    m_panel->ShowControlPanel(FontSettings);
    EXPECT_EQ(recorded(2),
              (std::vector<std::string>{"systemsettings kcm_keyboard", "systemsettings kcm_fonts"}));
}

TEST_F(ControlPanel, PagesWithoutAnEquivalentAndUnknownValuesStartNothing) {
    for (const std::int32_t panel : {std::int32_t{AddHardWare}, std::int32_t{21}, std::int32_t{-1}})
        EXPECT_TRUE(m_panel->ShowControlPanel(panel).isEmpty());
    m_panel->ShowControlPanel(SoundSettings);  // the one program that runs
    EXPECT_EQ(recorded(1), std::vector<std::string>{"gnome-control-center sound"});
}

TEST_F(ControlPanel, TheSearchChordsOpenTheFileSearch) {
    m_panel->ShowControlPanel(FindFiles);
    m_panel->ShowControlPanel(FindComputer);
    EXPECT_EQ(recorded(2), (std::vector<std::string>{"kfind ", "kfind "}));
}

TEST_F(ControlPanel, WithoutAnySettingsProgramNothingStarts) {
    ScopedVariable emptyPath("PATH", (m_folder / "none").string());
    for (std::int32_t panel = Accessibility; panel <= TweakUI; ++panel) {
        if (panel == TweakUI) continue;  // asks a question, tested below
        EXPECT_NO_THROW(m_panel->ShowControlPanel(panel)) << panel;
    }
    EXPECT_FALSE(fs::exists(m_record));
}

TEST_F(ControlPanel, AMissingTweakAppletIsOfferedForDownload) {
    MessageBoxRecorder boxes;
    boxes.answer(IDNO);
    m_panel->ShowControlPanel(TweakUI);
    const auto messages = boxes.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Missing Component");
    EXPECT_EQ(messages[0].text,
              "It appears that you do not have TweakUI installed on your machine.\n"
              "Would you like to download this component now?");
    EXPECT_EQ(messages[0].type, MB_YESNO | MB_ICONQUESTION);

    // Present: no question; the applet has no page on this desktop.
    const std::string system = toNativePath("C:\\WINDOWS\\SYSTEM32");
    fs::create_directories(system);
    std::ofstream(fs::path(system) / "tweakui.cpl") << "applet";
    m_panel->ShowControlPanel(TweakUI);
    EXPECT_EQ(boxes.messages().size(), 1u);
}

TEST(Environment, VariablesRoundTripThroughThePersistentScope) {
    ObjectRef first = makeObject<EnvironmentalVarObject>();
    EXPECT_EQ(call(first, u"GetVariable", u"VELMORA_UNSET").toString(), u"");
    EXPECT_FALSE(call(first, u"DeleteVariable", u"VELMORA_UNSET").toBool());

    EXPECT_TRUE(call(first, u"SetVariable", u"VELMORA_COLOUR", u"Grün %HOME%").toBool());
    // Another object, as another program would make, sees the value; the process environment does not.
    ObjectRef second = makeObject<EnvironmentalVarObject>();
    EXPECT_EQ(call(second, u"GetVariable", u"VELMORA_COLOUR").toString(), u"Grün %HOME%");
    EXPECT_EQ(std::getenv("VELMORA_COLOUR"), nullptr);

    EXPECT_TRUE(call(second, u"SetVariable", u"VELMORA_COLOUR", u"").toBool());
    EXPECT_EQ(call(first, u"GetVariable", u"VELMORA_COLOUR").toString(), u"");
    EXPECT_TRUE(call(first, u"DeleteVariable", u"VELMORA_COLOUR").toBool());
    EXPECT_FALSE(call(first, u"DeleteVariable", u"VELMORA_COLOUR").toBool());
}

TEST(Environment, NamesThatAreNoVariableNamesGetTheEmptyResults) {
    ObjectRef environment = makeObject<EnvironmentalVarObject>();
    for (const char16_t* name : {u"", u"A=B", u"="}) {
        EXPECT_FALSE(call(environment, u"SetVariable", name, u"value").toBool()) << toUtf8(name);
        EXPECT_EQ(call(environment, u"GetVariable", name).toString(), u"") << toUtf8(name);
        EXPECT_FALSE(call(environment, u"DeleteVariable", name).toBool()) << toUtf8(name);
    }
}

}  // namespace
