// String functions at their edges: positions 0 and past the end, empty texts, text comparison.
#include "runtime/stringfunctions.h"

#include <gtest/gtest.h>

#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

TEST(Strings, PiecesAtTheEdges) {
    EXPECT_EQ(Left(u"abc", 0), u"");
    EXPECT_EQ(Left(u"abc", 5), u"abc");
    EXPECT_EQ(Right(u"abc", 2), u"bc");
    EXPECT_EQ(Right(u"abc", 9), u"abc");
    EXPECT_EQ(Right(u"", 1), u"");
    EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
    EXPECT_EQ(Mid(u"abcdef", 5), u"ef");
    EXPECT_EQ(Mid(u"abcdef", 6, 9), u"f");
    EXPECT_EQ(Mid(u"abcdef", 7), u"");
    EXPECT_EQ(Mid(u"abcdef", 100, 1), u"");
    EXPECT_EQ(Mid(u"abc", 1, 0), u"");
    EXPECT_EQ(Mid(u"", 1), u"");
    EXPECT_EQ(Len(u""), 0);
    EXPECT_EQ(Len(u"a\U0001F600"), 3);  // code units, as the suite's keys count them
    for (auto bad : std::initializer_list<std::function<void()>>{
             [] { Left(u"a", -1); }, [] { Right(u"a", -1); }, [] { Mid(u"a", 0); }, [] { Mid(u"a", -1, 1); },
             [] { Mid(u"a", 1, -1); }, [] { Space(-1); }, [] { String(-1, u"a"); }, [] { String(2, u""); }})
        EXPECT_EQ(errorNumberOf(bad), err::InvalidProcedureCall);
}

