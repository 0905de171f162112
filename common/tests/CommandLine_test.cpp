#include "common/CommandLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

using Elements = std::vector<std::u16string>;

struct SplitCase {
    const char16_t* text;
    Elements elements;
};

// Test names stay the same from run to run (the default printer shows the case's bytes, pointers included).
void PrintTo(const SplitCase& splitCase, std::ostream* out) {
    *out << splitCase.elements.size() << " elements";
}

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, GivesTheElements) {
    EXPECT_EQ(CommandLine::split(GetParam().text), GetParam().elements) << toUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitTest,
    ::testing::Values(
        // A switch, a quoted path with blanks and a plain path.
        SplitCase{uR"(/e "C:\My Files\a.doc" C:\b.txt)", {u"/e", uR"(C:\My Files\a.doc)", uR"(C:\b.txt)"}},
        SplitCase{u"", {}}, SplitCase{u"     ", {}}, SplitCase{u"a", {u"a"}},
        // Runs of blanks make no empty elements.
        SplitCase{u"   a    b   ", {u"a", u"b"}},
        // Quoted: without the quotes; unterminated: the rest as it stands.
        SplitCase{u"\"a b\"", {u"a b"}}, SplitCase{u"\"a  b", {u"a  b"}},
        SplitCase{u"x \"a  b  ", {u"x", u"a  b"}}, SplitCase{u"\"\"", {u""}},
        SplitCase{u"\"\" a", {u"", u"a"}}, SplitCase{u"\"", {u""}}, SplitCase{u"a \"", {u"a", u""}},
        SplitCase{u"\"\"\"\"", {u"", u""}},
        // After a closing quote a new element starts.
        SplitCase{u"\"a b\"c d", {u"a b", u"c", u"d"}},
        // Text with a quoted part keeps its quotes.
        SplitCase{u"/x:\"a b\" c", {u"/x:\"a b\"", u"c"}},
        SplitCase{u"/x:\"a b\"c d", {u"/x:\"a b\"", u"c", u"d"}}, SplitCase{u"a\"\" b", {u"a\"\"", u"b"}},
        SplitCase{u"a b\"c d\"", {u"a", u"b\"c d\""}},
        // Unterminated after some text: nothing is dropped.
        SplitCase{u"ab\"c d", {u"ab\"c d"}}, SplitCase{u"x ab\"c  d ", {u"x", u"ab\"c  d"}},
        // No blank: the whole rest, quotes and all.
        SplitCase{u"a\"b", {u"a\"b"}},
        // Tabs are ordinary characters; case is kept.
        SplitCase{u"a\tb", {u"a\tb"}}, SplitCase{u"a\t b\t", {u"a\t", u"b\t"}}, SplitCase{u"\t", {u"\t"}},
        SplitCase{u"/E C:\\x", {u"/E", u"C:\\x"}}),
    [](const auto& tested) { return "case" + std::to_string(tested.index); });

// Whatever the text, every character other than blanks and quotes reaches an element, in order.
TEST(CommandLineTest, SplitNeverLosesText) {
    std::mt19937 random(16);
    const std::u16string alphabet = u"ab \"\t";
    for (int round = 0; round < 20000; ++round) {
        std::u16string text(random() % 24, u' ');
        for (auto& c : text) c = alphabet[random() % alphabet.size()];
        std::u16string kept, joined;
        for (char16_t c : text)
            if (c != u' ' && c != u'"') kept += c;
        for (const auto& element : CommandLine::split(text))
            for (char16_t c : element)
                if (c != u' ' && c != u'"') joined += c;
        ASSERT_EQ(joined, kept) << toUtf8(text);
    }
}

