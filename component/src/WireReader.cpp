// Bounds-checked decoding of numbers and text.
#include "WireReader.h"

#include <bit>

namespace velmora::wire {

namespace {

// One code point of generalised UTF-8 at data[at...]; rejects truncated, overlong and out-of-range
// sequences. Surrogate code points are accepted: they carry unpaired UTF-16 units.
char32_t decodeCodePoint(std::span<const std::uint8_t> data, std::size_t& at) {
    const std::uint8_t lead = data[at++];
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        throw WireError("invalid UTF-8 lead byte");
    }
    if (data.size() - at < static_cast<std::size_t>(extra)) throw WireError("truncated UTF-8 sequence");
    for (int i = 0; i < extra; ++i) {
        const std::uint8_t next = data[at++];
        if ((next & 0xC0) != 0x80) throw WireError("invalid UTF-8 continuation byte");
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF) throw WireError("overlong or out-of-range UTF-8 sequence");
    return cp;
}

}  // namespace

std::uint64_t WireReader::little(int count) {
    if (remaining() < static_cast<std::size_t>(count)) throw WireError("frame ends inside a value");
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value |= std::uint64_t(m_data[m_at + i]) << (8 * i);
    m_at += count;
    return value;
}

float WireReader::f32() {
    return std::bit_cast<float>(u32());
}

double WireReader::f64() {
    return std::bit_cast<double>(little(8));
}

bool WireReader::flag() {
    const std::uint8_t value = u8();
    if (value > 1) throw WireError("a flag that is neither 0 nor 1");
    return value == 1;
}

std::u16string WireReader::text() {
    const std::span<const std::uint8_t> utf8 = bytes(u32());
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t cp = decodeCodePoint(utf8, at);
        if (cp < 0x10000) {
            out.push_back(static_cast<char16_t>(cp));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

std::span<const std::uint8_t> WireReader::bytes(std::size_t count) {
    if (remaining() < count) throw WireError("frame ends inside a value");
    const std::span<const std::uint8_t> out = m_data.subspan(m_at, count);
    m_at += count;
    return out;
}

void WireReader::expectEnd() const {
    if (remaining() != 0) throw WireError("bytes left over after the frame's body");
}

}  // namespace velmora::wire
