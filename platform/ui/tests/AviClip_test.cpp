// The AVI reader on hand-made clips: run-length escapes, clipping, orientation, refusals, and random
// damage that must never make it read or write out of bounds.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ui/AviClip.h"

using namespace velmora;

namespace {

using Bytes = std::vector<std::uint8_t>;

void u32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void chunk(Bytes& b, const char* id, const Bytes& body) {
    b.insert(b.end(), id, id + 4);
    u32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
}
Bytes list(const char* type, const Bytes& body) {
    Bytes inner(type, type + 4);
    inner.insert(inner.end(), body.begin(), body.end());
    Bytes out;
    chunk(out, "LIST", inner);
    return out;
}

// A clip of width x height with a four-colour table (0 black, 1 red, 2 green, 3 blue).
Bytes makeClip(int width, int height, int bits, std::uint32_t compression, const std::vector<Bytes>& frames) {
    Bytes avih;
    u32(avih, 50000);
    for (int i = 0; i < 13; ++i) u32(avih, 0);
    Bytes strh{'v', 'i', 'd', 's'};
    for (int i = 0; i < 12; ++i) u32(strh, 0);
    Bytes strf;
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                            1u | static_cast<std::uint32_t>(bits) << 16, compression, 0u, 0u, 0u, 4u, 0u})
        u32(strf, v);
    for (std::uint32_t rgb : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu}) u32(strf, rgb);
    Bytes strl;
    chunk(strl, "strh", strh);
    chunk(strl, "strf", strf);
    Bytes hdrl;
    chunk(hdrl, "avih", avih);
    const Bytes strlList = list("strl", strl);
    hdrl.insert(hdrl.end(), strlList.begin(), strlList.end());
    Bytes movi;
    for (const Bytes& f : frames) chunk(movi, compression ? "00dc" : "00db", f);
    Bytes body{'A', 'V', 'I', ' '};
    for (const Bytes& part : {list("hdrl", hdrl), list("movi", movi)})
        body.insert(body.end(), part.begin(), part.end());
    Bytes riff;
    chunk(riff, "RIFF", body);
    return riff;
}

constexpr std::uint32_t K = 0xFF000000, R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF;

}  // namespace

TEST(AviClip, RunLengthFramesDecodeEveryEscapeAndDrawOverThePreviousFrame) {
    // 4 x 2, bottom row first: a run, absolute mode, end of line, a delta, end of picture.
    const Bytes first{2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 4, 3, 0, 1};
    const Bytes second{0, 2, 1, 1, 1, 2, 0, 1};  // skip one column and one row, then one green pixel
    const auto clip = AviClip::parse(makeClip(4, 2, 8, AviClip::kBiRle8, {first, second}));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->microSecPerFrame(), 50000u);
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(clip->decodeFrame(0, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{B, B, B, B, R, R, G, B}));
    ASSERT_TRUE(clip->decodeFrame(1, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{B, G, B, B, R, R, G, B}));
}

TEST(AviClip, RunsPastTheEdgeAreClippedAndShortFramesReported) {
    const Bytes tooWide{9, 1, 0, 0, 200, 2, 0, 1};
    const auto clip = AviClip::parse(makeClip(3, 2, 8, AviClip::kBiRle8, {tooWide, {0, 5, 1}}));
    ASSERT_TRUE(clip);
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(clip->decodeFrame(0, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{G, G, G, R, R, R}));
    EXPECT_FALSE(clip->decodeFrame(1, pixels));  // absolute mode promising more than the frame holds
    EXPECT_FALSE(clip->decodeFrame(2, pixels));
}

TEST(AviClip, UncompressedFramesAreBottomUpWithPaddedRows) {
    const Bytes rgb8{1, 2, 3, 0, 0, 3, 2, 0};                                 // rows of 3 padded to 4
    const Bytes rgb24{0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0};  // BGR, rows of 6 padded to 8
    std::vector<std::uint32_t> pixels;
    const auto eight = AviClip::parse(makeClip(3, 2, 8, 0, {rgb8, {1, 2}}));
    ASSERT_TRUE(eight);
    ASSERT_TRUE(eight->decodeFrame(0, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{K, B, G, R, G, B}));
    EXPECT_FALSE(eight->decodeFrame(1, pixels));  // short
    const auto deep = AviClip::parse(makeClip(2, 2, 24, 0, {rgb24}));
    ASSERT_TRUE(deep);
    ASSERT_TRUE(deep->decodeFrame(0, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{B, K, R, G}));
    const auto topDown = AviClip::parse(makeClip(3, -2, 8, 0, {rgb8}));
    ASSERT_TRUE(topDown);
    ASSERT_TRUE(topDown->decodeFrame(0, pixels));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{R, G, B, K, B, G}));
}

TEST(AviClip, WhatCannotBePlayedIsRefused) {
    const Bytes frame(16, 1);
    struct Case {
        const char* what;
        Bytes data;
    };
    Bytes oversized = makeClip(2, 2, 8, 0, {frame});
    oversized[4] = 0xFF;  // RIFF size beyond the data is cut to the data, but the list inside is not
    Bytes chunkPastEnd = makeClip(2, 2, 8, 0, {frame});
    chunkPastEnd[16] = 0xFF;
    const Case cases[] = {
        {"empty", {}},
        {"not RIFF", Bytes(64, 'x')},
        {"no frames", makeClip(2, 2, 8, 0, {})},
        {"zero width", makeClip(0, 2, 8, 0, {frame})},
        {"too wide", makeClip(5000, 2, 8, 0, {frame})},
        {"16 bits", makeClip(2, 2, 16, 0, {frame})},
        {"4-bit run lengths", makeClip(2, 2, 4, 2, {frame})},
        {"top-down run lengths", makeClip(2, -2, 8, AviClip::kBiRle8, {frame})},
        {"list size past its end", chunkPastEnd},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(AviClip::parse(c.data, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    EXPECT_TRUE(AviClip::parse(oversized));
}

// Random damage to valid clips and pure noise: parsing and decoding end normally (the sanitizer build
// turns any stray access into a failure).
TEST(AviClip, RandomDamageNeverBreaksTheReader) {
    const Bytes rle{2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 1, 4, 3, 0, 1};
    const std::vector<Bytes> seeds = {makeClip(4, 3, 8, AviClip::kBiRle8, {rle, rle}),
                                      makeClip(3, 2, 8, 0, {Bytes(8, 2)}),
                                      makeClip(2, 2, 24, 0, {Bytes(16, 9), Bytes(3, 1)})};
    std::mt19937 random(20240611);
    int parsed = 0;
    for (int round = 0; round < 6000; ++round) {
        Bytes data = seeds[round % seeds.size()];
        const int damage = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < damage; ++i) {
            const std::size_t at = random() % data.size();
            switch (random() % 3) {
                case 0:
                    data[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    data.resize(at + 1);
                    break;
                default:
                    data.insert(data.begin() + at, static_cast<std::uint8_t>(random()));
                    break;
            }
        }
        if (round % 50 == 0) {
            data.resize(random() % 512);
            for (auto& b : data) b = static_cast<std::uint8_t>(random());
        }
        const auto clip = AviClip::parse(data);
        if (!clip) continue;
        ++parsed;
        std::vector<std::uint32_t> pixels;
        for (std::size_t f = 0; f < clip->frameCount(); ++f) clip->decodeFrame(f, pixels);
        EXPECT_EQ(pixels.size(), static_cast<std::size_t>(clip->width()) * clip->height());
    }
    EXPECT_GT(parsed, 100);  // the damage left enough clips readable to exercise the decoders
}
