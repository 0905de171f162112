#include "base64.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velmora::mail {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineChars = 68;
constexpr std::size_t kLineBytes = kLineChars / 4 * 3;

// Two output characters for every 12 bits: half the lookups of one character per 6 bits.
struct PairTable {
    char pairs[4096][2];
    constexpr PairTable() : pairs() {
        for (int i = 0; i < 4096; ++i) {
            pairs[i][0] = kAlphabet[i >> 6];
            pairs[i][1] = kAlphabet[i & 63];
        }
    }
};
constexpr PairTable kPairs;

// Appends the encoding of bytes (the last group padded) at out, which has room for it.
char* encodeInto(const unsigned char* in, std::size_t size, char* out) {
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        std::memcpy(out, kPairs.pairs[group >> 12], 2);
        std::memcpy(out + 2, kPairs.pairs[group & 0xFFF], 2);
        out += 4;
    }
    if (const std::size_t rest = size - i) {
        std::uint32_t group = std::uint32_t{in[i]} << 16;
        if (rest == 2) group |= std::uint32_t{in[i + 1]} << 8;
        *out++ = kAlphabet[group >> 18];
        *out++ = kAlphabet[group >> 12 & 63];
        *out++ = rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
        *out++ = '=';
    }
    return out;
}

std::size_t encodedSize(std::size_t bytes) {
    return (bytes + 2) / 3 * 4;
}

}  // namespace

std::string base64(std::string_view bytes, int breakEvery) {
    std::string plain(encodedSize(bytes.size()), '\0');
    encodeInto(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), plain.data());
    if (breakEvery <= 0 || plain.size() <= static_cast<std::size_t>(breakEvery)) return plain;
    std::string broken;
    broken.reserve(plain.size() + plain.size() / breakEvery * 2);
    for (std::size_t at = 0; at < plain.size(); at += breakEvery) {
        if (at) broken += "\r\n";
        broken.append(plain, at, breakEvery);
    }
    return broken;
}

std::string base64Lines(std::string_view bytes) {
    const std::size_t lines = (bytes.size() + kLineBytes - 1) / kLineBytes;
    std::string text(encodedSize(bytes.size()) + lines * 2, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* out = text.data();
    for (std::size_t at = 0; at < bytes.size(); at += kLineBytes) {
        out = encodeInto(in + at, std::min(kLineBytes, bytes.size() - at), out);
        *out++ = '\r';
        *out++ = '\n';
    }
    return text;
}

}  // namespace velmora::mail
