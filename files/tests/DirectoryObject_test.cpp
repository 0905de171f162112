// DirectoryObject on real folders.
#include <gtest/gtest.h>

#include "DirectoryObject.h"
#include "DiskwareTestSupport.h"
#include "platform/messagebox.h"

using namespace velmora;
using namespace velmora::test;

namespace {

class Directories : public DiskwareTest {
  protected:
    Ref<DirectoryObject> m_dir = makeObject<DirectoryObject>();
    MessageBoxRecorder m_boxes;
};

TEST_F(Directories, ExistsForFoldersWithOrWithoutSeparatorAndForFiles) {
    write("f.txt", "x");
    for (const auto& [path, expected] : std::vector<std::pair<std::u16string, bool>>{
             {suite(""), true}, {suite("f.txt"), true}, {suite("none"), false}, {u"", false}}) {
        m_dir->setPath(path);
        EXPECT_EQ(m_dir->Exists(), expected) << toUtf8(path);
    }
    m_dir->setPath(fromUtf8(m_folder));  // a POSIX path as typed
    EXPECT_TRUE(m_dir->Exists());
}

TEST_F(Directories, CreateMakesTheWholeChain) {
    std::filesystem::create_directories(native("a"));
    for (const std::string tail : {"a\\b\\c", "a\\d\\e\\", "a/p/q"}) {
        std::u16string path = suite("") + fromUtf8(tail);
        EXPECT_TRUE(m_dir->Create(path)) << tail;
    }
    EXPECT_TRUE(std::filesystem::is_directory(native("a/b/c")));
    EXPECT_TRUE(std::filesystem::is_directory(native("a/d/e")));
    EXPECT_TRUE(std::filesystem::is_directory(native("a/p/q")));
    std::u16string posix = fromUtf8(native("x/y"));
    EXPECT_TRUE(m_dir->Create(posix));
    EXPECT_TRUE(std::filesystem::is_directory(native("x/y")));

    m_dir->setPath(suite("stored\\one"));
    std::u16string empty;
    EXPECT_TRUE(m_dir->Create(empty));
    EXPECT_EQ(empty, suite("stored\\one"));  // the caller's variable receives the stored path
    EXPECT_TRUE(std::filesystem::is_directory(native("stored/one")));
    std::u16string unc = u"\\\\srv\\share\\x";
    EXPECT_TRUE(m_dir->Create(unc));  // nothing can be made there, and nothing is reported
}

TEST_F(Directories, WithoutAPathCreateAndDeleteRaise100) {
    std::u16string empty;
    for (auto action : {&DirectoryObject::Create, &DirectoryObject::Delete}) {
        try {
            ((*m_dir).*action)(empty);
            FAIL();
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), 100);
            EXPECT_EQ(error.description(), u"No path set");
            EXPECT_EQ(error.source(), u"DirectoryObject");
        }
    }
}

TEST_F(Directories, DeleteOnlyEmptyFolders) {
    write("full/f", "x");
    std::filesystem::create_directories(native("empty"));
    std::u16string full = suite("full");
    std::u16string empty = suite("empty");
    EXPECT_FALSE(m_dir->Delete(full));
    EXPECT_TRUE(m_dir->Delete(empty));
    EXPECT_FALSE(exists("empty"));
    EXPECT_TRUE(exists("full/f"));
}

TEST_F(Directories, CopyAndMoveTrees) {
    write("src/a.txt", "A");
    write("src/sub/b.txt", "B");
    EXPECT_EQ(m_dir->Copy(suite("copy"), suite("src")), 0);  // defaults: silent, no confirmation
    EXPECT_EQ(read("copy/sub/b.txt"), "B");
    EXPECT_EQ(m_dir->Path(), suite("src"));
    std::filesystem::create_directories(native("into"));
    EXPECT_EQ(m_dir->Copy(suite("into")), 0);  // an existing folder receives the tree
    EXPECT_EQ(read("into/src/a.txt"), "A");
    EXPECT_NE(m_dir->Copy(suite("src/sub")), 0);  // not into itself
    EXPECT_EQ(m_dir->Move(suite("moved")), 0);
    EXPECT_FALSE(exists("src"));
    EXPECT_EQ(read("moved/sub/b.txt"), "B");
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(Directories, CopyAndMoveWithoutPathsAskOnlyWhenConfirming) {
    EXPECT_EQ(m_dir->Copy(suite("x")), 0);
    EXPECT_EQ(m_dir->Move(u"", suite("y")), 0);
    EXPECT_TRUE(m_boxes.messages().empty());
    auto fresh = makeObject<DirectoryObject>();
    EXPECT_EQ(fresh->Copy(suite("x"), u"", true), 0);
    EXPECT_EQ(m_dir->Move(u"", u"", true), 0);
    ASSERT_EQ(m_boxes.messages().size(), 2u);
    EXPECT_EQ(m_boxes.messages()[0].text, "Invalid Path Name");
    EXPECT_EQ(m_boxes.messages()[1].text, "Invalid Destination Path");
    EXPECT_FALSE(exists("y"));
}

TEST(DirectoryNames, DriveAndComputerOfThePath) {
    auto dir = makeObject<DirectoryObject>();
    dir->setPath(u"\\\\srv\\share");
    EXPECT_EQ(dir->Drive(), u"OTH_COMPUTER");
    EXPECT_EQ(dir->ComputerName(), u"srv");
    dir->setPath(u"D:\\x");
    EXPECT_EQ(dir->Drive(), u"D:");
    dir->setPath(u"rel");
    EXPECT_EQ(dir->ComputerName(), u"NO_DRIVE");
}

}  // namespace
