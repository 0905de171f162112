// Durations in seconds as readable text, and minutes to milliseconds.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class TimeObject : public Dispatchable<TimeObject> {
  public:
    static const ClassInfo& describe();

    // The time passed since dtTime, as Duration shows it with UpFormat 1 ("0:05:00", "1 day, 2:00:00").
    Variant DiffADate(Date dtTime);
    // "1h 02m 05s" (UpFormat other than 1, 2), "1 day, 1:01:01" (1), "1hr 02mins 05secs" (2).
    std::u16string Duration(double& TotalSeconds, std::int16_t& UpFormat);
    // Whole hours with at least three digits: "025:01:01".
    std::u16string DurationInHours(double TotalSeconds);
    // Minutes and seconds: "02:05", "00:45", "00:05".
    Variant Sec2Min(Variant& TheSecs);
    double ConvertTimeToMilliseconds(double lngMin);
};

}  // namespace velmora
