// Symbolic links in the file calls: every walk of the shell's file operation takes a link as the link,
// a link's own handle never reaches what it points to, and the find data marks links. The file a link
// points to is watched through a hard link of it, which sees every write to its data.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "platform/find.h"
#include "platform/identity.h"
#include "platform/pointers.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace {

class LinkTest : public FileTest {
  protected:
    void SetUp() override {
        FileTest::SetUp();
        // Outside the folder the operations are named on: what must stay as it is.
        fs::create_directories(native("outside/inner"));
        write("outside/data", "precious");
        write("outside/inner/deep", "deep");
        ASSERT_EQ(::link(native("outside/data").c_str(), native("observer").c_str()), 0);
    }

    void link(const std::string& target, const std::string& name) const {
        ASSERT_EQ(::symlink(target.c_str(), native(name).c_str()), 0) << name;
    }
    bool isLink(const std::string& name) const { return fs::is_symlink(fs::symlink_status(native(name))); }
    void expectOutsideUntouched() const {
        EXPECT_EQ(read("outside/data"), "precious");
        EXPECT_EQ(read("observer"), "precious");
        EXPECT_EQ(read("outside/inner/deep"), "deep");
    }
    int shell(UINT operation, const std::string& from, const std::string& to = {},
              FILEOP_FLAGS flags = FOF_NOCONFIRMATION) const {
        const std::string source = from + '\0';
        const std::string target = to + '\0';
        SHFILEOPSTRUCTA request{};
        request.wFunc = operation;
        request.pFrom = source.c_str();
        request.pTo = target.c_str();
        request.fFlags = flags;
        return SHFileOperationA(&request);
    }
    // A tree holding every kind of link: to a folder outside, to a file outside, dangling, and a loop.
    void makeTreeWithLinks(const std::string& tree) const {
        fs::create_directories(native(tree + "/sub"));
        write(tree + "/own", "own");
        link(native("outside"), tree + "/toFolder");
        link(native("outside/data"), tree + "/sub/toFile");
        link("nowhere", tree + "/dangling");
        link("loopB", tree + "/loopA");
        link("loopA", tree + "/loopB");
        link("..", tree + "/sub/up");
    }
};

TEST_F(LinkTest, DeletingATreeRemovesItsLinksAndNothingTheyPointTo) {
    makeTreeWithLinks("tree");
    EXPECT_EQ(shell(FO_DELETE, suite("tree")), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(native("tree"))));
    expectOutsideUntouched();
}

TEST_F(LinkTest, ALinkNamedDirectlyIsDeletedItselfWhateverItPointsTo) {
    link(native("outside"), "toFolder");
    link(native("outside/data"), "toFile");
    link("nowhere", "dangling");
    link("self", "self");
    for (const char* name : {"toFolder", "toFile", "dangling", "self"}) {
        EXPECT_EQ(shell(FO_DELETE, suite(name)), 0) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(native(name)))) << name;
    }
    expectOutsideUntouched();
}

TEST_F(LinkTest, TrashingALinkTrashesTheLink) {
    link(native("outside"), "toFolder");
    link(native("outside/data"), "toFile");
    // A handle on the file a link points to does not hold the link.
    Handle holder(
        CreateFileA(native("outside/data").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    for (const char* name : {"toFolder", "toFile"}) {
        EXPECT_EQ(shell(FO_DELETE, suite(name), {}, FOF_NOCONFIRMATION | FOF_ALLOWUNDO), 0) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(native(name)))) << name;
    }
    holder.close();
    expectOutsideUntouched();
}

TEST_F(LinkTest, CopyingATreeCopiesLinksAsLinks) {
    makeTreeWithLinks("tree");
    EXPECT_EQ(shell(FO_COPY, suite("tree"), suite("copy")), 0);
    EXPECT_EQ(read("copy/own"), "own");
    for (const char* name : {"toFolder", "sub/toFile", "dangling", "loopA", "sub/up"}) {
        ASSERT_TRUE(isLink(std::string("copy/") + name)) << name;
        EXPECT_EQ(fs::read_symlink(native(std::string("copy/") + name)),
                  fs::read_symlink(native(std::string("tree/") + name)));
    }
    // Replacing a file with a link puts the link there; the file the link points to is not copied over.
    write("plain", "plain");
    link(native("outside/data"), "single");
    EXPECT_EQ(shell(FO_COPY, suite("single"), suite("plain")), 0);
    EXPECT_TRUE(isLink("plain"));
    expectOutsideUntouched();
}

TEST_F(LinkTest, AFolderDestinationThatIsALinkIsNeverMergedInto) {
    fs::create_directories(native("src/toFolder"));
    write("src/toFolder/new", "new");
    fs::create_directories(native("dest"));
    link(native("outside"), "dest/toFolder");
    // Moving src into dest would merge src/toFolder into dest/toFolder, a link to a folder elsewhere.
    EXPECT_NE(shell(FO_MOVE, suite("src/toFolder"), suite("dest")), 0);
    EXPECT_FALSE(exists("outside/new"));
    expectOutsideUntouched();
}

