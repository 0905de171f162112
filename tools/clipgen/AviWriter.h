// Writes a clip as the animation control reads it: RIFF 'AVI ' with one video stream, a colour table for
// 8-bit frames, the frames in a 'movi' list and an 'idx1' index. 8-bit frames are stored uncompressed or
// run-length encoded (BI_RLE8), 24-bit frames uncompressed.
#pragma once

#include <cstdint>
#include <vector>

#include "Canvas.h"

namespace clipgen {

enum class Encoding { Rgb8, Rle8, Rgb24 };

struct ClipSpec {
    int id;
    const char* name;
    int width;
    int height;
    int frames;
    std::uint32_t microSecPerFrame;
    Encoding encoding;
};

// frames: indexed pictures (for Rgb24 expanded through the colour table).
std::vector<std::uint8_t> writeAvi(const ClipSpec& clip, const std::vector<Canvas>& frames);

// One frame's BI_RLE8 data, bottom row first, ending with the end-of-picture mark.
std::vector<std::uint8_t> encodeRle8(const Canvas& frame);

}  // namespace clipgen
