#include "ui/AviClip.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

std::uint32_t le32(std::span<const std::uint8_t> data, std::size_t at) noexcept {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

bool isFourCc(std::span<const std::uint8_t> data, std::size_t at, const char (&code)[5]) noexcept {
    return at + 4 <= data.size() && std::memcmp(data.data() + at, code, 4) == 0;
}

// A frame chunk of stream 0: "00db" (uncompressed) or "00dc" (compressed).
bool isFrameChunk(std::span<const std::uint8_t> data, std::size_t at) noexcept {
    return isFourCc(data, at, "00db") || isFourCc(data, at, "00dc");
}

}  // namespace

// Walks the RIFF tree once, filling the clip; any size that does not fit its container is a refusal.
class AviReader {
  public:
    AviReader(AviClip& clip, std::string& why) : m_clip(clip), m_why(why) {}

    bool read() {
        const std::span<const std::uint8_t> data = m_clip.m_data;
        if (data.size() < 12 || !isFourCc(data, 0, "RIFF") || !isFourCc(data, 8, "AVI "))
            return fail("not a RIFF AVI file");
        const std::size_t end = std::min<std::size_t>(data.size(), 8 + std::size_t{le32(data, 4)});
        if (!walk(12, end)) return false;
        if (!m_sawHeader) return fail("no video stream format");
        if (m_clip.m_frames.empty()) return fail("no frames");
        if (m_clip.m_microSecPerFrame == 0) m_clip.m_microSecPerFrame = m_streamMicroSec;
        return true;
    }

  private:
    bool fail(const char* reason) {
        m_why = reason;
        return false;
    }

    // The chunks between begin and end; LIST chunks are entered, unknown chunks skipped.
    bool walk(std::size_t begin, std::size_t end) {
        const std::span<const std::uint8_t> data = m_clip.m_data;
        for (std::size_t at = begin; at + 8 <= end;) {
            const std::size_t size = le32(data, at + 4);
            if (size > end - at - 8) return fail("chunk runs past its container");
            const std::size_t body = at + 8;
            if (isFourCc(data, at, "LIST")) {
                if (size < 4) return fail("short LIST");
                if (++m_depth > 8) return fail("lists nested too deeply");
                const bool ok = walk(body + 4, body + size);
                --m_depth;
                if (!ok) return false;
            } else if (!chunk(at, body, size)) {
                return false;
            }
            at = body + size + (size & 1);
        }
        return true;
    }

    bool chunk(std::size_t at, std::size_t body, std::size_t size) {
        const std::span<const std::uint8_t> data = m_clip.m_data;
        if (isFourCc(data, at, "avih") && size >= 40) {
            m_clip.m_microSecPerFrame = le32(data, body);
        } else if (isFourCc(data, at, "strh") && size >= 32) {
            m_videoStream = isFourCc(data, body, "vids") && !m_sawHeader;
            const std::uint32_t scale = le32(data, body + 20);
            const std::uint32_t rate = le32(data, body + 24);
            if (m_videoStream && rate != 0)
                m_streamMicroSec = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>(std::uint64_t{scale} * 1000000 / rate, 0xFFFFFFFF));
        } else if (isFourCc(data, at, "strf") && m_videoStream && !m_sawHeader) {
            return format(data.subspan(body, size));
        } else if (isFrameChunk(data, at)) {
            if (m_clip.m_frames.size() >= AviClip::kMaxFrames) return fail("too many frames");
            m_clip.m_frames.push_back({body, size});
        }
        return true;
    }

    // BITMAPINFOHEADER and, for 8 bits, its colour table.
    bool format(std::span<const std::uint8_t> info) {
        if (info.size() < 40) return fail("short stream format");
        const std::uint32_t headerSize = le32(info, 0);
        const auto width = static_cast<std::int32_t>(le32(info, 4));
        const auto height = static_cast<std::int32_t>(le32(info, 8));
        const std::uint32_t bits = le32(info, 12) >> 16;
        const std::uint32_t compression = le32(info, 16);
        std::uint32_t colours = le32(info, 32);
        if (width < 1 || width > AviClip::kMaxSide || height == 0 || height < -AviClip::kMaxSide ||
            height > AviClip::kMaxSide)
            return fail("frame size out of range");
        const bool rgb8 = bits == 8 && compression == AviClip::kBiRgb;
        const bool rle8 = bits == 8 && compression == AviClip::kBiRle8;
        const bool rgb24 = bits == 24 && compression == AviClip::kBiRgb;
        if (!rgb8 && !rle8 && !rgb24) return fail("unsupported frame format");
        if (rle8 && height < 0) return fail("top-down run-length frames");
        if (headerSize < 40 || headerSize > info.size()) return fail("bad format header size");
        m_clip.m_width = width;
        m_clip.m_height = height < 0 ? -height : height;
        m_clip.m_topDown = height < 0;
        m_clip.m_bitCount = static_cast<int>(bits);
        m_clip.m_compression = compression;
        if (bits == 8) {
            if (colours == 0 || colours > 256) colours = 256;
            const std::size_t available = (info.size() - headerSize) / 4;
            colours = static_cast<std::uint32_t>(std::min<std::size_t>(colours, available));
            for (std::uint32_t i = 0; i < colours; ++i) {
                const std::size_t at = headerSize + 4 * i;
                m_clip.m_palette.push_back(std::uint32_t{info[at + 2]} << 16 |
                                           std::uint32_t{info[at + 1]} << 8 | info[at]);
            }
        }
        m_sawHeader = true;
        return true;
    }

    AviClip& m_clip;
    std::string& m_why;
    bool m_sawHeader = false;
    bool m_videoStream = false;
    std::uint32_t m_streamMicroSec = 0;
    int m_depth = 0;
};

