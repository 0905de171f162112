// Shredwell.exe without a display it can open: one line on standard error and status 1, never Qt's abort,
// and nothing of the named items touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "testsupport/ChildProcess.h"

namespace velmora {
namespace {

TEST(NoDisplayTest, TheProgramSaysSoInOneLineAndEndsWithStatus1) {
    const auto item = std::filesystem::path(std::getenv("TMPDIR")) / "keep.bin";
    std::ofstream(item, std::ios::binary) << "keep";
    using Setting = std::pair<std::string, std::optional<std::string>>;
    const std::vector<Setting> cases[] = {
        {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}},
        {{"DISPLAY", ":6543"}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}},
        {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", "xcb"}},
    };
    for (const auto& environment : cases) {
        SCOPED_TRACE(environment[0].second.value_or("") + environment[2].second.value_or(""));
        // Qt's own options among the arguments are the user's items, not Qt's.
        const test::ProgramOutput out = test::runProgram(
            VELMORA_BIN_DIR "/Shredwell.exe", {"-platform", "offscreen", item.string()}, {environment, true});
        EXPECT_EQ(out.status, 1);
        EXPECT_EQ(std::count(out.text.begin(), out.text.end(), '\n'), 1) << out.text;
        EXPECT_EQ(out.text.rfind("Shredwell: no display", 0), 0u) << out.text;
        EXPECT_TRUE(std::filesystem::exists(item));
    }
}

}  // namespace
}  // namespace velmora
