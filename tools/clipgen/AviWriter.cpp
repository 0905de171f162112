#include "AviWriter.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace clipgen {

namespace {

class Bytes {
  public:
    void u16(std::uint32_t v) {
        m_data.push_back(static_cast<std::uint8_t>(v));
        m_data.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void fourCc(const char* code) { m_data.insert(m_data.end(), code, code + 4); }
    void bytes(const std::vector<std::uint8_t>& data) {
        m_data.insert(m_data.end(), data.begin(), data.end());
    }
    // Opens a chunk and returns where its size goes.
    std::size_t open(const char* code) {
        fourCc(code);
        const std::size_t at = m_data.size();
        u32(0);
        return at;
    }
    void close(std::size_t sizeAt) {
        const auto size = static_cast<std::uint32_t>(m_data.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i) m_data[sizeAt + i] = static_cast<std::uint8_t>(size >> (8 * i));
        if (size & 1) m_data.push_back(0);
    }
    std::size_t size() const noexcept { return m_data.size(); }
    std::vector<std::uint8_t> take() { return std::move(m_data); }

  private:
    std::vector<std::uint8_t> m_data;
};

int bitCountOf(Encoding encoding) {
    return encoding == Encoding::Rgb24 ? 24 : 8;
}

std::vector<std::uint8_t> rawFrame(const Canvas& frame, Encoding encoding) {
    const int bytesPerPixel = encoding == Encoding::Rgb24 ? 3 : 1;
    const std::size_t stride =
        (static_cast<std::size_t>(frame.width() * bytesPerPixel) + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(frame.height()), 0);
    for (int row = 0; row < frame.height(); ++row) {
        const int y = frame.height() - 1 - row;  // bottom-up
        std::uint8_t* line = out.data() + stride * static_cast<std::size_t>(row);
        for (int x = 0; x < frame.width(); ++x) {
            if (bytesPerPixel == 1) {
                line[x] = frame.at(x, y);
                continue;
            }
            const std::uint32_t rgb = palette()[frame.at(x, y)];
            line[3 * x] = static_cast<std::uint8_t>(rgb);
            line[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            line[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return out;
}

void writeFormat(Bytes& out, const ClipSpec& clip, std::uint32_t imageSize) {
    const std::size_t at = out.open("strf");
    const bool indexed = clip.encoding != Encoding::Rgb24;
    out.u32(40);
    out.u32(static_cast<std::uint32_t>(clip.width));
    out.u32(static_cast<std::uint32_t>(clip.height));
    out.u16(1);
    out.u16(static_cast<std::uint32_t>(bitCountOf(clip.encoding)));
    out.u32(clip.encoding == Encoding::Rle8 ? 1 : 0);
    out.u32(imageSize);
    out.u32(0);
    out.u32(0);
    out.u32(indexed ? 256 : 0);
    out.u32(0);
    if (indexed)
        for (const std::uint32_t rgb : palette()) out.u32(rgb);  // BGRA in memory order
    out.close(at);
}

void writeHeaders(Bytes& out, const ClipSpec& clip, std::uint32_t largest) {
    const std::size_t hdrl = out.open("LIST");
    out.fourCc("hdrl");
    const std::size_t avih = out.open("avih");
    out.u32(clip.microSecPerFrame);
    out.u32(0);
    out.u32(0);
    out.u32(0x10);  // AVIF_HASINDEX
    out.u32(static_cast<std::uint32_t>(clip.frames));
    out.u32(0);
    out.u32(1);
    out.u32(largest);
    out.u32(static_cast<std::uint32_t>(clip.width));
    out.u32(static_cast<std::uint32_t>(clip.height));
    for (int i = 0; i < 4; ++i) out.u32(0);
    out.close(avih);
    const std::size_t strl = out.open("LIST");
    out.fourCc("strl");
    const std::size_t strh = out.open("strh");
    out.fourCc("vids");
    out.fourCc(clip.encoding == Encoding::Rle8 ? "RLE " : "DIB ");
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.u32(clip.microSecPerFrame);  // scale / rate = seconds per frame
    out.u32(1000000);
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(clip.frames));
    out.u32(largest);
    out.u32(0xFFFFFFFF);
    out.u32(0);
    out.u16(0);
    out.u16(0);
    out.u16(static_cast<std::uint32_t>(clip.width));
    out.u16(static_cast<std::uint32_t>(clip.height));
    out.close(strh);
    writeFormat(out, clip, largest);
    out.close(strl);
    out.close(hdrl);
}

}  // namespace

std::vector<std::uint8_t> encodeRle8(const Canvas& frame) {
    std::vector<std::uint8_t> out;
    const int width = frame.width();
    for (int row = 0; row < frame.height(); ++row) {
        const int y = frame.height() - 1 - row;
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && frame.at(x + run, y) == frame.at(x, y)) ++run;
            if (run >= 3 || x + run >= width) {
                out.push_back(static_cast<std::uint8_t>(run));
                out.push_back(frame.at(x, y));
                x += run;
                continue;
            }
            // Literal stretch up to the next run of three, in absolute mode when it is long enough.
            int end = x;
            while (end < width && end - x < 255) {
                if (end + 2 < width && frame.at(end, y) == frame.at(end + 1, y) &&
                    frame.at(end, y) == frame.at(end + 2, y))
                    break;
                ++end;
            }
            const int count = end - x;
            if (count < 3) {
                for (int i = 0; i < count; ++i) {
                    out.push_back(1);
                    out.push_back(frame.at(x + i, y));
                }
            } else {
                out.push_back(0);
                out.push_back(static_cast<std::uint8_t>(count));
                for (int i = 0; i < count; ++i) out.push_back(frame.at(x + i, y));
                if (count & 1) out.push_back(0);
            }
            x = end;
        }
        if (row + 1 < frame.height()) {
            out.push_back(0);
            out.push_back(0);
        }
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}

std::vector<std::uint8_t> writeAvi(const ClipSpec& clip, const std::vector<Canvas>& frames) {
    if (static_cast<int>(frames.size()) != clip.frames)
        throw std::logic_error("frame count of " + std::string(clip.name));
    std::vector<std::vector<std::uint8_t>> encoded;
    std::uint32_t largest = 0;
    for (const Canvas& frame : frames) {
        if (frame.width() != clip.width || frame.height() != clip.height)
            throw std::logic_error("frame size of " + std::string(clip.name));
        encoded.push_back(clip.encoding == Encoding::Rle8 ? encodeRle8(frame)
                                                          : rawFrame(frame, clip.encoding));
        largest = std::max(largest, static_cast<std::uint32_t>(encoded.back().size()));
    }
    Bytes out;
    const std::size_t riff = out.open("RIFF");
    out.fourCc("AVI ");
    writeHeaders(out, clip, largest);
    const std::size_t movi = out.open("LIST");
    const std::size_t moviStart = out.size();
    out.fourCc("movi");
    const char* frameId = clip.encoding == Encoding::Rle8 ? "00dc" : "00db";
    std::vector<std::pair<std::uint32_t, std::uint32_t>> index;  // offset from 'movi', size
    for (const auto& data : encoded) {
        index.emplace_back(static_cast<std::uint32_t>(out.size() - moviStart),
                           static_cast<std::uint32_t>(data.size()));
        const std::size_t chunk = out.open(frameId);
        out.bytes(data);
        out.close(chunk);
    }
    out.close(movi);
    const std::size_t idx1 = out.open("idx1");
    for (const auto& [offset, size] : index) {
        out.fourCc(frameId);
        out.u32(0x10);  // AVIIF_KEYFRAME: every frame is complete
        out.u32(offset);
        out.u32(size);
    }
    out.close(idx1);
    out.close(riff);
    return out.take();
}

}  // namespace clipgen
