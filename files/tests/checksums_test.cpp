// Checksums taken in parts on several threads: the value of the whole, whatever the split, and where the
// data ends early.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "checksums.h"

namespace velmora {
namespace {

std::vector<std::uint8_t> noise(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = 2463534242u;
    for (auto& b : bytes) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

// A reader over `data` that has only its first `available` bytes.
ReadAt readerOf(const std::vector<std::uint8_t>& data, std::size_t available) {
    return [&data, available](unsigned, std::uint64_t offset, std::span<std::uint8_t> into) -> std::size_t {
        if (offset >= available) return 0;
        const std::size_t n = std::min<std::size_t>(into.size(), available - offset);
        std::memcpy(into.data(), data.data() + offset, n);
        return n;
    };
}

std::uint32_t zlibValue(bool adler, const std::vector<std::uint8_t>& data, std::size_t length) {
    return adler ? static_cast<std::uint32_t>(::adler32(1, data.data(), static_cast<uInt>(length)))
                 : static_cast<std::uint32_t>(::crc32(0, data.data(), static_cast<uInt>(length)));
}

TEST(Checksums, PartsJoinIntoTheValueOfTheWhole) {
    // Sizes around the read piece (256 KiB) and parts that leave an uneven last one, or more parts than
    // bytes.
    const std::vector<std::uint8_t> data = noise(3 * 262144 + 777);
    for (const std::size_t length : {std::size_t{1}, std::size_t{3}, std::size_t{262144}, data.size()})
        for (const unsigned parts : {0u, 1u, 2u, 3u, 4u, 7u})
            for (const bool adler : {false, true})
                EXPECT_EQ(checksumOf(adler, length, parts, readerOf(data, length)),
                          zlibValue(adler, data, length))
                    << length << " bytes in " << parts << " parts, adler " << adler;
}

TEST(Checksums, DataThatEndsEarlyGivesTheValueOfWhatWasRead) {
    const std::vector<std::uint8_t> data = noise(1000000);
    // Ends inside the first part, exactly at a part's end, inside a later part, and before the first byte.
    for (const std::size_t available : {std::size_t{100000}, std::size_t{250000}, std::size_t{600000}})
        for (const bool adler : {false, true})
            EXPECT_EQ(checksumOf(adler, data.size(), 4, readerOf(data, available)),
                      zlibValue(adler, data, available))
                << available << ", adler " << adler;
    EXPECT_EQ(checksumOf(false, data.size(), 4, readerOf(data, 0)), 0u);
    EXPECT_EQ(checksumOf(true, data.size(), 4, readerOf(data, 0)), 1u);
}

}  // namespace
}  // namespace velmora
