#include "common/NamedItems.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/text.h"
#include "testsupport/TempFolder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(NamedItemsTest, FoldersAreMarkedFromTheNamedPathAlone) {
    const fs::path root = test::freshFolder("items");
    fs::create_directories(root / "photos" / "inside");
    std::ofstream(root / "report.odt") << "x";
    fs::create_directory_symlink(root / "photos", root / "link to photos");
    const std::vector<std::u16string> arguments = {u"program",
                                                   u"/e",
                                                   fromUtf8((root / "report.odt").string()),
                                                   fromUtf8((root / "photos").string()),
                                                   fromUtf8((root / "link to photos").string()),
                                                   fromUtf8((root / "missing").string())};
    const std::vector<NamedItem> items = namedItems(arguments, 2);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_FALSE(items[0].folder);
    EXPECT_TRUE(items[1].folder);
    EXPECT_FALSE(items[2].folder);  // a link is a link, whatever it points to
    EXPECT_FALSE(items[3].folder);
    EXPECT_TRUE(namedItems(arguments, 6).empty());
}

TEST(NamedItemsTest, TheSummaryNamesTheFirstItemAndCountsTheRest) {
    const struct {
        std::vector<NamedItem> items;
        std::u16string summary;
    } cases[] = {
        {{}, u""},
        {{{u"/home/me/report.odt", false}}, u"report.odt"},
        {{{u"C:\\Data\\report.odt", false}, {u"b", false}, {u"c", true}, {u"d", false}},
         u"report.odt and 3 more"},
        {{{u"/home/me/photos/", true}}, u"photos (folder)"},
        {{{u"/", true}, {u"x", false}}, u"/ (folder) and 1 more"},
        {{{u"plain name", false}}, u"plain name"},
    };
    for (const auto& c : cases) EXPECT_EQ(itemsSummary(c.items), c.summary) << toUtf8(c.summary);
}

TEST(NamedItemsTest, ListsShowPathsAndFoldersUpToTheLimitThenCountTheRest) {
    std::vector<NamedItem> items;
    for (int i = 0; i < 5; ++i) items.push_back({u"/d/" + fromUtf8(std::to_string(i)), i == 1});
    EXPECT_EQ(itemLines(items, 5),
              (std::vector<std::u16string>{u"/d/0", u"/d/1 (folder)", u"/d/2", u"/d/3", u"/d/4"}));
    EXPECT_EQ(itemLines(items, 2), (std::vector<std::u16string>{u"/d/0", u"/d/1 (folder)", u"and 3 more"}));
    EXPECT_TRUE(itemLines({}, 200).empty());
}

}  // namespace
}  // namespace velmora
