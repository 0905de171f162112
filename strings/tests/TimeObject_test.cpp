// TimeObject: rounding, label choice, padding and the conversion errors that reach the caller.
#include <gtest/gtest.h>

#include "TextkitTestSupport.h"
#include "TimeObject.h"
#include "runtime/datetime.h"

using namespace velmora;
using velmora::test::errorNumberOf;

namespace {

class TimeObjectTest : public ::testing::Test {
  protected:
    std::u16string duration(double seconds, std::int16_t upFormat) {
        return obj->Duration(seconds, upFormat);
    }
    std::u16string sec2Min(Variant secs) { return obj->Sec2Min(secs).toString(); }

    Ref<TimeObject> obj = makeObject<TimeObject>();
};

TEST_F(TimeObjectTest, DurationInEachFormat) {
    struct Case {
        double seconds;
        std::int16_t upFormat;
        std::u16string text;
    };
    const Case cases[] = {
        {3725, 0, u"1h 02m 05s"},           {3725, 7, u"1h 02m 05s"},
        {90061, 1, u"1 day, 1:01:01"},      {3725, 2, u"1hr 02mins 05secs"},
        {86400, 1, u"1 day, 0:00:00"},      {172800, 1, u"2 days, 0:00:00"},
        {59.5, 0, u"0h 01m 00s"},  // halves to even: 60
        {60.5, 0, u"0h 01m 00s"},  // and 60.5 to 60 as well
        {61.5, 0, u"0h 01m 02s"},           {0, 0, u"0h 00m 00s"},
        {3661, 2, u"1hr 01min 01sec "},     {86400 + 7200, 2, u"1 day 2hrs 00mins 00secs"},
        {3 * 86400.0, 0, u"3d 0h 00m 00s"},
    };
    for (const Case& c : cases) EXPECT_EQ(duration(c.seconds, c.upFormat), c.text) << c.seconds;
}

TEST_F(TimeObjectTest, DurationInHoursCountsAllHours) {
    EXPECT_EQ(obj->DurationInHours(3725), u"001:02:05");
    EXPECT_EQ(obj->DurationInHours(90061), u"025:01:01");
    EXPECT_EQ(obj->DurationInHours(0.4), u"000:00:00");
    EXPECT_EQ(obj->DurationInHours(3600.0 * 1234), u"1234:00:00");
}

TEST_F(TimeObjectTest, OutOfRangeAndNonNumbersRaise) {
    EXPECT_EQ(errorNumberOf([&] { duration(3e9, 0); }), 6);
    EXPECT_EQ(errorNumberOf([&] { obj->DurationInHours(-3e9); }), 6);
    EXPECT_EQ(errorNumberOf([&] { sec2Min(u"soon"); }), 13);
    EXPECT_EQ(errorNumberOf([&] { sec2Min(Variant::null()); }), 94);
}

TEST_F(TimeObjectTest, Sec2MinExamples) {
    struct Case {
        Variant secs;
        std::u16string text;
    };
    const Case cases[] = {
        {std::int32_t{125}, u"02:05"},   {std::int32_t{725}, u"12:05"},
        {std::int32_t{120}, u"02:00"},   {std::int32_t{5}, u"00:05"},
        {std::int32_t{45}, u"00:45"},    {std::int32_t{59}, u"00:59"},
        {std::int32_t{60}, u"01:00"},    {u"125", u"02:05"},
        {std::int32_t{6000}, u"100:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(sec2Min(c.secs), c.text) << toUtf8(c.text);
    Variant kept = std::int32_t{125};
    obj->Sec2Min(kept);
    EXPECT_EQ(kept, Variant(std::int32_t{125}));
}

// The difference is taken against the clock, which may tick between the two reads.
TEST_F(TimeObjectTest, DiffADateShowsRealElapsedTime) {
    const Date past = DateAdd(u"s", -3725, Now());
    const std::u16string ago = obj->DiffADate(past).toString();
    EXPECT_TRUE(ago == u"1:02:05" || ago == u"1:02:06") << toUtf8(ago);

    const Date yesterday = DateAdd(u"s", -(86400 + 60), Now());
    const std::u16string day = obj->DiffADate(yesterday).toString();
    EXPECT_TRUE(day == u"1 day, 0:01:00" || day == u"1 day, 0:01:01") << toUtf8(day);

    const Date ahead = DateAdd(u"s", 600, Now());
    const std::u16string future = obj->DiffADate(ahead).toString();
    EXPECT_TRUE(future == u"-0:10:00" || future == u"-0:09:59") << toUtf8(future);
}

}  // namespace
