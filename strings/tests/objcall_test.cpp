// The built library end to end: registered and driven late-bound by objcall in a child process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testsupport/ChildProcess.h"

namespace {

using Output = velmora::test::ProgramOutput;

Output objcall(const std::vector<std::string>& args) {
    setenv("LC_ALL", "en_US.UTF-8", 1);  // objcall takes the locale from the environment
    return velmora::test::objcall(args);
}

TEST(TextkitThroughObjcall, EveryClassAnswersLateBound) {
    Output strings =
        objcall({"--register", VELMORA_TEXTKIT_PATH, "Textkit.StringObject", "AddZeros(s:7, i16:3)",
                 "FormatSize(1536000)", "FormatSize(1023)", "NoZero(\"  \")", "FixLength(s:abc, i16:2)"});
    EXPECT_EQ(strings.status, 1);
    EXPECT_EQ(strings.text,
              "s:007\n"
              "s:1.465 Mb\n"
              "s:1,023 b\n"
              "null\n"
              "error 3 RIVAverido: Data length is longer then allowed\n");

    Output times = objcall({"Textkit.TimeObject", "Duration(d:90061, i16:1)", "DurationInHours(3725)",
                            "Sec2Min(125)", "ConvertTimeToMilliseconds(d:2)"});
    EXPECT_EQ(times.status, 0);
    EXPECT_EQ(times.text, "s:1 day, 1:01:01\ns:001:02:05\ns:02:05\nd:1.2e+05\n");

    Output phones = objcall({"Textkit.TeleNumObject", "DispTel(s:5551234567)", "ParseNumber(s:555 1234)"});
    EXPECT_EQ(phones.text, "s:(555) 123-4567\ns:4155551234\n");

    Output pieces = objcall({"Textkit.ParsingObject", "StrSplit(s:a_b__c, s:_)", "StrSplit(s:x, \"\")"});
    EXPECT_EQ(pieces.text,
              "array(0..3)\n  [0] s:a\n  [1] s:b\n  [2] s:\n  [3] s:c\n"
              "error 6 Textkit.ParsingObject: Overflow\n");
}

}  // namespace
