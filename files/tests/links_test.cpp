// Symbolic links handed to the file library: deleting, wiping, destroying and recycling a link, or a
// folder holding links, touches nothing the links point to; the search never walks into a link. What a
// link points to is watched through a hard link of it, which sees every write to its data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "DiskwareTestSupport.h"
#include "files/FileObject.h"
#include "FilesObject.h"
#include "component/CallbackSink.h"
#include "platform/messagebox.h"

using namespace velmora;
using namespace velmora::test;

namespace fs = std::filesystem;

namespace {

class Links : public DiskwareTest {
  protected:
    void SetUp() override {
        DiskwareTest::SetUp();
        write("outside/data", std::string(3 * 1048576 / 2, 'p'));  // above one wipe block
        write("outside/inner/deep", "deep");
        ASSERT_EQ(::link(native("outside/data").c_str(), native("observer").c_str()), 0);
        m_original = read("outside/data");
        connectEvents(ObjectRef(m_file),
                      makeObject<CallbackSink>([this](std::u16string_view, std::span<Variant> a) {
                          m_progress.push_back(a[0].toInteger());
                      }));
    }
    void link(const std::string& target, const std::string& name) const {
        fs::create_directories(fs::path(native(name)).parent_path());
        ASSERT_EQ(::symlink(target.c_str(), native(name).c_str()), 0) << name;
    }
    bool present(const std::string& name) const { return fs::exists(fs::symlink_status(native(name))); }
    void expectOutsideUntouched() const {
        EXPECT_TRUE(read("outside/data") == m_original);
        EXPECT_TRUE(read("observer") == m_original);
        EXPECT_EQ(read("outside/inner/deep"), "deep");
    }
    bool remove(std::int32_t kind, const std::string& name, std::int16_t passes = 0) {
        std::u16string path = suite(name);
        return m_file->FileDelete(kind, path, false, passes);
    }

    Ref<FileObject> m_file = makeObject<FileObject>();
    std::vector<std::int16_t> m_progress;
    MessageBoxRecorder m_boxes;
    std::string m_original;
};

TEST_F(Links, EveryKindOfDeletionOfALinkRemovesTheLinkAlone) {
    for (const std::int32_t kind : {vKill, vRecycle, vDestroy, vWipe}) {
        SCOPED_TRACE(kind);
        link(native("outside/data"), "toFile");
        link(native("outside"), "toFolder");
        EXPECT_TRUE(remove(kind, "toFile", 2));
        EXPECT_TRUE(remove(kind, "toFolder", 2));
        EXPECT_FALSE(present("toFile"));
        EXPECT_FALSE(present("toFolder"));
        expectOutsideUntouched();
    }
}

// The wipe reports a link as what it is, an entry holding no data: no message, the passes over nothing
// (Progress as for an empty file), and the link gone.
TEST_F(Links, WipingALinkWritesNothingThroughItAndShowsNoMessage) {
    link(native("outside/data"), "toFile");
    EXPECT_TRUE(remove(vWipe, "toFile", 2));
    EXPECT_EQ(m_progress, (std::vector<std::int16_t>{50, 100, 100}));
    EXPECT_TRUE(m_boxes.messages().empty());
    EXPECT_FALSE(present("toFile"));
    expectOutsideUntouched();
    // A link whose target is gone is deleted the same way.
    link(native("nowhere"), "dangling");
    EXPECT_TRUE(remove(vWipe, "dangling", 1));
    EXPECT_FALSE(present("dangling"));
}

TEST_F(Links, DeletingAFolderLeavesWhatItsLinksPointTo) {
    for (const std::int32_t kind : {vKill, vDestroy}) {
        SCOPED_TRACE(kind);
        write("tree/own", "own");
        link(native("outside"), "tree/toFolder");
        link(native("outside/data"), "tree/sub/toFile");
        link("..", "tree/sub/up");
        link("loopB", "tree/loopA");
        link("loopA", "tree/loopB");
        EXPECT_TRUE(remove(kind, "tree"));
        EXPECT_FALSE(present("tree"));
        expectOutsideUntouched();
    }
}

class LinkedSearch : public Links {
  protected:
    void SetUp() override {
        Links::SetUp();
        connectEvents(ObjectRef(m_files),
                      makeObject<CallbackSink>([this](std::u16string_view name, std::span<Variant> args) {
                          if (name == u"FoundFile") m_found.push_back(toUtf8(args[0].toString()));
                      }));
    }
    Ref<FilesObject> m_files = makeObject<FilesObject>();
    std::vector<std::string> m_found;
};

TEST_F(LinkedSearch, TheSearchNeverWalksIntoALinkAndEndsOnLoops) {
    write("t/a.txt", "");
    write("t/s/b.txt", "");
    write("outside/c.txt", "");
    link("..", "t/s/up");                    // back to the parent: once endless
    link(native("t"), "t/s/again");          // to the same tree
    link(native("outside"), "t/elsewhere");  // out of the tree
    link("loopB", "t/loopA");
    link("loopA", "t/loopB");
    EXPECT_TRUE(m_files->Find(suite("t\\"), u"*.txt"));
    const std::string base = toUtf8(suite("t\\"));
    EXPECT_EQ(m_found, (std::vector<std::string>{base + "a.txt", base + "s\\b.txt"}));
    EXPECT_FALSE(m_files->Searching());

    // The links themselves are entries of their folders.
    m_found.clear();
    EXPECT_TRUE(m_files->Find(suite("t\\s\\"), u"*.*"));
    const auto has = [&](const std::string& name) {
        return std::find(m_found.begin(), m_found.end(), toUtf8(suite("t\\s\\")) + name) != m_found.end();
    };
    EXPECT_TRUE(has("up"));
    EXPECT_TRUE(has("again"));
}

TEST_F(LinkedSearch, AStartReachedThroughALinkIsSearchedOnce) {
    write("t/a.txt", "");
    link(native("t"), "viaLink");
    EXPECT_TRUE(m_files->Find(suite("viaLink\\"), u"*.txt"));
    EXPECT_EQ(m_found, (std::vector<std::string>{toUtf8(suite("viaLink\\")) + "a.txt"}));
}

}  // namespace
