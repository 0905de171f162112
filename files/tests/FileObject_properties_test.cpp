// Names, existence, attributes, dates and checksums of FileObject on real files.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "DiskwareTestSupport.h"
#include "files/FileObject.h"
#include "platform/attributes.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/messagebox.h"
#include "runtime/datetime.h"

using namespace velmora;
using namespace velmora::test;

namespace {

class FileObjectProperties : public DiskwareTest {
  protected:
    Ref<FileObject> fileFor(const std::string& name) {
        auto file = makeObject<FileObject>();
        file->setFileName(suite(name));
        return file;
    }
};

struct NameCase {
    std::u16string path, title, extension, directory, parent, drive;
};

TEST(FileObjectNames, DerivedFromThePathTextAlone) {
    const NameCase cases[] = {
        {u"C:\\a\\b\\f.TXT", u"f.TXT", u"txt", u"C:\\a\\b\\", u"\\b\\", u"C:"},
        {u"f.txt", u"f.txt", u"txt", u"", u"", u"NO_DRIVE"},
        {u"C:\\my.dir\\file", u"file", u"dir\\file", u"C:\\my.dir\\", u"\\my.dir\\", u"C:"},
        {u"C:\\f", u"f", u"", u"C:\\", u"", u"C:"},
        {u"C:\\a\\file.", u"file.", u"", u"C:\\a\\", u"\\a\\", u"C:"},
        {u"\\\\srv\\share\\f", u"f", u"", u"\\\\srv\\share\\", u"\\share\\", u"OTH_COMPUTER"},
        {u"/home/me/Notes.Md", u"Notes.Md", u"md", u"/home/me/", u"/me/", u"NO_DRIVE"},
        {u"docs/a\\b.c", u"b.c", u"c", u"docs/a\\", u"/a\\", u"NO_DRIVE"},
        {u"", u"", u"", u"", u"", u"NO_DRIVE"},
    };
    for (const NameCase& c : cases) {
        auto file = makeObject<FileObject>();
        file->setFileName(c.path);
        const std::string label = toUtf8(c.path);
        EXPECT_EQ(file->Title(), c.title) << label;
        EXPECT_EQ(file->Extension(), c.extension) << label;
        EXPECT_EQ(file->Directory(), c.directory) << label;
        EXPECT_EQ(file->ParentDirectory(), c.parent) << label;
        EXPECT_EQ(file->Drive(), c.drive) << label;
    }
}

TEST(FileObjectNames, ComputerNameOfDriveUncAndOtherPaths) {
    auto file = makeObject<FileObject>();
    file->setFileName(u"\\\\srv\\share\\f");
    EXPECT_EQ(file->ComputerName(), u"srv");
    file->setFileName(u"\\\\lonely");
    EXPECT_EQ(file->ComputerName(), u"lonely");
    file->setFileName(u"f.txt");
    EXPECT_EQ(file->ComputerName(), u"NO_DRIVE");
    file->setFileName(u"C:\\x");
    EXPECT_FALSE(file->ComputerName().empty());
    EXPECT_NE(file->ComputerName(), u"NO_DRIVE");
}

TEST_F(FileObjectProperties, ExistsOnlyForFilesThatOpenForReading) {
    write("here.txt", "x");
    std::filesystem::create_directories(native("folder"));
    EXPECT_TRUE(fileFor("here.txt")->Exists());
    EXPECT_FALSE(fileFor("missing.txt")->Exists());
    EXPECT_FALSE(fileFor("folder")->Exists());
    EXPECT_FALSE(makeObject<FileObject>()->Exists());

    const HANDLE locked =
        CreateFileA(native("here.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fileFor("here.txt")->Exists());
    CloseHandle(locked);
    const HANDLE shared = CreateFileA(native("here.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(fileFor("here.txt")->Exists());
    CloseHandle(shared);
}

TEST_F(FileObjectProperties, SizeIsTheCurrentLengthOrZero) {
    write("five", "12345");
    EXPECT_EQ(fileFor("five")->FileSize(), 5);
    EXPECT_EQ(fileFor("missing")->FileSize(), 0);
    EXPECT_EQ(makeObject<FileObject>()->FileSize(), 0);
}

TEST_F(FileObjectProperties, AttributeFlagsAreReadOnlyFromExactValuesAndNeverCleared) {
    write("h", "x");
    ASSERT_TRUE(SetFileAttributesA(native("h").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(fileFor("h")->Hidden());

    // Hidden with archive (0x22) is not exactly 2: a new object keeps its cached false.
    ASSERT_TRUE(SetFileAttributesA(native("h").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(fileFor("h")->Hidden());

    // Reading never clears: an object that saw the flag keeps it after the file lost it.
    ASSERT_TRUE(SetFileAttributesA(native("h").c_str(), FILE_ATTRIBUTE_HIDDEN));
    auto seen = fileFor("h");
    EXPECT_TRUE(seen->Hidden());
    ASSERT_TRUE(SetFileAttributesA(native("h").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(seen->Hidden());
}

TEST_F(FileObjectProperties, WritingOneFlagReplacesAllAttributesWithTheCachedPair) {
    write("h", "x");
    ASSERT_TRUE(SetFileAttributesA(native("h").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    auto file = fileFor("h");
    file->setReadOnly(true);  // the cached hidden flag is false, so hidden and archive go
    EXPECT_EQ(GetFileAttributesA(native("h").c_str()), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(file->ReadOnly());
    file->setReadOnly(false);
    EXPECT_EQ(GetFileAttributesA(native("h").c_str()), FILE_ATTRIBUTE_NORMAL);
    file->setHidden(true);
    EXPECT_EQ(GetFileAttributesA(native("h").c_str()), FILE_ATTRIBUTE_HIDDEN);

    auto missing = fileFor("missing");  // only the flag changes
    missing->setHidden(true);
    EXPECT_TRUE(missing->Hidden());
    EXPECT_FALSE(exists("missing"));
}

FILETIME fileTimeOfParts(int y, int mo, int d, int h, int mi, int s) {
    const SYSTEMTIME st{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

FILETIME storedTimes(const std::string& path, int which) {
    FILETIME t[3] = {};
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, &t[0], &t[1], &t[2]);
    CloseHandle(file);
    return t[which];
}

bool sameTime(FILETIME a, FILETIME b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TEST_F(FileObjectProperties, WritingADateMovesAllThreeTimesToMidnight) {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    write("d", "x");
    const HANDLE file =
        CreateFileA(native("d").c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME created = fileTimeOfParts(2020, 1, 2, 10, 0, 0);
    const FILETIME accessed = fileTimeOfParts(2021, 6, 7, 23, 30, 0);  // 01:30 on 8 June in Berlin
    ASSERT_TRUE(SetFileTime(file, &created, &accessed, &created));
    CloseHandle(file);

    auto object = fileFor("d");
    EXPECT_EQ(splitDate(object->DateCreated()), (DateParts{2020, 1, 2, 11, 0, 0}));  // local time
    EXPECT_EQ(splitDate(object->DateAccessed()), (DateParts{2021, 6, 8, 1, 30, 0}));
    object->setDateModified(makeDate({2024, 3, 5, 14, 30, 0}));
    EXPECT_TRUE(sameTime(storedTimes(native("d"), 2), fileTimeOfParts(2024, 3, 5, 0, 0, 0)));
    EXPECT_TRUE(sameTime(storedTimes(native("d"), 0), fileTimeOfParts(2020, 1, 2, 0, 0, 0)));
    EXPECT_TRUE(sameTime(storedTimes(native("d"), 1), fileTimeOfParts(2021, 6, 8, 0, 0, 0)));
    unsetenv("TZ");
    tzset();
}

TEST_F(FileObjectProperties, DateThatCannotBeWrittenLeavesTheFileAsItWas) {
    write("ro", "x");
    const FILETIME before = storedTimes(native("ro"), 2);
    auto object = fileFor("ro");
    {
        MessageBoxRecorder boxes;
        object->setDateModified(makeDate({1500, 1, 1, 0, 0, 0}));  // before 1601: no file time
        EXPECT_TRUE(boxes.messages().empty());
    }
    ASSERT_TRUE(SetFileAttributesA(native("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    MessageBoxRecorder boxes;
    object->setDateModified(makeDate({2024, 3, 5, 0, 0, 0}));
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].text, "Can not change file date");
    EXPECT_EQ(boxes.messages()[0].type, MB_OK);
    EXPECT_TRUE(sameTime(storedTimes(native("ro"), 2), before));
    fileFor("missing")->setDateModified(makeDate({2024, 3, 5, 0, 0, 0}));  // nothing, no message
    EXPECT_EQ(boxes.messages().size(), 1u);
}

TEST_F(FileObjectProperties, DatesOfAnUnopenableFileAreTheZeroFileTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(Year(fileFor("missing")->DateModified()), 1601);
    EXPECT_EQ(Year(fileFor("missing")->LastAccessed()), 1601);
    unsetenv("TZ");
    tzset();
}

TEST_F(FileObjectProperties, LastAccessedIsUtcAndTimeFileToDateConvertsNothing) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    write("a", "x");
    const FILETIME accessed = fileTimeOfParts(2022, 2, 3, 4, 5, 6);
    const HANDLE file =
        CreateFileA(native("a").c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, &accessed, nullptr);
    CloseHandle(file);
    auto object = fileFor("a");
    EXPECT_EQ(splitDate(object->LastAccessed()), (DateParts{2022, 2, 3, 4, 5, 6}));
    EXPECT_EQ(splitDate(object->DateAccessed()), (DateParts{2022, 2, 2, 23, 5, 6}));
    FILETIME withMillis = accessed;
    withMillis.dwLowDateTime += 9990000;  // 999 ms
    EXPECT_EQ(splitDate(object->timeFileToDate(withMillis)), (DateParts{2022, 2, 3, 4, 5, 6}));
    Variant notARecord(u"text");
    EXPECT_EQ(errorNumberOf([&] { object->timeFileToDateOf(notARecord); }), err::TypeMismatch);
    unsetenv("TZ");
    tzset();
}

struct ChecksumCase {
    std::string content;
    std::uint32_t crc, adler;
};

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7) % 251);
    return bytes;
}

TEST_F(FileObjectProperties, ChecksumsMatchTheStandardValues) {
    const ChecksumCase cases[] = {
        {"abc", 0x352441C2u, 0x024D0127u},
        {std::string(1, '\0'), 0xD202EF8Du, 0x00010001u},
        {"123456789", 0xCBF43926u, 0x091E01DEu},
        {pattern(3000000), 0x9C8FA6BAu, 0x828A56BAu},  // many chunks, an uneven last one
    };
    for (const ChecksumCase& c : cases) {
        write("sum", c.content);
        auto file = fileFor("sum");
        EXPECT_EQ(static_cast<std::uint32_t>(file->CRC32()), c.crc) << c.content.size();
        EXPECT_EQ(static_cast<std::uint32_t>(file->CRCAlder32()), c.adler) << c.content.size();
    }
    EXPECT_EQ(fileFor("abc")->CRC32(), 0);  // missing
    write("empty", "");
    EXPECT_EQ(fileFor("empty")->CRC32(), 0);
    EXPECT_EQ(fileFor("empty")->CRCAlder32(), 0);
    write("abc", "abc");
    EXPECT_EQ(fileFor("abc")->CRC32(), 891568578);
}

TEST_F(FileObjectProperties, LongShortAndTypeNames) {
    write("Long Name File.text", "x");
    auto file = fileFor("Long Name File.text");
    EXPECT_EQ(file->LongName(), suite("Long Name File.text"));
    EXPECT_TRUE(file->ShortName().ends_with(u"\\LONGNA~1.TEX")) << toUtf8(file->ShortName());
    EXPECT_EQ(fileFor("missing")->LongName(), u"");
    EXPECT_EQ(fileFor("missing")->ShortName(), u"");
    auto unknown = makeObject<FileObject>();
    unknown->setFileName(u"C:\\nowhere\\x.qqzx");  // works from the extension alone
    EXPECT_EQ(unknown->FileType(), u"QQZX File");
    EXPECT_TRUE(file->FixedDisk());
}

}  // namespace
