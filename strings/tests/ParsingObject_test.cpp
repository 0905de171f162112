// ParsingObject.StrSplit: the examples, case modes, the 16-bit piece limit and the late-bound default.
#include <gtest/gtest.h>

#include <vector>

#include "TextkitTestSupport.h"
#include "component/calls.h"
#include "strings/ParsingObject.h"

using namespace velmora;
using velmora::test::errorNumberOf;

namespace {

std::vector<std::u16string> piecesOf(const Variant& array) {
    EXPECT_TRUE(array.isArray());
    EXPECT_EQ(array.type(), VarType::Variant);
    EXPECT_EQ(array.lbound(), 0);
    std::vector<std::u16string> pieces;
    for (const Variant& item : array.arrayRef().items()) pieces.push_back(item.stringRef());
    return pieces;
}

std::vector<std::u16string> split(std::u16string text, std::u16string on, std::int32_t compare = 0) {
    auto obj = makeObject<ParsingObject>();
    return piecesOf(obj->StrSplit(std::move(text), on, compare));
}

using Pieces = std::vector<std::u16string>;

TEST(ParsingObject, StrSplitExamples) {
    struct Case {
        std::u16string text, on;
        std::int32_t compare;
        Pieces pieces;
    };
    const Case cases[] = {
        {u"a_b__c", u"_", 0, {u"a", u"b", u"", u"c"}},
        {u"abc", u"_", 0, {u"abc"}},
        {u"", u"_", 0, {u""}},
        {u"A_b", u"a", 1, {u"", u"_b"}},
        {u"A_b", u"a", 0, {u"A_b"}},
        {u"x--y", u"--", 0, {u"x", u"y"}},
        {u"x---y", u"--", 0, {u"x", u"-y"}},
        {u"_", u"_", 0, {u"", u""}},
        {u"Blockrune_AES_256", u"_", 0, {u"Blockrune", u"AES", u"256"}},
        {u"ab", u"abc", 0, {u"ab"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split(c.text, c.on, c.compare), c.pieces) << toUtf8(c.text);
}

TEST(ParsingObject, PieceCounterLimit) {
    const Pieces most = split(std::u16string(32767, u','), u",");
    EXPECT_EQ(most.size(), 32768u);
    EXPECT_EQ(errorNumberOf([] { split(std::u16string(32768, u','), u","); }), 6);
    EXPECT_EQ(errorNumberOf([] { split(u"abc", u""); }), 6);
    EXPECT_EQ(errorNumberOf([] { split(u"", u""); }), 6);
}

TEST(ParsingObject, LateBoundCompareIsOptionalAndSeparatorUnchanged) {
    ObjectRef obj = makeObject<ParsingObject>();
    Variant separator = u"_";
    EXPECT_EQ(piecesOf(call(obj, u"StrSplit", u"a_b", separator)), (Pieces{u"a", u"b"}));
    EXPECT_EQ(separator, Variant(u"_"));
    EXPECT_EQ(piecesOf(call(obj, u"StrSplit", u"aXb", u"x", std::int32_t{1})), (Pieces{u"a", u"b"}));
    EXPECT_EQ(errorNumberOf([&] { call(obj, u"StrSplit", u"a", u"a", std::int32_t{2}); }), 5);
}

}  // namespace
