// AVI clips as the animation control plays them: a RIFF 'AVI ' file with one video stream of 8-bit
// uncompressed, 8-bit run-length-encoded (BI_RLE8) or 24-bit uncompressed frames. Parsing checks every
// size against what holds it and refuses what it cannot play; decoding never reads or writes outside its
// buffers, whatever the file holds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora {

class AviClip {
  public:
    static constexpr std::uint32_t kBiRgb = 0;
    static constexpr std::uint32_t kBiRle8 = 1;
    // Bounds that keep a hostile header from asking for huge buffers.
    static constexpr int kMaxSide = 4096;
    static constexpr std::size_t kMaxFrames = 100000;

    // The clip, or nullopt with the reason in *why.
    static std::optional<AviClip> parse(std::span<const std::uint8_t> data, std::string* why = nullptr);

    int width() const noexcept { return m_width; }
    int height() const noexcept { return m_height; }
    int bitCount() const noexcept { return m_bitCount; }
    std::uint32_t compression() const noexcept { return m_compression; }
    // Microseconds per frame as the main header gives it (the stream's rate when the header says 0).
    std::uint32_t microSecPerFrame() const noexcept { return m_microSecPerFrame; }
    std::size_t frameCount() const noexcept { return m_frames.size(); }
    // 0x00RRGGBB entries of an 8-bit clip.
    const std::vector<std::uint32_t>& palette() const noexcept { return m_palette; }

    // Draws frame index over pixels (width x height, top row first, 0xFFRRGGBB). Run-length frames
    // change only what they encode, so a clip is decoded in order over the previous frame; false when the
    // frame's data is malformed or short (what was decoded up to the fault stays).
    bool decodeFrame(std::size_t index, std::vector<std::uint32_t>& pixels) const;

  private:
    struct Span {
        std::size_t offset;
        std::size_t size;
    };

    bool decodeRgb8(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const;
    bool decodeRgb24(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const;
    bool decodeRle8(std::span<const std::uint8_t> bits, std::vector<std::uint32_t>& pixels) const;
    std::uint32_t paletteColour(std::uint8_t index) const noexcept;
    // Row y of the picture as stored (bottom-up unless the header's height was negative).
    int rowOf(int storedRow) const noexcept { return m_topDown ? storedRow : m_height - 1 - storedRow; }

    friend class AviReader;

    std::vector<std::uint8_t> m_data;
    std::vector<Span> m_frames;
    std::vector<std::uint32_t> m_palette;
    int m_width = 0;
    int m_height = 0;
    int m_bitCount = 0;
    bool m_topDown = false;
    std::uint32_t m_compression = kBiRgb;
    std::uint32_t m_microSecPerFrame = 0;
};

}  // namespace velmora