// A move between file systems copies and then deletes the source: the deletion must not follow links
// out of the moved tree, and the copy must carry the links themselves.
TEST_F(LinkTest, MovingATreeAcrossFileSystemsMovesLinksAsLinks) {
    const fs::path buildFolder = fs::read_symlink("/proc/self/exe").parent_path();
    std::string shmPattern = "/dev/shm/velmora-links-XXXXXX";
    std::string buildPattern = (buildFolder / "velmora-links-XXXXXX").string();
    ASSERT_NE(mkdtemp(shmPattern.data()), nullptr);
    ASSERT_NE(mkdtemp(buildPattern.data()), nullptr);
    struct Cleanup {
        std::vector<std::string> folders;
        ~Cleanup() {
            std::error_code ignored;
            for (const auto& folder : folders) fs::remove_all(folder, ignored);
        }
    } cleanup{{shmPattern, buildPattern}};
    struct stat a {
    }, b{};
    ASSERT_EQ(stat(shmPattern.c_str(), &a), 0);
    ASSERT_EQ(stat(buildPattern.c_str(), &b), 0);
    if (a.st_dev == b.st_dev) GTEST_SKIP() << "/dev/shm and the build folder share a file system here";

    for (const auto& [from, to] :
         {std::pair{shmPattern, buildPattern}, std::pair{buildPattern, shmPattern}}) {
        SCOPED_TRACE(from + " -> " + to);
        const std::string tree = from + "/tree";
        fs::create_directories(tree + "/sub");
        std::ofstream(tree + "/own") << "own";
        fs::create_directory_symlink(native("outside"), tree + "/toFolder");
        fs::create_symlink(native("outside/data"), tree + "/sub/toFile");
        fs::create_symlink("..", tree + "/sub/up");
        fs::create_symlink(native("outside/data"), from + "/single");

        EXPECT_EQ(shell(FO_MOVE, velmora::toSuitePath(tree), velmora::toSuitePath(to)), 0);
        EXPECT_EQ(shell(FO_MOVE, velmora::toSuitePath(from + "/single"), velmora::toSuitePath(to)), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
        EXPECT_FALSE(fs::exists(fs::symlink_status(from + "/single")));
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(to + "/tree/toFolder")));
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(to + "/tree/sub/toFile")));
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(to + "/tree/sub/up")));
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(to + "/single")));
        std::ifstream own(to + "/tree/own");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(own), {}), "own");
        expectOutsideUntouched();
        fs::remove_all(to + "/tree");
        fs::remove(to + "/single");
    }
}

TEST_F(LinkTest, ALinksOwnHandleNeitherReadsNorWritesAndDeletesOnlyTheLink) {
    link(native("outside/data"), "toFile");
    Handle own(CreateFileA(native("toFile").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           TRUNCATE_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr));
    ASSERT_TRUE(own.valid());
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(own.get(), &high), 0u);
    EXPECT_EQ(high, 0u);
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(own.get(), "XXXX", 4, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    char buffer[8];
    EXPECT_FALSE(ReadFile(own.get(), buffer, sizeof buffer, &done, nullptr));
    own.close();
    EXPECT_FALSE(fs::exists(fs::symlink_status(native("toFile"))));
    expectOutsideUntouched();

    // Without the flag a link is followed, as before.
    link(native("outside/data"), "followed");
    Handle followed(CreateFileA(native("followed").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(followed.valid());
    EXPECT_EQ(GetFileSize(followed.get(), nullptr), 8u);
}

TEST_F(LinkTest, FindDataMarksLinksAndIdentityFollowsThem) {
    link(native("outside"), "toFolder");
    link(native("outside/data"), "toFile");
    WIN32_FIND_DATAA found{};
    for (const auto& [name, directory] : {std::pair{"toFolder", true}, std::pair{"toFile", false}}) {
        const HANDLE search = FindFirstFileA(suite(name).c_str(), &found);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << name;
        FindClose(search);
        EXPECT_TRUE(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << name;
        EXPECT_EQ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, directory) << name;
        EXPECT_EQ(found.dwReserved0, IO_REPARSE_TAG_SYMLINK) << name;
    }
    const HANDLE search = FindFirstFileA(suite("outside").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_FALSE(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);

    const auto viaLink = velmora::fileIdentity(suite("toFolder"));
    ASSERT_TRUE(viaLink);
    EXPECT_EQ(viaLink, velmora::fileIdentity(suite("outside")));
    EXPECT_NE(viaLink, velmora::fileIdentity(suite("outside/inner")));
    EXPECT_FALSE(velmora::fileIdentity(suite("missing")));
}

TEST(PointerChecks, OnlyReadableMemoryPasses) {
    const char text[] = "text";
    EXPECT_FALSE(IsBadReadPtr(text, sizeof text));
    EXPECT_FALSE(IsBadStringPtrA(text, 100));
    EXPECT_FALSE(IsBadReadPtr(nullptr, 0));
    // A page given back: unmapped whatever the process's layout (under the address sanitizer the low
    // addresses around 0x7FFFFFFF are its shadow memory, and readable).
    const long pageSize = sysconf(_SC_PAGESIZE);
    void* given = mmap(nullptr, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(given, MAP_FAILED);
    ASSERT_EQ(munmap(given, pageSize), 0);
    for (const std::intptr_t bad : {std::intptr_t{0}, std::intptr_t{-1}, std::intptr_t{100000},
                                    reinterpret_cast<std::intptr_t>(given), std::intptr_t{-116}}) {
        const auto* pointer = reinterpret_cast<const char*>(bad);
        EXPECT_TRUE(IsBadReadPtr(pointer, 1)) << bad;
        EXPECT_TRUE(IsBadStringPtrA(pointer, 10)) << bad;
    }
    // A range running off the end of readable memory: an unmapped page after a readable one.
    const long page = sysconf(_SC_PAGESIZE);
    void* pages = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(munmap(static_cast<char*>(pages) + page, page), 0);
    char* last = static_cast<char*>(pages) + page - 4;
    std::memset(last, 'x', 4);
    EXPECT_FALSE(IsBadReadPtr(last, 4));
    EXPECT_TRUE(IsBadReadPtr(last, 5));
    EXPECT_TRUE(IsBadStringPtrA(last, 100));  // no NUL before the unreadable page
    last[3] = '\0';
    EXPECT_FALSE(IsBadStringPtrA(last, 100));
    munmap(pages, page);
}

}  // namespace
