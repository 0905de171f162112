// Reading, writing, positions beyond 4 GiB, flushing and handle information.
#include <sys/stat.h>

#include <thread>

#include "FileTestSupport.h"

namespace {

using FileIoTest = FileTest;

HANDLE openRw(const std::string& path, DWORD disposition = OPEN_ALWAYS) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
}

TEST_F(FileIoTest, WrittenBytesReadBackAndTheEndReadsAsZeroBytes) {
    Handle h(openRw(suite("f")));
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h.get(), "hello", 5, &count, nullptr));
    EXPECT_EQ(count, 5u);
    ASSERT_EQ(SetFilePointer(h.get(), 1, nullptr, FILE_BEGIN), 1u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "ello");
    EXPECT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u);
}

TEST_F(FileIoTest, AccessRightsLimitTransfers) {
    write("f", "data");
    char buffer[4];
    DWORD count = 9;
    Handle reader(CreateFileA(suite("f").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(FlushFileBuffers(reader.get()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    Handle writer(CreateFileA(suite("f").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(ReadFile(writer.get(), buffer, 4, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(FlushFileBuffers(writer.get()));
    EXPECT_FALSE(ReadFile(reader.get(), nullptr, 4, &count, nullptr));  // no buffer: an error, not a crash
    EXPECT_EQ(GetLastError(), ERROR_NOACCESS);
}

TEST_F(FileIoTest, SetFilePointerMovesAsWin32) {
    write("f", std::string(100, 'x'));
    Handle h(openRw(suite("f")));
    const struct {
        LONG distance;
        DWORD method;
        DWORD result, error;
    } cases[] = {
        {10, FILE_BEGIN, 10, ERROR_SUCCESS},
        {5, FILE_CURRENT, 15, ERROR_SUCCESS},
        {-5, FILE_CURRENT, 10, ERROR_SUCCESS},
        {-1, FILE_END, 99, ERROR_SUCCESS},
        {50, FILE_END, 150, ERROR_SUCCESS},  // beyond the end is allowed
        {-1, FILE_BEGIN, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {-200, FILE_END, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {0, 7, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetFilePointer(h.get(), c.distance, nullptr, c.method), c.result)
            << c.distance << "/" << c.method;
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), 150u);  // failures left the position alone
}

TEST_F(FileIoTest, PositionsAndSizesBeyondFourGigabytesUseTheHighPart) {
    Handle h(openRw(suite("sparse")));
    LONG high = 1;
    ASSERT_EQ(SetFilePointer(h.get(), 0x10, &high, FILE_BEGIN), 0x10u);
    EXPECT_EQ(high, 1);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h.get(), "z", 1, &count, nullptr));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(h.get(), &sizeHigh), 0x11u);
    EXPECT_EQ(sizeHigh, 1u);

    // Without a high part a result beyond 4 GiB cannot be reported, so it fails.
    EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // A real position whose low part is 0xFFFFFFFF is told apart by the last error.
    high = 0;
    EXPECT_EQ(SetFilePointer(h.get(), -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(high, 0);
    high = -1;  // a negative 64-bit distance: back one byte
    EXPECT_EQ(SetFilePointer(h.get(), -1, &high, FILE_CURRENT), 0xFFFFFFFEu);
}

TEST_F(FileIoTest, OverlappedRecordsGiveThePosition) {
    write("f", "0123456789");
    Handle h(openRw(suite("f"), OPEN_EXISTING));
    OVERLAPPED at{};
    at.Offset = 6;
    char buffer[2];
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(h.get(), buffer, 2, &count, &at));
    EXPECT_EQ(std::string(buffer, count), "67");
    at.Offset = 0;
    ASSERT_TRUE(WriteFile(h.get(), "ab", 2, &count, &at));
    h.close();
    EXPECT_EQ(read("f"), "ab23456789");
}

TEST_F(FileIoTest, PositionedReadsLeaveThePointerAfterThemAndDoNotDisturbEachOther) {
    std::string content(1 << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 131 >> 8);
    write("f", content);
    Handle h(openRw(suite("f"), OPEN_EXISTING));
    OVERLAPPED at{};
    at.Offset = 1000;
    char buffer[4];
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(h.get(), buffer, 4, &count, &at));
    EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), 1004u);
    at.Offset = static_cast<DWORD>(content.size() - 2);  // the end: fewer bytes, pointer after them
    ASSERT_TRUE(ReadFile(h.get(), buffer, 4, &count, &at));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), content.size());

    // Two threads read interleaved pieces through the one handle; each gets the bytes at its own positions.
    constexpr DWORD kPiece = 4096;
    const auto readEvery = [&](DWORD first, std::string* got) {
        for (DWORD offset = first; offset < content.size(); offset += 2 * kPiece) {
            OVERLAPPED where{};
            where.Offset = offset;
            char piece[kPiece];
            DWORD n = 0;
            if (!ReadFile(h.get(), piece, kPiece, &n, &where)) return;
            got->append(piece, n);
        }
    };
    std::string even, odd;
    {
        std::jthread other(readEvery, kPiece, &odd);
        readEvery(0, &even);
    }
    std::string expectedEven, expectedOdd;
    for (std::size_t offset = 0; offset < content.size(); offset += kPiece)
        ((offset / kPiece) % 2 ? expectedOdd : expectedEven) += content.substr(offset, kPiece);
    EXPECT_TRUE(even == expectedEven);
    EXPECT_TRUE(odd == expectedOdd);
}

TEST_F(FileIoTest, WriteThroughAndNoBufferingTakeUnalignedWrites) {
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN,
                         nullptr));
    ASSERT_TRUE(h.valid());
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(h.get(), "odd", 3, &count, nullptr));
    EXPECT_EQ(count, 3u);
    h.close();
    EXPECT_EQ(read("f"), "odd");
}

TEST_F(FileIoTest, InformationByHandleDescribesTheFile) {
    write("f", "12345");
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(GetFileInformationByHandle(h.get(), &info));
    struct stat st {};
    ASSERT_EQ(stat(native("f").c_str(), &st), 0);
    EXPECT_EQ(info.nFileSizeLow, 5u);
    EXPECT_EQ(info.nFileSizeHigh, 0u);
    EXPECT_EQ(info.nNumberOfLinks, 1u);
    EXPECT_EQ(info.nFileIndexLow, static_cast<DWORD>(st.st_ino));
    EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    FILETIME write{};
    ASSERT_TRUE(GetFileTime(h.get(), nullptr, nullptr, &write));
    EXPECT_EQ(info.ftLastWriteTime.dwLowDateTime, write.dwLowDateTime);
    EXPECT_FALSE(GetFileInformationByHandle(h.get(), nullptr));
}

}  // namespace
