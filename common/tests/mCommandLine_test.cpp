#include "common/mCommandLine.h"

#include <gtest/gtest.h>

#include "common/CommandLine.h"
#include "common/mPublic.h"
#include "runtime/Error.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

TEST(mCommandLineTest, KeepsOneListForTheProgram) {
    const char* argv[] = {"prog", "/v", "C:\\My Files\\a b.zqf", nullptr};
    mCommandLine::setProcessArguments(3, argv);
    const auto& list = mCommandLine::parseCommandLine();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(mCommandLine::argumentCount(), 3);
    EXPECT_EQ(mCommandLine::argument(0), programPath());
    EXPECT_EQ(mCommandLine::argument(1), u"/v");
    EXPECT_EQ(mCommandLine::argument(2), u"C:\\My Files\\a b.zqf");
    EXPECT_EQ(test::errorNumberOf([] { mCommandLine::argument(3); }), err::SubscriptOutOfRange);

    mCommandLine::parseCommandLine(u"a \"b c\"");
    EXPECT_EQ(mCommandLine::argumentCount(), 2);
    EXPECT_EQ(mCommandLine::argument(1), u"b c");
}

// A drop-down list kept in memory, as a form's adapter keeps it in its control.
class ItemList final : public ListControl {
  public:
    std::int32_t addItem(std::u16string_view text) override {
        texts.emplace_back(text);
        values.push_back(0);
        return static_cast<std::int32_t>(texts.size() - 1);
    }
    void setItemData(std::int32_t index, std::int32_t value) override {
        values.at(static_cast<std::size_t>(index)) = value;
    }
    std::vector<std::u16string> texts;
    std::vector<std::int32_t> values;
};

TEST(mPublicTest, FillListAppendsEntriesWithTheirValues) {
    ItemList list;
    EXPECT_TRUE(mPublic::fillList(list, u"Rijndael 256", 1));
    EXPECT_TRUE(mPublic::fillList(list, u"", 2));
    EXPECT_TRUE(mPublic::fillList(list, u"Rijndael 256", -32768));
    EXPECT_EQ(list.texts, (std::vector<std::u16string>{u"Rijndael 256", u"", u"Rijndael 256"}));
    EXPECT_EQ(list.values, (std::vector<std::int32_t>{1, 2, -32768}));
}

}  // namespace
}  // namespace velmora
