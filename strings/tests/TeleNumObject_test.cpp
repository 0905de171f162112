// TeleNumObject: digit extraction and the lengths each method recognises.
#include <gtest/gtest.h>

#include "TeleNumObject.h"
#include "TextkitTestSupport.h"

using namespace velmora;

namespace {

struct Case {
    std::u16string input;
    std::u16string expected;
};

TEST(TeleNumObject, DispTel) {
    auto obj = makeObject<TeleNumObject>();
    const Case cases[] = {
        {u"555-123-4567", u"(555) 123-4567"},
        {u"1 (555) 123 4567", u"(555) 123-4567"},
        {u"9 555 123 4567", u"(555) 123-4567"},  // any first digit of eleven is dropped
        {u"5551234", u"555-1234"},
        {u"12345", u"12345"},
        {u"", u""},
        {u"call me", u"call me"},
        {u"555-123-45678-9", u"555-123-45678-9"},
    };
    for (const Case& c : cases) EXPECT_EQ(obj->DispTel(c.input), c.expected) << toUtf8(c.input);
}

TEST(TeleNumObject, ParseNumber) {
    auto obj = makeObject<TeleNumObject>();
    const Case cases[] = {
        {u"  555 1234", u"4155551234"},
        {u"1-800-555-0199", u"8005550199"},
        {u"(212) 555-0100", u"2125550100"},
        {u"055-1234", u"415551234"},          // the prefix loses its leading zero
        {u"012 034 0056", u"12340056"},       // area code and prefix both do; the line keeps its zeros
        {u"2-800-555-0199", u"28005550199"},  // eleven digits not starting with 1: just the digits
        {u"12345", u"12345"},
        {u"no digits", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(obj->ParseNumber(c.input), c.expected) << toUtf8(c.input);
}

}  // namespace
