#include "checksums.h"

#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace velmora {
namespace {

// zlib takes lengths as uInt; feed larger pieces in slices it can take (the values chain).
constexpr std::size_t kSlice = std::size_t{1} << 30;
// Small enough that the bytes a read copies are still in the processor's cache when the sum reads them.
constexpr std::size_t kReadPiece = 256 * 1024;

struct PartSum {
    std::uint32_t value;
    std::uint64_t length;  // bytes read
    bool complete;
};

PartSum sumPart(bool adler, unsigned part, std::uint64_t offset, std::uint64_t length, const ReadAt& readAt) {
    PartSum sum{adler ? 1u : 0u, 0, false};
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min<std::uint64_t>(length, kReadPiece)));
    while (sum.length < length) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - sum.length, kReadPiece));
        const std::size_t got = readAt(part, offset + sum.length, std::span(piece.data(), want));
        if (got == 0) return sum;
        const std::span<const std::uint8_t> bytes(piece.data(), got);
        sum.value = adler ? adler32Update(sum.value, bytes) : crc32Update(sum.value, bytes);
        sum.length += got;
        if (got < want) return sum;
    }
    sum.complete = true;
    return sum;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) noexcept {
    uLong value = crc;
    for (std::size_t at = 0; at < bytes.size(); at += kSlice)
        value = ::crc32(value, bytes.data() + at, static_cast<uInt>(std::min(kSlice, bytes.size() - at)));
    return static_cast<std::uint32_t>(value);
}

std::uint32_t adler32Update(std::uint32_t adler, std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.empty()) return 1;
    uLong value = adler;
    for (std::size_t at = 0; at < bytes.size(); at += kSlice)
        value = ::adler32(value, bytes.data() + at, static_cast<uInt>(std::min(kSlice, bytes.size() - at)));
    return static_cast<std::uint32_t>(value);
}

std::uint32_t checksumOf(bool adler, std::uint64_t length, unsigned parts, const ReadAt& readAt) {
    parts = static_cast<unsigned>(std::clamp<std::uint64_t>(parts, 1, std::max<std::uint64_t>(length, 1)));
    std::vector<PartSum> sums(parts);
    const auto range = [&](unsigned part) { return length / parts * part; };  // where each part starts
    const auto run = [&](unsigned part) {
        const std::uint64_t end = part + 1 == parts ? length : range(part + 1);
        sums[part] = sumPart(adler, part, range(part), end - range(part), readAt);
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned part = 1; part < parts; ++part) {
            try {
                helpers.emplace_back(run, part);
            } catch (const std::system_error&) {
                run(part);  // no thread to be had: this one sums that part too
            }
        }
        run(0);
    }
    std::uint32_t value = sums[0].value;
    for (unsigned part = 1; part < parts && sums[part - 1].complete; ++part) {
        if (sums[part].length == 0) break;
        const auto tail = static_cast<z_off_t>(sums[part].length);
        value = adler ? static_cast<std::uint32_t>(::adler32_combine(value, sums[part].value, tail))
                      : static_cast<std::uint32_t>(::crc32_combine(value, sums[part].value, tail));
    }
    return value;
}

}  // namespace velmora
