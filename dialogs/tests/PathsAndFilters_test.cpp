// Path splitting and the filter text: building, choosing a pair and what the platform's dialog reads.
#include <gtest/gtest.h>

#include <string>

#include "FilterList.h"
#include "PathParts.h"
#include "runtime/text.h"

using namespace velmora;
using namespace std::string_literals;

namespace {

TEST(PathParts, SplitsDriveDirectoryNameAndExtension) {
    struct Case {
        const char16_t* path;
        const char16_t* drive;
        const char16_t* directory;
        const char16_t* name;
        const char16_t* extension;
    };
    const Case cases[] = {
        {u"C:\\Temp\\report.txt", u"C:", u"\\Temp\\", u"report", u".txt"},
        {u"report.tar.gz", u"", u"", u"report.tar", u".gz"},
        {u"C:\\Temp\\.profile", u"C:", u"\\Temp\\", u"", u".profile"},
        {u"C:\\Temp\\Folder", u"C:", u"\\Temp\\Folder\\", u"", u""},  // no dot: a directory
        {u"Folder", u"", u"Folder\\", u"", u""},
        {u"C:", u"C:", u"", u"", u""},
        {u"\\dir.d\\file", u"", u"\\dir.d\\file\\", u"", u""},  // a dot before the last '\' is no extension
        {u"", u"", u"", u"", u""},
    };
    for (const Case& c : cases) {
        const PathParts parts = splitPath(c.path);
        EXPECT_EQ(parts.drive, c.drive) << toUtf8(c.path);
        EXPECT_EQ(parts.directory, c.directory) << toUtf8(c.path);
        EXPECT_EQ(parts.name, c.name) << toUtf8(c.path);
        EXPECT_EQ(parts.extension, c.extension) << toUtf8(c.path);
    }
    EXPECT_EQ(joinDirectory(u"C:\\Temp"), u"C:\\Temp\\");
    EXPECT_EQ(joinDirectory(u"C:\\Temp\\"), u"C:\\Temp\\");
    EXPECT_EQ(joinDirectory(u""), u"");
}

TEST(Filters, PairsAreChosenByTheirOneBasedIndex) {
    const std::u16string filter =
        appendFilterItem(appendFilterItem(u"", u"Text files", u"*.txt"), u"All", u"*.*");
    EXPECT_EQ(filter, u"Text files\0*.txt\0All\0*.*\0"s);
    EXPECT_EQ(filterPair(filter, 1), u"Text files\0*.txt"s);
    EXPECT_EQ(filterPair(filter, 2), u"All\0*.*"s);
    for (const std::int32_t past : {0, -1, 3, 1000}) EXPECT_EQ(filterPair(filter, past), u"") << past;
}

TEST(Filters, ThePlatformAlwaysGetsCompletePairsAndTheClosingNul) {
    struct Case {
        std::u16string filter;
        std::string platform;
    };
    const Case cases[] = {
        {u"Text\0*.txt\0"s, "Text\0*.txt\0\0"s},
        {u"Text\0*.txt"s, "Text\0*.txt\0\0"s},                   // without its final NUL
        {u"Text\0*.txt\0All\0"s, "Text\0*.txt\0\0"s},            // odd parts: the lone description goes
        {u"Text\0*.txt\0\0Hidden\0*.h\0"s, "Text\0*.txt\0\0"s},  // an empty part ends the list
        {u""s, "\0"s},
        {u"Bilder\0*.jpg;*.png\0"s, "Bilder\0*.jpg;*.png\0\0"s},
    };
    for (const Case& c : cases) EXPECT_EQ(platformFilter(c.filter), c.platform) << toUtf8(c.filter);
    EXPECT_EQ(filterPair(u"Text\0*.txt\0All\0"s, 2), u"");
}

}  // namespace
