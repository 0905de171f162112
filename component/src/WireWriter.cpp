// Encoding of numbers and text on the wire.
#include "WireWriter.h"

#include <bit>

namespace velmora::wire {

namespace {

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendCodePoint(std::vector<std::uint8_t>& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<std::uint8_t>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

void WireWriter::f32(float value) {
    u32(std::bit_cast<std::uint32_t>(value));
}

void WireWriter::f64(double value) {
    little(std::bit_cast<std::uint64_t>(value), 8);
}

void WireWriter::text(std::u16string_view value) {
    const std::size_t lengthAt = m_buffer.size();
    u32(0);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char16_t unit = value[i];
        if (isHighSurrogate(unit) && i + 1 < value.size() && isLowSurrogate(value[i + 1])) {
            const char32_t cp =
                0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(value[i + 1]) - 0xDC00);
            appendCodePoint(m_buffer, cp);
            ++i;
        } else {
            appendCodePoint(m_buffer, unit);
        }
    }
    patchU32(lengthAt, static_cast<std::uint32_t>(m_buffer.size() - lengthAt - 4));
}

void WireWriter::patchU32(std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) m_buffer[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace velmora::wire
