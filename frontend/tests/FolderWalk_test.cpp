// The folder walk: breadth-first, each folder listed whole before its files are handed on, hidden entries
// and symbolic links left out, an unreadable folder reported and passed over.
#include "FolderWalk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/text.h"
#include "testsupport/TempFolder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& path, const char* contents = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << contents;
}

std::string relative(const std::u16string& path, const fs::path& root) {
    std::string text = toUtf8(path).substr(root.string().size() + 1);
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

TEST(FolderWalkTest, ListsBreadthFirstAndLeavesOutHiddenEntriesAndLinks) {
    const fs::path root = test::freshFolder("walk");
    const fs::path outside = test::freshFolder("outside");
    touch(root / "b.txt");
    touch(root / "a.txt");
    touch(root / "one" / "deep" / "d.txt");
    touch(root / "one" / "c.txt");
    touch(root / "two" / "e.txt");
    touch(root / ".hidden.txt");
    touch(root / ".cache" / "f.txt");
    touch(outside / "target.txt");
    fs::create_directory_symlink(outside, root / "linked-folder");
    fs::create_symlink(outside / "target.txt", root / "linked.txt");

    std::vector<std::string> seen;
    std::vector<std::string> failures;
    FolderWalk::walk(
        fromUtf8(root.string()), [&](const std::u16string& path) { seen.push_back(relative(path, root)); },
        [&](const std::u16string& folder, std::uint32_t) { failures.push_back(toUtf8(folder)); });

    EXPECT_EQ(seen, (std::vector<std::string>{"a.txt", "b.txt", "one/c.txt", "two/e.txt", "one/deep/d.txt"}));
    EXPECT_TRUE(failures.empty());
}

TEST(FolderWalkTest, NeverMeetsWhatItsOwnHandlerAdds) {
    const fs::path root = test::freshFolder("renaming");
    for (const char* name : {"a", "b", "c", "d"}) touch(root / name);
    std::vector<std::string> seen;
    FolderWalk::walk(fromUtf8(root.string()),
                     [&](const std::u16string& path) {
                         seen.push_back(relative(path, root));
                         // What the encrypt dialog does: the file takes a new name beside the ones still to
                         // come.
                         const fs::path native = root / relative(path, root);
                         fs::rename(native, native.string() + ".zqf");
                     },
                     {});
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(FolderWalkTest, ReportsAFolderItCannotReadAndGoesOn) {
    const fs::path root = test::freshFolder("locked");
    touch(root / "closed" / "secret.txt");
    touch(root / "open" / "plain.txt");
    fs::permissions(root / "closed", fs::perms::none);
    std::error_code denied;
    fs::directory_iterator probe(root / "closed", denied);
    if (!denied) {
        fs::permissions(root / "closed", fs::perms::owner_all);
        GTEST_SKIP() << "permissions do not hold for this user (root)";
    }
    std::vector<std::string> seen;
    std::vector<std::string> failures;
    FolderWalk::walk(
        fromUtf8(root.string()), [&](const std::u16string& path) { seen.push_back(relative(path, root)); },
        [&](const std::u16string& folder, std::uint32_t) { failures.push_back(relative(folder, root)); });
    fs::permissions(root / "closed", fs::perms::owner_all);
    EXPECT_EQ(seen, (std::vector<std::string>{"open/plain.txt"}));
    EXPECT_EQ(failures, (std::vector<std::string>{"closed"}));
}

TEST(FolderWalkTest, TellsALinkFromWhatItPointsTo) {
    const fs::path root = test::freshFolder("links");
    touch(root / "file.txt");
    fs::create_symlink(root / "file.txt", root / "link.txt");
    EXPECT_TRUE(FolderWalk::isSymbolicLink(fromUtf8((root / "link.txt").string())));
    EXPECT_FALSE(FolderWalk::isSymbolicLink(fromUtf8((root / "file.txt").string())));
    EXPECT_FALSE(FolderWalk::isSymbolicLink(fromUtf8((root / "missing.txt").string())));
}

}  // namespace
}  // namespace velmora
