// Short (8.3) names: mangling, numbering, and resolving back in every call that takes a path.
#include "FileTestSupport.h"
#include "platform/attributes.h"
#include "platform/shortnames.h"

namespace {

using ShortNamesTest = FileTest;

std::string shortOf(const std::string& path) {
    char buffer[1024] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length ? std::string(buffer, length) : "<error " + std::to_string(GetLastError()) + ">";
}

std::string longOf(const std::string& path) {
    char buffer[1024] = {};
    const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return length ? std::string(buffer, length) : "<error " + std::to_string(GetLastError()) + ">";
}

std::string lastName(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

TEST_F(ShortNamesTest, LongNamesAreMangled) {
    const struct {
        const char* name;
        const char* shortName;
    } cases[] = {
        {"readme.txt", "readme.txt"},  // already 8.3: kept, letter case too
        {"README", "README"},
        {"Program Files", "PROGRA~1"},
        {"archive.tar.gz", "ARCHIV~1.GZ"},
        {"My Document.text", "MYDOCU~1.TEX"},
        {".bashrc", "BASHRC~1"},
        {"a+b=c;d.txt", "ABCD~1.TXT"},
        {"toolongname.html", "TOOLON~1.HTM"},
        {"x.y.z", "XY~1.Z"},
        {"two  dots..txt", "TWODOT~1.TXT"},
        {"\xC3\x9C"
         "ber.txt",
         "_BER~1.TXT"},
        {"+++", "_~1"},
        {"name with space.c", "NAMEWI~1.C"},
    };
    for (const auto& c : cases) {
        write(c.name, "x");
        EXPECT_EQ(lastName(shortOf(suite(c.name))), c.shortName) << c.name;
        std::filesystem::remove(native(c.name));
    }
}

TEST_F(ShortNamesTest, NamesOfOneKindAreNumberedAndRealNamesAreSkipped) {
    write("PROGRA~1", "a real file with that name");
    write("Program Files", "x");
    write("Programmer Notes", "x");
    std::string first = lastName(shortOf(suite("Program Files"))),
                second = lastName(shortOf(suite("Programmer Notes")));
    EXPECT_NE(first, second);
    EXPECT_NE(first, "PROGRA~1");
    EXPECT_NE(second, "PROGRA~1");
    EXPECT_EQ(longOf(suite(first)), suite("Program Files"));
    EXPECT_EQ(longOf(suite(second)), suite("Programmer Notes"));
    EXPECT_EQ(longOf(suite("PROGRA~1")), suite("PROGRA~1"));
}

TEST_F(ShortNamesTest, WholePathsRoundTripAndOpen) {
    std::filesystem::create_directories(native("Long Folder Name/Inner Folder"));
    write("Long Folder Name/Inner Folder/Some Document.text", "content");
    const std::string longPath = suite("Long Folder Name\\Inner Folder\\Some Document.text");
    const std::string shortPath = shortOf(longPath);
    const std::string tail = "\\LONGFO~1\\INNERF~1\\SOMEDO~1.TEX";
    ASSERT_GT(shortPath.size(), tail.size());
    EXPECT_EQ(shortPath.substr(shortPath.size() - tail.size()), tail);
    EXPECT_EQ(shortPath.substr(0, 3), "Z:\\");
    EXPECT_EQ(longOf(shortPath), longPath);
    EXPECT_EQ(longOf(suite("longfo~1\\innerf~1\\somedo~1.tex")), longPath);  // short names ignore case

    Handle h(
        CreateFileA(shortPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h.valid()) << GetLastError();
    char buffer[16];
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "content");
    EXPECT_EQ(GetFileAttributesA(shortPath.c_str()), FILE_ATTRIBUTE_NORMAL);

    // A new file in a folder named by its short name lands in the long folder.
    Handle created(
        CreateFileA(suite("LONGFO~1\\new.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_TRUE(created.valid());
    EXPECT_TRUE(exists("Long Folder Name/new.txt"));
}

TEST_F(ShortNamesTest, BufferSizesAndMissingFilesFollowWin32) {
    write("Some Long Name.txt", "x");
    const std::string path = suite("Some Long Name.txt");
    const std::string expected = shortOf(path);
    char small[4] = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(GetShortPathNameA(path.c_str(), small, sizeof small), expected.size() + 1);
    EXPECT_EQ(small[0], 'k');
    EXPECT_EQ(GetLongPathNameA(path.c_str(), nullptr, 0), path.size() + 1);

    EXPECT_EQ(GetShortPathNameA(suite("missing").c_str(), small, sizeof small), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLongPathNameA(suite("MISSIN~1\\x").c_str(), small, sizeof small), 0u);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetLongPathNameA(nullptr, small, sizeof small), 0u);
}

}  // namespace
