#include "TimeObject.h"

#include <cstdlib>

#include "runtime/datetime.h"
#include "runtime/format.h"
#include "runtime/numbers.h"

namespace velmora {

namespace {

struct Labels {
    std::u16string_view day, hour, minute, second;
};

Labels labelsFor(std::int16_t upFormat, std::int32_t d, std::int32_t h, std::int32_t m, std::int32_t s) {
    switch (upFormat) {
        case 1:
            return {d == 1 ? u" day, " : u" days, ", u":", u":", u""};
        case 2:
            return {d == 1 ? u" day " : u" days, ", h == 1 ? u"hr " : u"hrs ", m == 1 ? u"min " : u"mins ",
                    s == 1 ? u"sec " : u"secs"};
        default:
            return {u"d ", u"h ", u"m ", u"s"};
    }
}

// CLng of the seconds: halves to even, error 6 beyond the 32-bit range.
std::int32_t wholeSeconds(double seconds) {
    return Variant(seconds).toLong();
}

std::u16string twoDigits(std::int32_t value) {
    return Format(Variant(value), u"00");
}

}  // namespace

const ClassInfo& TimeObject::describe() {
    static const ClassInfo info =
        ClassBuilder<TimeObject>(u"TimeObject")
            .method(u"DiffADate", &TimeObject::DiffADate, {u"dtTime"})
            .method(u"Duration", &TimeObject::Duration, {u"TotalSeconds", u"UpFormat"})
            .method(u"DurationInHours", &TimeObject::DurationInHours, {u"TotalSeconds"})
            .method(u"Sec2Min", &TimeObject::Sec2Min, {u"TheSecs"})
            .method(u"ConvertTimeToMilliseconds", &TimeObject::ConvertTimeToMilliseconds, {u"lngMin"})
            .build();
    return info;
}

// Shown in real seconds of the whole date-time, so the text means what it says ("0:05:00" five minutes
// ago, with days past midnight); a time still to come shows its distance with a leading "-".
Variant TimeObject::DiffADate(Date dtTime) {
    const std::int32_t seconds = DateDiff(u"s", dtTime, Now());
    double magnitude = std::abs(static_cast<double>(seconds));
    std::int16_t upFormat = 1;
    const std::u16string text = Duration(magnitude, upFormat);
    return Variant(seconds < 0 ? u"-" + text : text);
}

std::u16string TimeObject::Duration(double& TotalSeconds, std::int16_t& UpFormat) {
    // Truncating division and remainder, as the platform's \ and Mod do.
    const std::int32_t n = wholeSeconds(TotalSeconds);
    const std::int32_t s = n % 60, m = (n / 60) % 60, h = (n / 3600) % 24, d = n / 86400;
    const Labels labels = labelsFor(UpFormat, d, h, m, s);
    std::u16string text;
    if (d != 0) text = Variant(d).toString() + std::u16string(labels.day);
    text += Variant(h).toString() + std::u16string(labels.hour);
    text += twoDigits(m) + std::u16string(labels.minute);
    text += twoDigits(s) + std::u16string(labels.second);
    return text;
}

std::u16string TimeObject::DurationInHours(double TotalSeconds) {
    const std::int32_t n = wholeSeconds(TotalSeconds);
    return Format(Variant(n / 3600), u"000") + u":" + twoDigits((n / 60) % 60) + u":" + twoDigits(n % 60);
}

Variant TimeObject::Sec2Min(Variant& TheSecs) {
    const double secs = TheSecs.toDouble();
    if (secs > 59) {
        const double minutes = Int(secs / 60);
        const double rest = secs - 60 * minutes;
        return Variant((minutes <= 9 ? u"0" : u"") + Variant(minutes).toString() +
                       (rest < 10 ? u":0" : u":") + Variant(rest).toString());
    }
    if (secs < 10) return Variant(u"00:0" + Format(Variant(secs), u"0"));
    return Variant(u"00:" + Format(Variant(secs), u"00"));
}

double TimeObject::ConvertTimeToMilliseconds(double lngMin) {
    return lngMin * 60000;
}

}  // namespace velmora
