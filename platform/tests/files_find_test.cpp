// Folder searches: Win32 wildcard rules, attributes of entries, roots and errors.
#include <algorithm>
#include <vector>

#include "FileTestSupport.h"
#include "platform/attributes.h"
#include "platform/find.h"

namespace {

class FindTest : public FileTest {
  protected:
    void SetUp() override {
        FileTest::SetUp();
        for (const char* name :
             {"a", "a.txt", "B.TXT", "ab", "abc.t", "readme", "archive.tar.gz", "x.txtx", ".hidden"})
            write(name, "x");
        std::filesystem::create_directory(native("sub"));
    }

    // Names found for a pattern, in the order found; empty with the error in `error`. `first` starts the
    // search (FindFirstFileA unless given).
    template <class First = decltype(&FindFirstFileA)>
    std::vector<std::string> find(const std::string& pattern, DWORD* error = nullptr,
                                  First first = &FindFirstFileA) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE search = first(pattern.c_str(), &data);
        if (search == INVALID_HANDLE_VALUE) {
            if (error) *error = GetLastError();
            return names;
        }
        do names.emplace_back(data.cFileName);
        while (FindNextFileA(search, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(search));
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(FindTest, WildcardsMatchTheWin32Way) {
    const Names all = {".",     "..",     ".hidden", "a",     "a.txt", "ab", "abc.t", "archive.tar.gz",
                       "B.TXT", "readme", "sub",     "x.txtx"};
    const struct {
        const char* pattern;
        Names expected;
    } cases[] = {
        {"*", all},
        {"*.*", all},  // names without a dot too
        {"*.", {".", "..", "a", "ab", "readme", "sub"}},
        {"*.txt", {"a.txt", "B.TXT"}},  // not x.txtx: no short-name quirks
        {"*.TXT", {"a.txt", "B.TXT"}},
        {"?.txt", {"a.txt", "B.TXT"}},
        {"a?", {"a", "ab"}},  // '?' may match nothing at the end
        {"a??.*", {"a", "a.txt", "ab", "abc.t"}},
        {"readme.*", {"readme"}},
        {"*.gz", {"archive.tar.gz"}},
        {"*.tar", {}},
        {"a*", {"a", "a.txt", "ab", "abc.t", "archive.tar.gz"}},
        {".h*", {".hidden"}},
        {"README", {"readme"}},
        {"sub", {"sub"}},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(find(suite(c.pattern), &error), c.expected) << c.pattern;
        if (c.expected.empty()) {
            EXPECT_EQ(error, ERROR_FILE_NOT_FOUND) << c.pattern;
        }
    }
}

TEST_F(FindTest, EntriesCarryAttributesSizesAndShortNames) {
    write("Long File Name.text", "12345");
    ASSERT_TRUE(SetFileAttributesA(suite("a").c_str(), FILE_ATTRIBUTE_SYSTEM));
    std::filesystem::create_symlink(native("a"), native("to-a"));  // what it leads to, marked as a link
    const struct {
        const char* name;
        DWORD attributes;
        DWORD size;
        const char* shortName;
    } cases[] = {
        {".hidden", FILE_ATTRIBUTE_HIDDEN, 1, "HIDDEN~1"},
        {"sub", FILE_ATTRIBUTE_DIRECTORY, 0, ""},
        {"a", FILE_ATTRIBUTE_SYSTEM, 1, ""},
        {"Long File Name.text", FILE_ATTRIBUTE_NORMAL, 5, "LONGFI~1.TEX"},
        {"to-a", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT, 1, ""},
    };
    for (const auto& c : cases) {
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(suite(c.name).c_str(), &data);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << c.name;
        EXPECT_STREQ(data.cFileName, c.name);
        EXPECT_EQ(data.dwFileAttributes, c.attributes) << c.name;
        EXPECT_EQ(data.nFileSizeLow, c.size) << c.name;
        EXPECT_STREQ(data.cAlternateFileName, c.shortName);
        FindClose(search);
    }
}

TEST_F(FindTest, ShortNamesInAPatternFindTheirFile) {
    EXPECT_EQ(find(suite("ARCHIV~1.GZ")), Names{"archive.tar.gz"});
    EXPECT_EQ(find(suite("archiv~1.*")), Names{"archive.tar.gz"});
}

TEST_F(FindTest, AFolderPathWithAFinalSeparatorFindsTheFolder) {
    EXPECT_EQ(find(suite("sub") + "\\"), Names{"sub"});
    DWORD error = 0;
    EXPECT_EQ(find(suite("a.txt") + "\\", &error), Names{});
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

TEST_F(FindTest, DriveRootsListNoDotEntries) {
    for (const char* root : {"Z:\\*", "C:\\*"}) {
        const Names names = find(root);
        EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0) << root;
        EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0) << root;
    }
    EXPECT_NE(find("Z:\\*").size(), 0u);
}

TEST_F(FindTest, ErrorsFollowWin32) {
    const struct {
        std::string pattern;
        DWORD error;
    } cases[] = {
        {suite("missing\\*"), ERROR_PATH_NOT_FOUND},
        {suite("a.txt\\*"), ERROR_PATH_NOT_FOUND},
        {suite("nothing*.here"), ERROR_FILE_NOT_FOUND},
        {suite("s*b\\*"), ERROR_PATH_NOT_FOUND},  // a folder part is a literal name
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(find(c.pattern, &error), Names{}) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
    EXPECT_EQ(FindFirstFileA(suite("*").c_str(), nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FindTest, ASearchIsASnapshotAndEndsWithNoMoreFiles) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(suite("a.*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::filesystem::remove(native("a.txt"));  // already taken: still reported
    ASSERT_TRUE(FindNextFileA(search, &data));
    EXPECT_STREQ(data.cFileName, "a.txt");
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// FindFirstFileExA with one level and operation, for find().
auto findEx(FINDEX_INFO_LEVELS level, FINDEX_SEARCH_OPS operation) {
    return [=](LPCSTR pattern, LPWIN32_FIND_DATAA data) {
        return FindFirstFileExA(pattern, level, data, operation, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    };
}

TEST_F(FindTest, FolderSearchesGiveFoldersAndLinksToFoldersOnly) {
    std::filesystem::create_directory(native("zed.dir"));
    std::filesystem::create_directory_symlink(native("sub"), native("to-sub"));
    std::filesystem::create_symlink(native("a.txt"), native("to-file"));
    std::filesystem::create_symlink(native("gone"), native("dangling"));
    const auto folders = findEx(FindExInfoStandard, FindExSearchLimitToDirectories);
    EXPECT_EQ(find(suite("*"), nullptr, folders), (Names{".", "..", "sub", "to-sub", "zed.dir"}));
    EXPECT_EQ(find(suite("*.dir"), nullptr, folders), Names{"zed.dir"});
    DWORD error = 0;
    EXPECT_EQ(find(suite("a*"), &error, folders), Names{});
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileExA(suite("to-sub").c_str(), FindExInfoBasic, &data,
                                     FindExSearchLimitToDirectories, nullptr, 0);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(data.dwReserved0, IO_REPARSE_TAG_SYMLINK);
    FindClose(search);
}

TEST_F(FindTest, ABasicSearchLeavesShortNamesOutButStillMatchesThem) {
    const auto basic = findEx(FindExInfoBasic, FindExSearchNameMatch);
    EXPECT_EQ(find(suite("ARCHIV~1.GZ"), nullptr, basic), Names{"archive.tar.gz"});
    EXPECT_EQ(find(suite("*.txt"), nullptr, basic), (Names{"a.txt", "B.TXT"}));
    WIN32_FIND_DATAA data;
    HANDLE search =
        FindFirstFileExA(suite(".hidden").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cAlternateFileName, "");
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    FindClose(search);
}

TEST_F(FindTest, ExtendedSearchesRefuseWhatTheyDoNotOffer) {
    int filter = 0;
    const struct {
        FINDEX_INFO_LEVELS level;
        FINDEX_SEARCH_OPS operation;
        void* filter;
        DWORD flags;
    } cases[] = {
        {FindExInfoMaxInfoLevel, FindExSearchNameMatch, nullptr, 0},
        {FindExInfoStandard, FindExSearchLimitToDevices, nullptr, 0},
        {FindExInfoStandard, FindExSearchMaxSearchOp, nullptr, 0},
        {FindExInfoStandard, FindExSearchNameMatch, &filter, 0},
        {FindExInfoStandard, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_CASE_SENSITIVE},
        {FindExInfoStandard, FindExSearchNameMatch, nullptr, 0x100},
    };
    for (const auto& c : cases) {
        WIN32_FIND_DATAA data;
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(FindFirstFileExA(suite("*").c_str(), c.level, &data, c.operation, c.filter, c.flags),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

}  // namespace
