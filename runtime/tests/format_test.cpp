// Format and FormatNumber: the suite's date patterns and number patterns in three locales.
#include "runtime/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "runtime/datetime.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

// Switches LC_NUMERIC for one test and puts the previous setting back.
class NumericLocaleScope {
  public:
    explicit NumericLocaleScope(const char* name) : m_previous(std::setlocale(LC_NUMERIC, nullptr)) {
        m_ok = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocaleScope() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    bool ok() const { return m_ok; }

  private:
    std::string m_previous;
    bool m_ok = false;
};

const Date kTuesday = makeDate({2024, 3, 5, 14, 7, 9});   // Tue 5 Mar 2024 14:07:09
const Date kMorning = makeDate({2009, 11, 23, 0, 5, 0});  // Mon 23 Nov 2009 00:05:00

TEST(FormatDate, PatternsOfTheSuite) {
    struct Case {
        Date date;
        const char16_t* pattern;
        const char16_t* text;
    } cases[] = {
        {kTuesday, u"mm/dd/yy hh:nn:ss", u"03/05/24 14:07:09"},
        {kTuesday, u"mm/dd/yyyy hh:mm:ss", u"03/05/2024 14:07:09"},  // mm after hh: minutes
        {kTuesday, u"Ddd", u"Tue"},
        {kTuesday, u"ddd", u"Tue"},
        {kTuesday, u"dddd", u"Tuesday"},
        {kTuesday, u"dd Mmm YYYY", u"05 Mar 2024"},
        {kTuesday, u"mmm", u"Mar"},
        {kTuesday, u"mmmm", u"March"},
        {kTuesday, u"hh:mm:ss", u"14:07:09"},
        {kTuesday, u"h", u"14"},
        {kTuesday, u"h AM/PM", u"2 PM"},
        {kTuesday, u"hh:nn am/pm", u"02:07 pm"},
        {kTuesday, u"h:nn a/p", u"2:07 p"},
        {kMorning, u"h:nn AM/PM", u"12:05 AM"},
        {kMorning, u"hh:nn", u"00:05"},
        {kTuesday, u"m/d/yy", u"3/5/24"},
        {kTuesday, u"d-m-yyyy", u"5-3-2024"},
        {kTuesday, u"nn:ss", u"07:09"},
        {kTuesday, u"mm:ss", u"07:09"},  // mm before ss: minutes
        {kTuesday, u"mm", u"03"},
        {kTuesday, u"yyyy\\-mm\\-dd \"at\" hh", u"2024-03-05 at 14"},
        {kTuesday, u"q w ww y", u"1 3 10 65"},
        {kMorning, u"ddddd", u"11/23/2009"},
        {kMorning, u"dddddd", u"Monday, November 23, 2009"},
        {kTuesday, u"ttttt", u"2:07:09 PM"},
        {kTuesday, u"c", u"3/5/2024 2:07:09 PM"},
        {kTuesday, u"Long Date", u"Tuesday, March 5, 2024"},
        {kTuesday, u"Medium Date", u"05-Mar-24"},
        {kTuesday, u"Short Date", u"3/5/2024"},
        {kTuesday, u"Long Time", u"2:07:09 PM"},
        {kTuesday, u"Short Time", u"14:07"},
        {kTuesday, u"general date", u"3/5/2024 2:07:09 PM"},
        {Date{-1.25}, u"yyyy-mm-dd hh:nn", u"1899-12-29 06:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(Variant(c.date), c.pattern), c.text) << toUtf8(c.pattern);
}

TEST(FormatDate, ValuesThatAreNotDates) {
    EXPECT_EQ(Format(Variant(45356.5), u"yyyy-mm-dd hh"), u"2024-03-05 12");
    EXPECT_EQ(Format(Variant(u"2024-03-05"), u"dd Mmm YYYY"), u"05 Mar 2024");
    EXPECT_EQ(Format(Variant(u"not a date"), u"yyyy"), u"not a date");
    EXPECT_EQ(Format(Variant::null(), u"yyyy"), u"");
    EXPECT_EQ(errorNumberOf([] { Format(Variant(1e9), u"yyyy"); }), err::Overflow);
}

TEST(FormatNumber, PatternsInTheCLocale) {
    NumericLocaleScope scope("C");
    struct Case {
        Variant value;
        const char16_t* pattern;
        const char16_t* text;
    } cases[] = {
        {5, u"0", u"5"},
        {5, u"00", u"05"},
        {5, u"000", u"005"},
        {1234, u"00", u"1234"},
        {2.5, u"0", u"3"},  // halves away from zero, unlike CInt
        {-2.5, u"0", u"-3"},
        {0.125, u"0.00", u"0.13"},
        {1.005, u"0.00", u"1.01"},
        {0, u"#", u""},
        {0.5, u"#.##", u".5"},
        {12.3, u"#.00", u"12.30"},
        {12.5, u".00", u"12.50"},
        {123456, u"0-0", u"12345-6"},
        {1234567.891, u"#,##0", u"1,234,568"},
        {1234567.891, u"#,##0.00", u"1,234,567.89"},
        {999.999, u"#,##0.00", u"1,000.00"},
        {-1234.5, u"#,##0.0", u"-1,234.5"},
        {0.25, u"0.0%", u"25.0%"},
        {1234567, u"#,##0,", u"1,235"},  // a trailing comma scales by 1000
        {12345, u"0.00E+00", u"1.23E+04"},
        {0.00012, u"0.0E-0", u"1.2E-4"},
        {9.999, u"0.00E+00", u"1.00E+01"},
        {5551234, u"000-0000", u"555-1234"},
        {-5, u"0;(0)", u"(5)"},
        {0, u"0.0;(0.0);\"zero\"", u"zero"},
        {-0.001, u"0.00", u"0.00"},  // rounds to zero: no sign
        {3, u"\"Item \"0", u"Item 3"},
        {7, u"0 \\d\\a\\y\\s", u"7 days"},
        {u"12.5", u"0.00", u"12.50"},
        {u"abc", u"0.00", u"abc"},
        {true, u"0", u"-1"},
        {Variant(), u"0.0", u"0.0"},
        {Currency{123456789}, u"#,##0.0000", u"12,345.6789"},
        {1e20, u"0", u"100000000000000000000"},
        {1234.5, u"General Number", u"1234.5"},
        {1234.5, u"Fixed", u"1234.50"},
        {1234.5, u"Standard", u"1,234.50"},
        {0.123, u"Percent", u"12.30%"},
        {1234.5, u"Scientific", u"1.23E+03"},
        {2, u"Yes/No", u"Yes"},
        {0, u"on/off", u"Off"},
        {1.5, u"", u"1.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.value, c.pattern), c.text) << toUtf8(c.pattern);
}

TEST(FormatNumber, FollowsTheNumericLocale) {
    struct Case {
        const char* locale;
        double value;
        const char16_t* pattern;
        const char16_t* text;
    } cases[] = {
        {"en_US.UTF-8", 1234567.891, u"#,##0.00", u"1,234,567.89"},
        {"en_US.UTF-8", 0.5, u"0.0", u"0.5"},
        {"en_US.UTF-8", 1.5, u"", u"1.5"},
        {"de_DE.UTF-8", 1234567.891, u"#,##0.00", u"1.234.567,89"},
        {"de_DE.UTF-8", 0.5, u"0.0", u"0,5"},
        {"de_DE.UTF-8", 1.5, u"", u"1,5"},
        {"de_DE.UTF-8", 1234.5, u"Standard", u"1.234,50"},
        {"de_DE.UTF-8", 12345, u"0.00E+00", u"1,23E+04"},
    };
    for (const Case& c : cases) {
        NumericLocaleScope scope(c.locale);
        if (!scope.ok()) GTEST_SKIP() << c.locale << " is not installed (scripts/setup generates it)";
        EXPECT_EQ(Format(Variant(c.value), c.pattern), c.text) << c.locale << " " << toUtf8(c.pattern);
    }
}

TEST(FormatNumber, GroupedWithFixedDecimals) {
    struct Case {
        const char* locale;
        double value;
        int decimals;
        const char16_t* text;
    } cases[] = {
        {"C", 1023, 0, u"1023"},  // the C locale does not group
        {"C", 1.0005, 3, u"1.001"},
        {"en_US.UTF-8", 1023, 0, u"1,023"},
        {"en_US.UTF-8", 1.0, 3, u"1.000"},
        {"en_US.UTF-8", 1.46484375, 3, u"1.465"},
        {"en_US.UTF-8", -1234567.5, 0, u"-1,234,568"},
        {"en_US.UTF-8", 999.9999, 2, u"1,000.00"},
        {"en_US.UTF-8", -0.0001, 2, u"0.00"},
        {"en_US.UTF-8", 0.977, 3, u"0.977"},
        {"de_DE.UTF-8", 1023, 0, u"1.023"},
        {"de_DE.UTF-8", 1.46484375, 3, u"1,465"},
    };
    for (const Case& c : cases) {
        NumericLocaleScope scope(c.locale);
        if (!scope.ok()) GTEST_SKIP() << c.locale << " is not installed";
        EXPECT_EQ(FormatNumber(c.value, c.decimals), c.text) << c.locale << " " << c.value;
    }
    EXPECT_EQ(FormatNumber(1234.5, 1, false), u"1234.5");
    EXPECT_EQ(errorNumberOf([] { FormatNumber(1, -1); }), err::InvalidProcedureCall);
}

}  // namespace
}  // namespace velmora
