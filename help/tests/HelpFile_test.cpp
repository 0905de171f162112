// The suite's Help.chm as built: readable, every topic reachable from the contents, the contents as
// written, the index and the context map pointing at topics that exist, and no link leading nowhere.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "help/HelpContext.h"
#include "ui/ChmFile.h"

using namespace velmora;

namespace {

class HelpFile : public ::testing::Test {
  protected:
    void SetUp() override {
        chm = ChmFile::open(VELMORA_HELP_FILE);
        ASSERT_NE(chm, nullptr);
    }
    std::set<std::string> topics() const {
        std::set<std::string> pages;
        for (const std::string& path : chm->files())
            if (path.ends_with(".htm")) pages.insert(path);
        return pages;
    }
    std::unique_ptr<ChmFile> chm;
};

std::string readSource(const std::string& name) {
    std::ifstream in(std::string(VELMORA_HELP_SOURCE_DIR) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(HelpFile, NamesItsTitleDefaultTopicContentsAndIndex) {
    EXPECT_EQ(chm->title(), "Velmora Help");
    EXPECT_EQ(chm->defaultTopic(), "welcome.htm");
    EXPECT_TRUE(chm->contains(chm->defaultTopic()));
    EXPECT_FALSE(chm->contentsFile().empty());
    EXPECT_FALSE(chm->indexFile().empty());
    EXPECT_EQ(chm->topicTitle("storage.htm"), "What overwriting cannot reach");
}

TEST_F(HelpFile, EveryTopicIsReachableFromTheContentsAsWritten) {
    const auto contents = chm->contents();
    const auto source = parseSiteMap(readSource("contents.hhc"));
    ASSERT_EQ(contents.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        EXPECT_EQ(contents[i].name, source[i].name);
        EXPECT_EQ(contents[i].local, source[i].local);
        EXPECT_EQ(contents[i].level, source[i].level);
    }
    std::set<std::string> reached;
    for (const auto& entry : contents) {
        EXPECT_TRUE(chm->contains(entry.local)) << entry.local;
        reached.insert(entry.local);
    }
    EXPECT_EQ(reached, topics());
}

TEST_F(HelpFile, IndexAndContextIdsLeadToTopics) {
    const auto index = chm->index();
    EXPECT_GE(index.size(), 15u);
    for (const auto& entry : index) EXPECT_TRUE(chm->contains(entry.local)) << entry.name;
    const std::pair<std::int32_t, const char*> windows[] = {
        {helpcontext::kWelcome, "welcome.htm"},   {helpcontext::kEncrypt, "encrypt.htm"},
        {helpcontext::kDecrypt, "decrypt.htm"},   {helpcontext::kEraser, "erase.htm"},
        {helpcontext::kProgress, "progress.htm"}, {helpcontext::kBugReport, "logfile.htm"}};
    for (const auto& [id, topic] : windows) {
        const auto mapped = chm->topicOfContext(static_cast<std::uint32_t>(id));
        ASSERT_TRUE(mapped) << id;
        EXPECT_EQ(*mapped, topic);
    }
    EXPECT_EQ(chm->contextMap().size(), std::size(windows));
    EXPECT_EQ(chm->keywordTopics("WRONG PASSWORD").size(), 1u);
    EXPECT_TRUE(chm->keywordTopics("no such keyword").empty());
}

TEST_F(HelpFile, LinksBetweenTopicsResolve) {
    const std::regex href(R"(href="([^"#:]+)(#[^"]*)?")", std::regex::icase);
    for (const std::string& topic : topics()) {
        const std::string page = chm->read(topic).value_or("");
        for (auto it = std::sregex_iterator(page.begin(), page.end(), href); it != std::sregex_iterator();
             ++it)
            EXPECT_TRUE(chm->contains((*it)[1].str())) << topic << " -> " << (*it)[1].str();
    }
}

TEST_F(HelpFile, SearchFindsTopicsByAllTheirWords) {
    const auto hits = chm->search("flash  COPY-ON-WRITE");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].local, "storage.htm");
    EXPECT_TRUE(chm->search("zebra").empty());
    EXPECT_TRUE(chm->search("   ").empty());
}
