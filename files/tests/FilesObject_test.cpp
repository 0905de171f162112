// FilesObject searches on real folder trees: order, events, stop rule and accumulation.
#include <gtest/gtest.h>

#include "DiskwareTestSupport.h"
#include "FilesObject.h"
#include "component/CallbackSink.h"

using namespace velmora;
using namespace velmora::test;

namespace {

class FilesSearch : public DiskwareTest {
  protected:
    void SetUp() override {
        DiskwareTest::SetUp();
        connectEvents(ObjectRef(m_files),
                      makeObject<CallbackSink>([this](std::u16string_view name, std::span<Variant> args) {
                          if (name == u"Completed") {
                              m_events.push_back("Completed");
                              return;
                          }
                          const std::u16string found = args[0].toString();
                          m_events.push_back(toUtf8(found.substr(suite("").size())));
                          if (m_onFound) m_onFound(args);
                      }));
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= m_files->Count(); ++i) {
            Variant index(i);
            out.push_back(toUtf8(m_files->Item(index)->FileName().substr(suite("").size())));
        }
        return out;
    }

    Ref<FilesObject> m_files = makeObject<FilesObject>();
    std::vector<std::string> m_events;
    std::function<void(std::span<Variant>)> m_onFound;
};

TEST_F(FilesSearch, MatchesOfAFolderComeBeforeThoseOfItsSubfolders) {
    write("t/a.txt", "");
    write("t/s/b.txt", "");
    write("t/s/u/c.txt", "");
    write("t/r/d.txt", "");
    write("t/.hidden/e.txt", "");  // folders starting with a dot are not searched
    write("t/z.doc", "");
    EXPECT_TRUE(m_files->Find(suite("t\\"), u"*.txt"));
    EXPECT_EQ(m_events, (std::vector<std::string>{"t\\a.txt", "t\\r\\d.txt", "t\\s\\b.txt", "t\\s\\u\\c.txt",
                                                  "Completed"}));
    EXPECT_EQ(m_files->Count(), 4);
    EXPECT_FALSE(m_files->Searching());

    EXPECT_TRUE(m_files->Find());  // again: results accumulate
    EXPECT_EQ(m_files->Count(), 8);
    EXPECT_EQ(names()[4], "t\\a.txt");
}

TEST_F(FilesSearch, StarDotStarAddsDotEntriesAndFolders) {
    write("t/a.txt", "");
    write("t/s/b.txt", "");
    EXPECT_TRUE(m_files->Find(suite("t\\"), u"*.*"));
    EXPECT_EQ(names(), (std::vector<std::string>{"t\\.", "t\\..", "t\\a.txt", "t\\s", "t\\s\\.", "t\\s\\..",
                                                 "t\\s\\b.txt"}));
}

TEST_F(FilesSearch, PathWithoutSeparatorMatchesNamesInItsParent) {
    write("t/a.txt", "");
    write("tx.txt", "");
    EXPECT_TRUE(m_files->Find(suite("t"), u"*.txt"));           // searches ...\t*.txt
    EXPECT_EQ(names(), (std::vector<std::string>{"ttx.txt"}));  // the entry is the path text + the name
}

TEST_F(FilesSearch, CancelStopsTheWalkAndCompletedStillComes) {
    write("t/a.txt", "");
    write("t/b.txt", "");
    write("t/s/c.txt", "");
    m_onFound = [](std::span<Variant> args) { args[1] = Variant(true); };
    EXPECT_TRUE(m_files->Find(suite("t\\"), u"*.txt"));
    EXPECT_EQ(m_events, (std::vector<std::string>{"t\\a.txt", "Completed"}));
    EXPECT_EQ(m_files->Count(), 1);
}

TEST_F(FilesSearch, FindDuringASearchStopsItAndReturnsFalse) {
    write("t/a.txt", "");
    write("t/b.txt", "");
    bool inner = true;
    m_onFound = [&](std::span<Variant>) { inner = m_files->Find(); };
    EXPECT_TRUE(m_files->Find(suite("t\\"), u"*.txt"));
    EXPECT_FALSE(inner);
    EXPECT_EQ(m_files->Count(), 1);
}

TEST_F(FilesSearch, EmptyPathOrPatternAndMissingFolders) {
    EXPECT_FALSE(makeObject<FilesObject>()->Find(u"", u"*.txt"));
    EXPECT_FALSE(m_files->Find(suite("t\\")));  // Path is kept from here on
    EXPECT_TRUE(m_events.empty());
    EXPECT_TRUE(m_files->Find(suite("missing\\"), u"*.txt"));
    EXPECT_EQ(m_events, (std::vector<std::string>{"Completed"}));
}

TEST_F(FilesSearch, CollectionByPositionAndKey) {
    m_files->Add(u"C:\\one", u"k1");
    m_files->Add(u"C:\\two");
    Variant key(u"K1");
    EXPECT_EQ(m_files->Item(key)->FileName(), u"C:\\one");
    Variant outside(std::int32_t(3));
    EXPECT_EQ(errorNumberOf([&] { m_files->Item(outside); }), 9);
    Variant unknown(u"nope");
    EXPECT_EQ(errorNumberOf([&] { m_files->Item(unknown); }), 5);
    EXPECT_EQ(errorNumberOf([&] { m_files->Add(u"C:\\three", u"k1"); }), 457);
    auto enumerator = ArgTraits<Ref<Enumerator>>::fromVariant(Variant(m_files->NewEnum()));
    EXPECT_TRUE(enumerator->Next().isObject());
    EXPECT_TRUE(enumerator->Next().isObject());
    EXPECT_FALSE(enumerator->Next().toObject());
    m_files->Remove(key);
    EXPECT_EQ(m_files->Count(), 1);
}

}  // namespace
