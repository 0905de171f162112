// MRUObject: order, capacity, the stored layout and the Save / Load round trip.
#include <gtest/gtest.h>

#include "HivekeepTestSupport.h"
#include "MRUObject.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr char kPath[] = "Software\\Velmora\\MRUTest";

std::vector<std::u16string> entriesOf(MRUObject& mru) {
    std::vector<std::u16string> entries;
    for (std::int16_t i = 1; i <= mru.Count(); ++i) entries.push_back(mru.Item(i));
    return entries;
}

bool add(MRUObject& mru, std::u16string name) {
    return mru.AddNew(name);
}

using Names = std::vector<std::u16string>;

class MRUTest : public ::testing::Test {
  protected:
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPath); }
    Ref<MRUObject> mru = makeObject<MRUObject>();
    std::u16string path = fromUtf8(kPath);
};

TEST_F(MRUTest, MostRecentFirstAndRepeatsMoveUp) {
    EXPECT_EQ(mru->MaxEntries(), 10);
    for (const char16_t* name : {u"a", u"b", u"c"}) EXPECT_TRUE(add(*mru, name));
    EXPECT_EQ(entriesOf(*mru), (Names{u"c", u"b", u"a"}));
    EXPECT_TRUE(add(*mru, u"a"));
    EXPECT_EQ(entriesOf(*mru), (Names{u"a", u"c", u"b"}));
    EXPECT_TRUE(add(*mru, u"A"));  // names compare exactly
    EXPECT_EQ(mru->Count(), 4);
    EXPECT_FALSE(add(*mru, u""));
    EXPECT_EQ(mru->Count(), 4);
}

TEST_F(MRUTest, CapacityIsOneBelowMaxEntries) {
    mru->setMaxEntries(3);
    for (const char16_t* name : {u"a", u"b", u"c"}) add(*mru, name);
    EXPECT_EQ(entriesOf(*mru), (Names{u"c", u"b"}));
    auto full = makeObject<MRUObject>();
    for (int i = 0; i < 20; ++i) add(*full, u"f" + fromUtf8(std::to_string(i)));
    EXPECT_EQ(full->Count(), 9);
    std::int16_t first = 1;
    EXPECT_EQ(full->Item(first), u"f19");
}

TEST_F(MRUTest, NoRoomBelowTwo) {
    for (std::int16_t max : {1, 0, -3}) {
        auto small = makeObject<MRUObject>();
        small->setMaxEntries(max);
        EXPECT_FALSE(add(*small, u"a")) << max;
        EXPECT_EQ(small->Count(), 0);
    }
    add(*mru, u"a");
    add(*mru, u"b");
    mru->setMaxEntries(1);
    EXPECT_TRUE(add(*mru, u"a"));  // a known name still moves up
    EXPECT_FALSE(add(*mru, u"c"));
    EXPECT_EQ(entriesOf(*mru), (Names{u"a", u"b"}));
}

TEST_F(MRUTest, ItemOutsideTheListIsAnIndexError) {
    add(*mru, u"a");
    for (std::int16_t index : {0, 2, -1}) {
        EXPECT_EQ(errorNumberOf([&] { mru->Item(index); }), 9) << index;
    }
}

TEST_F(MRUTest, SaveWritesTheDocumentedLayoutAndLoadRestoresIt) {
    mru->setMaxEntries(5);
    for (const char16_t* name : {u"one", u"two", u"thr\u00e9e"}) add(*mru, name);
    EXPECT_TRUE(mru->Save(path));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kPath, "mruMaxEntries"), (RawValue{REG_BINARY, {5}}));
    // A NUL, every name followed by a NUL, two more NULs; the names in UTF-8.
    const std::string stored =
        std::string(1, '\0') + "thr\xC3\xA9" + "e" + '\0' + "two" + '\0' + "one" + '\0' + '\0' + '\0';
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kPath, "mru"), (RawValue{REG_SZ, bytes(stored)}));

    auto loaded = makeObject<MRUObject>();
    loaded->Load(path);
    EXPECT_EQ(loaded->MaxEntries(), 5);
    EXPECT_EQ(entriesOf(*loaded), entriesOf(*mru));
}

TEST_F(MRUTest, LoadDefaultsAndLargeCapacity) {
    auto loaded = makeObject<MRUObject>();
    loaded->setMaxEntries(4);
    add(*loaded, u"stale");
    std::u16string missing = u"Software\\Velmora\\MRUTest\\Nothing";
    loaded->Load(missing);
    EXPECT_EQ(loaded->MaxEntries(), 10);
    EXPECT_EQ(loaded->Count(), 0);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Velmora\\MRUTest\\Nothing");

    mru->setMaxEntries(300);
    EXPECT_TRUE(mru->Save(path));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kPath, "mruMaxEntries")->type, REG_DWORD);
    loaded->Load(path);
    EXPECT_EQ(loaded->MaxEntries(), 300);
    EXPECT_EQ(loaded->Count(), 0);

    writeRaw(HKEY_LOCAL_MACHINE, kPath, "mruMaxEntries", REG_DWORD, {0x70, 0x11, 0x01, 0});  // 70000
    writeRaw(HKEY_LOCAL_MACHINE, kPath, "mru", REG_MULTI_SZ, bytes(std::string("x\0\0", 3)));
    loaded->Load(path);
    EXPECT_EQ(loaded->MaxEntries(), 10);
    EXPECT_EQ(loaded->Count(), 0);
}

TEST_F(MRUTest, SaveReportsARefusedWrite) {
    std::u16string bad = u"\\leading\\backslash";
    EXPECT_FALSE(mru->Save(bad));
}

}  // namespace