std::optional<AviClip> AviClip::parse(std::span<const std::uint8_t> data, std::string* why) {
    AviClip clip;
    clip.m_data.assign(data.begin(), data.end());
    std::string reason;
    if (!AviReader(clip, reason).read()) {
        if (why) *why = reason;
        return std::nullopt;
    }
    return clip;
}

std::uint32_t AviClip::paletteColour(std::uint8_t index) const noexcept {
    // Indexes past a short colour table show black, as a missing entry would.
    return 0xFF000000u | (index < m_palette.size() ? m_palette[index] : 0u);
}

bool AviClip::decodeFrame(std::size_t index, std::vector<std::uint32_t>& pixels) const {
    const std::size_t area = static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    if (index >= m_frames.size()) return false;
    if (pixels.size() != area) pixels.assign(area, 0xFF000000u);
    const Span frame = m_frames[index];
    const std::span<const std::uint8_t> bits(m_data.data() + frame.offset, frame.size);
    if (m_compression == kBiRle8) return decodeRle8(bits, pixels);
    return m_bitCount == 8 ? decodeRgb8(bits, pixels) : decodeRgb24(bits, pixels);
}

bool AviClip::decodeRgb8(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const {
    const std::size_t stride = (static_cast<std::size_t>(m_width) + 3) & ~std::size_t{3};
    for (int row = 0; row < m_height; ++row) {
        const std::size_t at = stride * static_cast<std::size_t>(row);
        if (at + static_cast<std::size_t>(m_width) > bits.size()) return false;
        std::uint32_t* out = pixels.data() + static_cast<std::size_t>(rowOf(row)) * m_width;
        for (int x = 0; x < m_width; ++x) out[x] = paletteColour(bits[at + x]);
    }
    return true;
}

bool AviClip::decodeRgb24(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const {
    const std::size_t stride = (static_cast<std::size_t>(m_width) * 3 + 3) & ~std::size_t{3};
    for (int row = 0; row < m_height; ++row) {
        const std::size_t at = stride * static_cast<std::size_t>(row);
        if (at + static_cast<std::size_t>(m_width) * 3 > bits.size()) return false;
        std::uint32_t* out = pixels.data() + static_cast<std::size_t>(rowOf(row)) * m_width;
        for (int x = 0; x < m_width; ++x) {
            const std::uint8_t* p = bits.data() + at + 3 * static_cast<std::size_t>(x);
            out[x] = 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        }
    }
    return true;
}

// BI_RLE8: runs (count, index), and escapes 0,0 end of line, 0,1 end of picture, 0,2 delta (dx, dy),
// 0,n n literal indexes padded to a word. Pixels beyond the picture are dropped, not wrapped.
bool AviClip::decodeRle8(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const {
    std::size_t at = 0;
    int x = 0;
    int row = 0;  // stored row, bottom first
    const auto put = [&](std::uint8_t index) {
        if (x < m_width && row < m_height)
            pixels[static_cast<std::size_t>(rowOf(row)) * m_width + x] = paletteColour(index);
        ++x;
    };
    while (at + 2 <= bits.size()) {
        const std::uint8_t count = bits[at];
        const std::uint8_t value = bits[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < m_width; ++i) put(value);
            continue;
        }
        switch (value) {
            case 0:
                x = 0;
                ++row;
                break;
            case 1:
                return true;
            case 2:
                if (at + 2 > bits.size()) return false;
                x = std::min(x + bits[at], m_width);
                row += bits[at + 1];
                at += 2;
                break;
            default:
                if (at + value > bits.size()) return false;
                for (int i = 0; i < value; ++i) put(bits[at + i]);
                at += value + (value & 1);
                break;
        }
        if (row >= m_height) return true;
    }
    // Without an end-of-picture mark the frame is still complete once its rows are done.
    return row >= m_height - 1;
}

}  // namespace velmora
