// CreateFileA dispositions, read-only files, folders and special files, bad input and bad handles.
#include <sys/stat.h>
#include <unistd.h>

#include "FileTestSupport.h"
#include "platform/attributes.h"
#include "platform/entry.h"
#include "platform/fileinformation.h"
#include "platform/fileops.h"
#include "platform/find.h"
#include "platform/paths.h"

namespace {

using CreateFileTest = FileTest;

TEST_F(CreateFileTest, DispositionsFollowWin32) {
    const struct {
        DWORD disposition;
        bool exists;
        DWORD error;  // last error after the call (ERROR_ALREADY_EXISTS on some successes)
        bool opens;
        const char* content;  // the file's content afterwards; nullptr when it must not exist
    } cases[] = {
        {CREATE_NEW, false, ERROR_SUCCESS, true, ""},
        {CREATE_NEW, true, ERROR_FILE_EXISTS, false, "old"},
        {CREATE_ALWAYS, false, ERROR_SUCCESS, true, ""},
        {CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, true, ""},
        {OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, false, nullptr},
        {OPEN_EXISTING, true, ERROR_SUCCESS, true, "old"},
        {OPEN_ALWAYS, false, ERROR_SUCCESS, true, ""},
        {OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, true, "old"},
        {TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, false, nullptr},
        {TRUNCATE_EXISTING, true, ERROR_SUCCESS, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "disposition " << c.disposition << (c.exists ? " existing" : " missing"));
        std::filesystem::remove(native("f"));
        if (c.exists) write("f", "old");
        SetLastError(12345);
        Handle h(CreateFileA(suite("f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition, 0,
                             nullptr));
        EXPECT_EQ(h.valid(), c.opens);
        EXPECT_EQ(GetLastError(), c.error);
        h.close();
        EXPECT_EQ(exists("f"), c.content != nullptr);
        if (c.content) {
            EXPECT_EQ(read("f"), c.content);
        }
    }
}

TEST_F(CreateFileTest, AMissingFolderIsPathNotFound) {
    EXPECT_EQ(tryOpen(suite("no\\f"), GENERIC_READ, 0), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(tryOpen(suite("no\\f"), GENERIC_WRITE, 0, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND);
}

TEST_F(CreateFileTest, ReadOnlyFilesRefuseChangesEvenForRoot) {
    write("ro", "keep");
    ASSERT_EQ(chmod(native("ro").c_str(), 0444), 0);
    const struct {
        DWORD access, disposition, flags, error;
    } cases[] = {
        {GENERIC_READ, OPEN_EXISTING, 0, ERROR_SUCCESS},
        {GENERIC_WRITE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0, ERROR_ACCESS_DENIED},
        {GENERIC_READ, CREATE_ALWAYS, 0, ERROR_ACCESS_DENIED},
        {GENERIC_WRITE, TRUNCATE_EXISTING, 0, ERROR_ACCESS_DENIED},
        {GENERIC_READ, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, ERROR_ACCESS_DENIED},
        {DELETE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tryOpen(suite("ro"), c.access, 0, c.disposition, c.flags), c.error)
            << "access " << std::hex << c.access << " disposition " << c.disposition;
    EXPECT_FALSE(DeleteFileA(suite("ro").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read("ro"), "keep");
}

TEST_F(CreateFileTest, ANewReadOnlyFileIsStillWritableThroughItsCreatingHandle) {
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY,
                         nullptr));
    ASSERT_TRUE(h.valid());
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h.get(), "x", 1, &written, nullptr));
    h.close();
    EXPECT_EQ(read("f"), "x");
    EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_READONLY);
}

TEST_F(CreateFileTest, CreateAlwaysReplacesTheAttributes) {
    write("f", "old");
    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_EQ(tryOpen(suite("f"), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN), ERROR_SUCCESS);
    EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(CreateFileTest, FoldersOpenOnlyWithBackupSemantics) {
    std::filesystem::create_directory(native("d"));
    EXPECT_EQ(tryOpen(suite("d"), GENERIC_READ, FILE_SHARE_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tryOpen(suite("d"), GENERIC_WRITE, FILE_SHARE_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tryOpen(suite("d"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS),
              ERROR_SUCCESS);
}

TEST_F(CreateFileTest, PipesAndDevicesAreRefusedWithoutBlocking) {
    ASSERT_EQ(mkfifo(native("pipe").c_str(), 0600), 0);
    EXPECT_EQ(tryOpen(suite("pipe"), GENERIC_READ, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tryOpen(suite("pipe"), GENERIC_WRITE, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tryOpen("/dev/null", GENERIC_WRITE, 0), ERROR_ACCESS_DENIED);
}

// What the probe says of files it cannot open, checked against the open itself.
TEST_F(CreateFileTest, AProbeRefusesWhatTheOpenRefusesWithTheSameError) {
    std::filesystem::create_directory(native("d"));
    ASSERT_EQ(mkfifo(native("pipe").c_str(), 0600), 0);
    write("ro", "data");
    std::filesystem::permissions(native("ro"), std::filesystem::perms::owner_read);
    write("doomed", "data");
    Handle doomed(CreateFileA(suite("doomed").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    Handle keeper(CreateFileA(suite("doomed").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(doomed.valid() && keeper.valid());
    doomed.close();  // delete pending until the keeper closes
    const struct {
        std::string path;
        DWORD access, flags, expected;
    } cases[] = {
        {suite("missing"), GENERIC_READ, 0, ERROR_FILE_NOT_FOUND},
        {suite("nofolder") + "\\f", GENERIC_READ, 0, ERROR_PATH_NOT_FOUND},
        {suite("d"), GENERIC_READ, 0, ERROR_ACCESS_DENIED},
        {suite("d"), GENERIC_READ, FILE_FLAG_BACKUP_SEMANTICS, ERROR_SUCCESS},
        {suite("pipe"), GENERIC_READ, 0, ERROR_ACCESS_DENIED},
        {suite("ro"), GENERIC_READ, 0, ERROR_SUCCESS},
        {suite("ro"), GENERIC_WRITE, 0, ERROR_ACCESS_DENIED},
        {suite("doomed"), GENERIC_READ, 0, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        constexpr DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        EXPECT_EQ(tryOpen(c.path, c.access, kAll, OPEN_EXISTING, c.flags), c.expected) << c.path;
        EXPECT_EQ(velmora::canOpenExisting(c.path.c_str(), c.access, kAll, c.flags),
                  c.expected == ERROR_SUCCESS)
            << c.path;
        EXPECT_EQ(GetLastError(), c.expected) << c.path;
    }
    EXPECT_FALSE(velmora::canOpenExisting(nullptr, GENERIC_READ, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(CreateFileTest, BadInputGivesWin32Errors) {
    const std::string longName(256, 'n');
    const struct {
        const char* label;
        std::string path;
        DWORD access, disposition, error;
    } cases[] = {
        {"empty", "", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {"long name", suite(longName), GENERIC_WRITE, CREATE_ALWAYS, ERROR_FILENAME_EXCED_RANGE},
        {"network", "\\\\server\\share\\f", GENERIC_READ, OPEN_EXISTING, ERROR_BAD_NETPATH},
        {"no drive", "Q:\\f", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {"disposition 0", suite("f"), GENERIC_READ, 0, ERROR_INVALID_PARAMETER},
        {"disposition 6", suite("f"), GENERIC_READ, 6, ERROR_INVALID_PARAMETER},
        {"truncate read-only access", suite("f"), GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) EXPECT_EQ(tryOpen(c.path, c.access, 0, c.disposition), c.error) << c.label;
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(exists("f"));
}

// Every name Linux allows but '\\' is a name here, taken literally: created, found and read as itself, and
// a wildcard in it never stands for another file.
TEST_F(CreateFileTest, NamesWithWin32sForbiddenCharactersAreTakenLiterally) {
    write("qa.bin", "the other file");
    const std::string names[] = {"q?.bin", "st*r.bin",    "a\"b",      "a<b>",          "pi|pe",
                                 "co:lon", "line\nbreak", "tab\there", "-leading dash", "x\x01y"};
    for (const std::string& name : names) {
        const HANDLE created =
            CreateFileA(suite(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(created, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(created, name.data(), static_cast<DWORD>(name.size()), &written, nullptr));
        CloseHandle(created);
        EXPECT_EQ(read(name), name);
        EXPECT_NE(GetFileAttributesA(suite(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(tryOpen(suite(name), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), ERROR_SUCCESS) << name;
    }
    EXPECT_EQ(read("qa.bin"), "the other file");
    EXPECT_EQ(GetFileAttributesA(suite("q*.none").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A handle's deletion set and taken back: the disposition that the wipe and the front end rely on.
TEST_F(CreateFileTest, DispositionDeletesAtCloseOrTakesDeleteOnCloseBack) {
    const auto open = [&](const char* name, DWORD access, DWORD flags) {
        write(name, "data");
        return CreateFileA(suite(name).c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags,
                           nullptr);
    };
    FILE_DISPOSITION_INFO remove{TRUE};
    FILE_DISPOSITION_INFO_EX keep{FILE_DISPOSITION_FLAG_DO_NOT_DELETE | FILE_DISPOSITION_FLAG_ON_CLOSE};

    HANDLE h = open("removed", GENERIC_READ | DELETE, 0);
    ASSERT_TRUE(SetFileInformationByHandle(h, FileDispositionInfo, &remove, sizeof remove));
    EXPECT_TRUE(exists("removed"));  // until the last handle closes
    CloseHandle(h);
    EXPECT_FALSE(exists("removed"));

    h = open("kept", GENERIC_WRITE, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_TRUE(SetFileInformationByHandle(h, FileDispositionInfoEx, &keep, sizeof keep));
    CloseHandle(h);
    EXPECT_EQ(read("kept"), "data");

    h = open("no delete access", GENERIC_READ, 0);
    EXPECT_FALSE(SetFileInformationByHandle(h, FileDispositionInfo, &remove, sizeof remove));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetFileInformationByHandle(h, FileDispositionInfoEx, &remove, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CloseHandle(h);
    EXPECT_TRUE(exists("no delete access"));
}

// A '\\' in a Linux name cannot be carried by a suite path: the platform says so for the name as typed.
TEST_F(CreateFileTest, ABackslashNameIsToldApart) {
    write("back\\slash", "odd");
    write("plain", "plain");
    EXPECT_TRUE(velmora::namesBackslashEntry(native("back\\slash")));
    EXPECT_FALSE(velmora::namesBackslashEntry(native("plain")));
    EXPECT_FALSE(velmora::namesBackslashEntry(suite("plain")));  // a suite path naming an existing file
    EXPECT_FALSE(velmora::namesBackslashEntry(native("missing\\name")));
}

TEST_F(CreateFileTest, ClosedAndMadeUpHandlesAreInvalidNeverFatal) {
    write("f", "data");
    HANDLE closed = CreateFileA(suite("f").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    const HANDLE bogus[] = {closed,
                            nullptr,
                            INVALID_HANDLE_VALUE,
                            reinterpret_cast<HANDLE>(3),
                            reinterpret_cast<HANDLE>(0x12345678),
                            reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2))};
    char buffer[4];
    DWORD count = 7;
    for (HANDLE h : bogus) {
        SetLastError(0);
        EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(WriteFile(h, buffer, 1, &count, nullptr));
        EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(FlushFileBuffers(h));
        EXPECT_FALSE(GetFileTime(h, nullptr, nullptr, nullptr));
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(h));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST_F(CreateFileTest, FindCloseTakesOnlySearchHandles) {
    write("f", "data");
    Handle file(CreateFileA(suite("f").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(FindClose(file.get()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    char buffer[4];
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(file.get(), buffer, 4, &count, nullptr));  // still open

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(suite("*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(search, buffer, 4, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(CloseHandle(search));
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(CreateFileTest, HandleValuesFitInThirtyTwoBitsAndAreNotReusedAtOnce) {
    write("f", "data");
    HANDLE first =
        CreateFileA(suite("f").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(CloseHandle(first));
    Handle second(
        CreateFileA(suite("f").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_NE(second.get(), first);
    const auto value = reinterpret_cast<std::uintptr_t>(second.get());
    EXPECT_GT(value, 0u);
    EXPECT_LT(value, 0x7FFFFFFFu);
}

}  // namespace
