// The embedded clips against the published table, and played through the real control by identifier.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/library.h"
#include "progress/AnimationType.h"
#include "progress/ClipResources.h"
#include "testsupport/GuiTest.h"
#include "ui/AnimationControl.h"
#include "ui/AviClip.h"
#include "ui/WindowHandles.h"

using namespace velmora;

namespace {

struct Expected {
    std::int32_t id;
    int width;
    int height;
    std::size_t frames;
    std::uint32_t microSec;
};

constexpr Expected kTable[] = {
    {Globe, 34, 34, 16, 100000},         {Busy, 32, 32, 4, 200000},       {CdSpin, 32, 32, 2, 200000},
    {Defrag, 64, 64, 11, 200000},        {Download, 16, 20, 8, 200000},   {FileCopy, 260, 40, 17, 100000},
    {FileDelete, 272, 60, 23, 83333},    {FileMove, 272, 60, 34, 100000}, {FileNuke, 304, 60, 24, 100000},
    {FindComputer, 48, 45, 8, 200000},   {FindFile, 48, 50, 23, 142857},  {FindFolder, 80, 50, 29, 166666},
    {InetDownload, 260, 40, 16, 100000}, {InetSend, 270, 60, 26, 66667},  {PrinterPrint, 32, 30, 16, 100000},
    {TrashNuke, 304, 60, 24, 100000},    {Watch, 14, 29, 8, 325000},
};

const ClipResource* find(std::int32_t id) {
    const auto clips = clipResources();
    const auto it =
        std::find_if(clips.begin(), clips.end(), [&](const ClipResource& c) { return c.id == id; });
    return it == clips.end() ? nullptr : &*it;
}

}  // namespace

TEST(Clips, EveryClipParsesAndMatchesThePublishedTable) {
    EXPECT_EQ(clipResources().size(), std::size(kTable));
    for (const Expected& want : kTable) {
        SCOPED_TRACE(want.id);
        const ClipResource* resource = find(want.id);
        ASSERT_NE(resource, nullptr);
        std::string why;
        const auto clip = AviClip::parse(resource->data, &why);
        ASSERT_TRUE(clip) << why;
        EXPECT_EQ(clip->width(), want.width);
        EXPECT_EQ(clip->height(), want.height);
        EXPECT_EQ(clip->frameCount(), want.frames);
        EXPECT_EQ(clip->microSecPerFrame(), want.microSec);
        EXPECT_EQ(clip->bitCount(), want.id == Busy ? 24 : 8);
        // Every frame decodes whole, and each frame shows a picture of its own.
        std::vector<std::uint32_t> pixels;
        std::set<std::vector<std::uint32_t>> distinct;
        for (std::size_t f = 0; f < clip->frameCount(); ++f) {
            ASSERT_TRUE(clip->decodeFrame(f, pixels)) << "frame " << f;
            distinct.insert(pixels);
        }
        EXPECT_EQ(distinct.size(), want.frames) << "frames that repeat";
    }
}

TEST(Clips, TheTypeLibraryListsEveryClipOnceInItsOwnOrder) {
    const auto& members = animationTypeMembers();
    ASSERT_EQ(members.size(), std::size(kTable));
    EXPECT_EQ(members[7].first, u"FileNuke");
    EXPECT_EQ(members[8].first, u"FileMove");
    EXPECT_EQ(members[13].first, u"Watch");
    std::set<std::int32_t> values;
    for (const auto& [name, value] : members) {
        values.insert(value);
        ASSERT_NE(find(value), nullptr) << std::string(name.begin(), name.end());
    }
    EXPECT_EQ(values.size(), members.size());
}

class ClipPlayback : public test::GuiTest {};

TEST_F(ClipPlayback, TheControlOpensAClipByIdentifierAndLoopsIt) {
    const HMODULE module = GetModuleHandleA(nullptr);
    registerClipResources(module);
    AnimationControl control;
    control.setAutoPlay(true);
    ASSERT_EQ(SendMessageA(handleOf(&control), ACM_OPENA, reinterpret_cast<WPARAM>(module), CdSpin), TRUE);
    EXPECT_TRUE(control.isPlaying());
    EXPECT_EQ(control.frameInterval(), 200);
    // Two frames: it comes back to the first after the second.
    std::vector<int> shown;
    QObject::connect(&control, &AnimationControl::frameShown, [&](int f) { shown.push_back(f); });
    ASSERT_TRUE(test::processUntil([&] { return shown.size() >= 3; }));
    EXPECT_EQ((std::vector<int>(shown.begin(), shown.begin() + 3)), (std::vector<int>{1, 0, 1}));
    // 0 (no clip chosen) and an identifier of no clip open nothing, quietly.
    EXPECT_EQ(SendMessageA(handleOf(&control), ACM_OPENA, reinterpret_cast<WPARAM>(module), 0), TRUE);
    EXPECT_FALSE(control.isOpen());
    EXPECT_EQ(SendMessageA(handleOf(&control), ACM_OPENA, reinterpret_cast<WPARAM>(module), 117), FALSE);
    EXPECT_FALSE(control.isPlaying());
}
