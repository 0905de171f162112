// Writing a replacement's contents on a thread of its own: every byte arrives in order whatever the sizes
// of the writes, and a failure on that thread reaches the caller with its error code.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <numeric>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "platform/WriteBehind.h"

using velmora::ReplacementFile;
using velmora::WriteBehind;

namespace {

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Writes `contents` in pieces of the given sizes, over and over.
bool writeInPieces(WriteBehind& writer, std::string_view contents, const std::vector<std::size_t>& sizes) {
    for (std::size_t at = 0, i = 0; at < contents.size(); at += sizes[i++ % sizes.size()]) {
        const std::string_view piece = contents.substr(at, sizes[i % sizes.size()]);
        if (!writer.write(bytesOf(piece))) return false;
    }
    return true;
}

TEST_F(FileTest, WrittenBehindEveryByteArrivesInOrder) {
    const std::size_t buffer = WriteBehind::kBufferBytes;
    struct Case {
        std::size_t size;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        {0, {1}},                                     // nothing written
        {1000, {7}},                                  // within one buffer: no thread
        {buffer, {buffer}},                           // exactly one buffer
        {buffer + 1, {buffer + 1}},                   // one write across two buffers
        {3 * buffer + 12345, {65536 + 17, 1, 4096}},  // several buffers, pieces straddling them
        {5 * buffer, {3 * buffer}},                   // writes longer than both buffers
    };
    for (const Case& c : cases) {
        const std::string contents = pattern(c.size);
        ReplacementFile file;
        ASSERT_TRUE(file.open(suite("out.bin"), ReplacementFile::NewFile::Shared));
        {
            WriteBehind writer(file);
            ASSERT_TRUE(writeInPieces(writer, contents, c.pieces)) << c.size;
            ASSERT_TRUE(writer.flush()) << c.size;
        }
        ASSERT_TRUE(file.commit());
        EXPECT_TRUE(read("out.bin") == contents) << c.size;
    }
}

TEST_F(FileTest, AFailureBehindReachesTheCallerAndTheDestinationStays) {
    write("out.bin", "old");
    // The file size limit stands in for a full disk: writes past it fail with EFBIG.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 3 * WriteBehind::kBufferBytes / 2;
    ::setrlimit(RLIMIT_FSIZE, &limited);

    bool written = true, flushed = true;
    DWORD error = ERROR_SUCCESS;
    {
        ReplacementFile file;
        ASSERT_TRUE(file.open(suite("out.bin"), ReplacementFile::NewFile::Shared));
        WriteBehind writer(file);
        written = writeInPieces(writer, pattern(4 * WriteBehind::kBufferBytes), {100000});
        if (written) flushed = writer.flush();
        error = GetLastError();
        EXPECT_FALSE(writer.flush());  // the failure stays
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written && flushed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(read("out.bin"), "old");
}

}  // namespace