TEST(Strings, MidStatementKeepsTheLength) {
    struct Case {
        const char16_t* target;
        int start;
        const char16_t* with;
        int length;
        const char16_t* result;
    } cases[] = {{u"abcdef", 2, u"XY", -1, u"aXYdef"},
                 {u"abcdef", 5, u"XYZ", -1, u"abcdXY"},
                 {u"abcdef", 1, u"XYZ", 1, u"Xbcdef"},
                 {u"abcdef", 6, u"", -1, u"abcdef"},
                 {u"abc", 1, u"XYZW", 9, u"XYZ"}};
    for (const Case& c : cases) {
        std::u16string target = c.target;
        MidAssign(target, c.start, c.with, c.length);
        EXPECT_EQ(target, c.result);
    }
    std::u16string s = u"abc";
    EXPECT_EQ(errorNumberOf([&] { MidAssign(s, 0, u"x"); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([&] { MidAssign(s, 4, u"x"); }), err::InvalidProcedureCall);
    std::u16string empty;
    EXPECT_EQ(errorNumberOf([&] { MidAssign(empty, 1, u"x"); }), err::InvalidProcedureCall);
}

TEST(Strings, InStrAndInStrRev) {
    struct Case {
        int start;
        const char16_t* s;
        const char16_t* find;
        int compare;
        int at;
    } cases[] = {{1, u"abcabc", u"bc", vbBinaryCompare, 2}, {3, u"abcabc", u"bc", vbBinaryCompare, 5},
                 {6, u"abcabc", u"bc", vbBinaryCompare, 0}, {7, u"abcabc", u"a", vbBinaryCompare, 0},
                 {1, u"abcabc", u"BC", vbBinaryCompare, 0}, {1, u"abcabc", u"BC", vbTextCompare, 2},
                 {1, u"ÄÖÜ", u"öü", vbTextCompare, 2},      {2, u"abc", u"", vbBinaryCompare, 2},
                 {1, u"", u"", vbBinaryCompare, 0},         {1, u"", u"a", vbBinaryCompare, 0},
                 {1, u"ab", u"abc", vbTextCompare, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(InStr(c.start, c.s, c.find, c.compare), c.at) << toUtf8(c.s) << " " << toUtf8(c.find);
    EXPECT_EQ(InStr(u"a\\b\\c", u"\\"), 2);
    EXPECT_EQ(errorNumberOf([] { InStr(0, u"abc", u"a"); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { InStr(1, u"abc", u"a", 2); }), err::InvalidProcedureCall);

    EXPECT_EQ(InStrRev(u"a\\b\\c", u"\\"), 4);
    EXPECT_EQ(InStrRev(u"a\\b\\c", u"\\", 3), 2);
    EXPECT_EQ(InStrRev(u"abcabc", u"bc", 5), 2);  // a match must end at or before start
    EXPECT_EQ(InStrRev(u"abcabc", u"bc", 6), 5);
    EXPECT_EQ(InStrRev(u"abcabc", u"BC", -1, vbTextCompare), 5);
    EXPECT_EQ(InStrRev(u"abc", u"x"), 0);
    EXPECT_EQ(InStrRev(u"abc", u""), 3);
    EXPECT_EQ(InStrRev(u"abc", u"a", 4), 0);
    EXPECT_EQ(InStrRev(u"", u"a"), 0);
    EXPECT_EQ(errorNumberOf([] { InStrRev(u"abc", u"a", 0); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { InStrRev(u"abc", u"a", -2); }), err::InvalidProcedureCall);
}

TEST(Strings, CompareAndCase) {
    EXPECT_EQ(StrComp(u"abc", u"abd"), -1);
    EXPECT_EQ(StrComp(u"abc", u"ab"), 1);
    EXPECT_EQ(StrComp(u"ABC", u"abc"), -1);
    EXPECT_EQ(StrComp(u"ABC", u"abc", vbTextCompare), 0);
    EXPECT_EQ(StrComp(u"", u""), 0);
    EXPECT_EQ(UCase(u"straße äöü ÿ ž я"), u"STRAßE ÄÖÜ Ÿ Ž Я");
    EXPECT_EQ(LCase(u"ÀÉÎ Ž Я ΣΩ 123"), u"àéî ž я σω 123");
    EXPECT_EQ(ProperCase(u"c:\\WINDOWS\\system32 dir"), u"C:\\windows\\system32 Dir");
    EXPECT_EQ(Trim(u"  a b  "), u"a b");
    EXPECT_EQ(LTrim(u"  a "), u"a ");
    EXPECT_EQ(RTrim(u" a  "), u" a");
    EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");  // spaces only
    EXPECT_EQ(Trim(u"    "), u"");
}

TEST(Strings, ReplaceSplitJoin) {
    EXPECT_EQ(Replace(u"a.b.c", u".", u"::"), u"a::b::c");
    EXPECT_EQ(Replace(u"a.b.c", u".", u"", 1, 1), u"ab.c");
    EXPECT_EQ(Replace(u"a.b.c", u".", u"-", 3), u"b-c");  // the part before start is dropped
    EXPECT_EQ(Replace(u"aXbxc", u"x", u"_", 1, -1, vbTextCompare), u"a_b_c");
    EXPECT_EQ(Replace(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(Replace(u"abc", u"b", u"x", 4), u"");
    EXPECT_EQ(Replace(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(errorNumberOf([] { Replace(u"a", u"a", u"b", 0); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { Replace(u"a", u"a", u"b", 1, -2); }), err::InvalidProcedureCall);

    using Parts = std::vector<std::u16string>;
    EXPECT_EQ(Split(u"Blockrune_AES_256", u"_"), (Parts{u"Blockrune", u"AES", u"256"}));
    EXPECT_EQ(Split(u"a b"), (Parts{u"a", u"b"}));
    EXPECT_EQ(Split(u",a,,", u","), (Parts{u"", u"a", u"", u""}));
    EXPECT_EQ(Split(u"a,b,c", u",", 2), (Parts{u"a", u"b,c"}));
    EXPECT_EQ(Split(u"aXbxc", u"x", -1, vbTextCompare), (Parts{u"a", u"b", u"c"}));
    EXPECT_EQ(Split(u"abc", u""), (Parts{u"abc"}));
    EXPECT_TRUE(Split(u"", u",").empty());
    EXPECT_TRUE(Split(u"a,b", u",", 0).empty());
    EXPECT_EQ(errorNumberOf([] { Split(u"a", u",", -2); }), err::InvalidProcedureCall);
    EXPECT_EQ(Join(Parts{u"a", u"", u"c"}, u"/"), u"a//c");
    EXPECT_EQ(Join(Parts{}), u"");
    EXPECT_EQ(Join(stringArray({u"x", u"y"}), u"+"), u"x+y");
    EXPECT_EQ(stringArray({}).ubound(), -1);
    EXPECT_EQ(StrReverse(u"abc"), u"cba");
    EXPECT_EQ(String(3, u"xyz"), u"xxx");
    EXPECT_EQ(String(2, 65), u"AA");
    EXPECT_EQ(Space(2), u"  ");
}

TEST(Strings, CharacterCodes) {
    EXPECT_EQ(Chr(65), u"A");
    EXPECT_EQ(Chr(0), std::u16string(1, u'\0'));
    EXPECT_EQ(Chr(233), u"é");
    EXPECT_EQ(errorNumberOf([] { Chr(256); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { Chr(-1); }), err::InvalidProcedureCall);
    EXPECT_EQ(ChrW(0x20AC), u"€");
    EXPECT_EQ(ChrW(-1), u"\uFFFF");
    EXPECT_EQ(errorNumberOf([] { ChrW(65536); }), err::InvalidProcedureCall);
    EXPECT_EQ(Asc(u"Abc"), 65);
    EXPECT_EQ(Asc(u"€"), 63);
    EXPECT_EQ(AscW(u"€"), 0x20AC);
    EXPECT_EQ(AscW(u"\uFFFF"), -1);
    EXPECT_EQ(errorNumberOf([] { Asc(u""); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { AscW(u""); }), err::InvalidProcedureCall);
}

TEST(Strings, HexOctValStr) {
    struct Case {
        Variant in;
        const char16_t* hex;
        const char16_t* oct;
    } cases[] = {{std::int16_t{-1}, u"FFFF", u"177777"},
                 {-1, u"FFFFFFFF", u"37777777777"},
                 {std::uint8_t{255}, u"FF", u"377"},
                 {255, u"FF", u"377"},
                 {0, u"0", u"0"},
                 {Variant(), u"0", u"0"},
                 {2.5, u"2", u"2"},
                 {-1.0, u"FFFFFFFF", u"37777777777"},
                 {true, u"FFFF", u"177777"},
                 {u"16", u"10", u"20"}};
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(c.in), c.hex) << toUtf8(c.hex);
        EXPECT_EQ(Oct(c.in), c.oct) << toUtf8(c.oct);
    }
    EXPECT_EQ(errorNumberOf([] { Hex(Variant::null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorNumberOf([] { Hex(3e9); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { Hex(u"zz"); }), err::TypeMismatch);

    struct ValCase {
        const char16_t* text;
        double value;
    } vals[] = {{u"  12abc", 12}, {u"1 2 3", 123}, {u"-1.5e2x", -150}, {u"1.2.3", 1.2},
                {u"", 0},         {u"abc", 0},     {u"-", 0},          {u".5", 0.5},
                {u"1e", 1},       {u"&HFF", 255},  {u"&HFFFF", -1},    {u"&H10000", 65536},
                {u"&O17z", 15},   {u" - 4", -4},   {u"0x1F", 0},       {u"\t\n7", 7}};
    for (const ValCase& c : vals) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << toUtf8(c.text);
    EXPECT_EQ(errorNumberOf([] { Val(u"&H123456789"); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { Val(u"1e999"); }), err::Overflow);

    EXPECT_EQ(Str(5), u" 5");
    EXPECT_EQ(Str(-5), u"-5");
    EXPECT_EQ(Str(0.5), u" 0.5");
    EXPECT_EQ(Str(u"12"), u" 12");
    EXPECT_EQ(errorNumberOf([] { Str(Variant::null()); }), err::InvalidUseOfNull);
}

TEST(Strings, Like) {
    struct Case {
        const char16_t* s;
        const char16_t* pattern;
        bool match;
    } cases[] = {{u"Blockrune.dll", u"*.dll", true},
                 {u"Blockrune.DLL", u"*.dll", false},
                 {u"a1", u"a#", true},
                 {u"ab", u"a#", false},
                 {u"abc", u"a?c", true},
                 {u"ac", u"a?c", false},
                 {u"b", u"[a-c]", true},
                 {u"d", u"[a-c]", false},
                 {u"d", u"[!a-c]", true},
                 {u"", u"*", true},
                 {u"", u"", true},
                 {u"a", u"", false},
                 {u"aXb", u"a*b*", true},
                 {u"*", u"[*]", true},
                 {u"abc", u"a**c", true},
                 {u"abcabd", u"*b?", true}};
    for (const Case& c : cases)
        EXPECT_EQ(Like(c.s, c.pattern), c.match) << toUtf8(c.s) << " " << toUtf8(c.pattern);
    EXPECT_TRUE(Like(u"Blockrune.DLL", u"*.dll", vbTextCompare));
    EXPECT_EQ(errorNumberOf([] { Like(u"a", u"[a"); }), 93);
    EXPECT_EQ(errorNumberOf([] { Like(u"", u"[a"); }), 93);
    EXPECT_EQ(errorNumberOf([] { Like(u"x", u"x*[a"); }), 93);
    // Many stars against a long text that almost matches must not take exponential time.
    EXPECT_FALSE(Like(std::u16string(2000, u'a'), u"*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace velmora