// Long texts split in linear time: a quadratic split would run for minutes on these.
TEST(CommandLineTest, LongTextsSplit) {
    std::u16string words;
    for (int i = 0; i < 400000; ++i) words += u"ab ";
    EXPECT_EQ(CommandLine::split(words).size(), 400000u);

    const std::u16string quotes(1000001, u'"');
    EXPECT_EQ(CommandLine::split(quotes).size(), 500001u);

    std::u16string open = u"a\"" + words;
    const auto elements = CommandLine::split(open);
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(elements[0], u"a\"" + words.substr(0, words.size() - 1));

    std::u16string blanks(1000000, u' ');
    EXPECT_TRUE(CommandLine::split(blanks + u"x" + blanks).size() == 1);
}

TEST(CommandLineTest, GivenTextCountsFromZero) {
    CommandLine commandLine;
    commandLine.parse(uR"(/e "C:\My Files\a.doc" C:\b.txt)");
    EXPECT_EQ(commandLine.count(), 3);
    EXPECT_EQ(commandLine.argument(0), u"/e");
    EXPECT_EQ(commandLine.argument(2), uR"(C:\b.txt)");
    // A text of blanks is given text: no elements, not the process's line.
    commandLine.parse(u"   ");
    EXPECT_EQ(commandLine.count(), 0);
}

TEST(CommandLineTest, IndexOutsideTheListIsError9) {
    CommandLine commandLine;
    for (std::int32_t index : {-1, 0, 1})
        EXPECT_EQ(test::errorNumberOf([&] { commandLine.argument(index); }), err::SubscriptOutOfRange)
            << index;
    commandLine.parse(u"a b");
    for (std::int32_t index : {2, -32768})
        EXPECT_EQ(test::errorNumberOf([&] { commandLine.argument(index); }), err::SubscriptOutOfRange)
            << index;
    EXPECT_EQ(commandLine.argument(1), u"b");
}

TEST(CommandLineTest, ProgramPathNamesTheProgramWithExe) {
    const std::u16string path = programPath();
    const std::u16string suffix = u"\\common_tests.exe";
    ASSERT_GT(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
    EXPECT_EQ(path.find(u"\\\\"), std::u16string::npos);
}

// The process's arguments arrive split; each stays one element exactly as the system gave it.
TEST(CommandLineTest, ProcessArgumentsAreTakenAsTheyAre) {
    const std::vector<std::string> given = {"/e",
                                            "\"quoted\" name.txt",
                                            "two  blanks",
                                            " lead and trail ",
                                            "",
                                            "caf\xe9.txt",
                                            "\xff\xfe\x80",
                                            "ok \xc3\xa9 \xf0\x9f\x98\x80",
                                            "tab\there",
                                            "a\"b c"};
    std::vector<const char*> argv = {"/somewhere/Sealdesk.exe"};
    for (const auto& argument : given) argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    CommandLine commandLine;
    commandLine.setProcessArguments(processArguments(static_cast<int>(given.size() + 1), argv.data()));
    commandLine.parse();
    ASSERT_EQ(commandLine.count(), static_cast<std::int32_t>(given.size() + 1));
    EXPECT_EQ(commandLine.argument(0), programPath());
    for (std::size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(toUtf8(commandLine.argument(static_cast<std::int32_t>(i + 1))), given[i]) << i;
    EXPECT_EQ(commandLine.argument(8), u"ok é 😀");

    // Without arguments the list holds the program's path alone.
    commandLine.setProcessArguments({});
    commandLine.parse();
    EXPECT_EQ(commandLine.count(), 1);
    EXPECT_EQ(processArguments(0, nullptr).size(), 0u);
}

// Indexes beyond 16 bits reach their elements.
TEST(CommandLineTest, EveryElementOfALongListIsReachable) {
    std::vector<std::u16string> many(40000);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = fromUtf8(std::to_string(i));
    CommandLine commandLine;
    commandLine.setProcessArguments(many);
    commandLine.parse();
    ASSERT_EQ(commandLine.count(), 40001);
    EXPECT_EQ(commandLine.argument(40000), u"39999");
    EXPECT_EQ(commandLine.argument(32768), u"32767");
}

}  // namespace
}  // namespace velmora
