#include "plugins/PlugIns.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <vector>

#include "AddonryTestSupport.h"
#include "component/calls.h"
#include "platform/messagebox.h"

namespace velmora::test {
namespace {

std::vector<std::u16string> filesOf(const PlugIns& plugIns) {
    std::vector<std::u16string> files;
    for (std::int32_t i = 1; i <= plugIns.Count(); ++i) {
        Variant index(i);
        files.push_back(plugIns.Item(index)->PlugInFile());
    }
    return files;
}

void load(PlugIns& plugIns, const fs::path& folder) {
    std::u16string path = u16(folder);
    plugIns.Load(path);
}

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "not a plug-in";
}

TEST(PlugInsTest, ScanTakesExactLowerCaseSuffixesAndWalksSubfoldersAfterwards) {
    const fs::path root = freshFolder();
    placePlugIn("a", root / "a.dll");
    placePlugIn("Steady", root / "b.DLL");
    touch(root / "c.txt");
    placePlugIn("d", root / "sub" / "d.exe");
    auto plugIns = makeObject<PlugIns>();
    load(*plugIns, root);

    const std::u16string base = u16(root) + u"\\";
    EXPECT_EQ(filesOf(*plugIns), (std::vector<std::u16string>{base + u"a.dll", base + u"sub\\d.exe"}));
    for (std::int32_t i = 1; i <= 2; ++i) {
        Variant index(i);
        EXPECT_TRUE(plugIns->Item(index)->Loaded());
    }
    Variant second(2);
    EXPECT_EQ(plugIns->Item(second)->Title(), u" d");
    EXPECT_TRUE(isRegistered(u"a.Main"));
    EXPECT_TRUE(isRegistered(u"d.Main"));
}

TEST(PlugInsTest, ScanIsBreadthFirstWhateverTheListingOrder) {
    // "aa" lists before "Steady.dll", but files of a folder come before those of its subfolders.
    const fs::path root = freshFolder();
    placePlugIn("Steady", root / "Steady.dll");
    placePlugIn("a", root / "aa" / "a.dll");
    placePlugIn("d", root / "aa" / "bb" / "d.dll");
    auto plugIns = makeObject<PlugIns>();
    load(*plugIns, root);
    const std::u16string base = u16(root) + u"\\";
    EXPECT_EQ(filesOf(*plugIns), (std::vector<std::u16string>{base + u"Steady.dll", base + u"aa\\a.dll",
                                                              base + u"aa\\bb\\d.dll"}));
}

TEST(PlugInsTest, HiddenEntriesAndLinksBackUpTheTreeAreNotWalked) {
    const fs::path root = freshFolder();
    placePlugIn("a", root / "a.dll");
    placePlugIn("d", root / ".hidden.dll");
    placePlugIn("d", root / ".sub" / "d.dll");
    fs::create_directory_symlink(root, root / "loop");
    auto plugIns = makeObject<PlugIns>();
    load(*plugIns, root);
    EXPECT_EQ(filesOf(*plugIns), std::vector<std::u16string>{u16(root) + u"\\a.dll"});
}

TEST(PlugInsTest, EmptyOrMissingFolderAddsNothing) {
    const fs::path root = freshFolder();
    auto plugIns = makeObject<PlugIns>();
    std::u16string kept = u"C:\\kept.dll";
    ObjectRef none;
    std::u16string noKey;
    plugIns->Add(kept, none, noKey);
    for (const std::u16string& folder : {std::u16string(), u16(root / "absent"), u16(root)}) {
        std::u16string path = folder;
        plugIns->Load(path);
        EXPECT_EQ(plugIns->Count(), 1);
    }
}

TEST(PlugInsTest, LoadingTwiceListsEveryPlugInTwiceAndReleaseUnregistersAll) {
    const fs::path root = freshFolder();
    placePlugIn("a", root / "a.dll");
    placePlugIn("d", root / "sub" / "d.exe");
    {
        auto plugIns = makeObject<PlugIns>();
        load(*plugIns, root);
        load(*plugIns, root);
        EXPECT_EQ(plugIns->Count(), 4);
        const auto files = filesOf(*plugIns);
        EXPECT_EQ(files[0], files[2]);
        EXPECT_EQ(files[1], files[3]);
        Variant first(1);
        Variant third(3);
        EXPECT_NE(plugIns->Item(first)->obj(), plugIns->Item(third)->obj());
    }
    EXPECT_FALSE(isRegistered(u"a.Main"));
    EXPECT_FALSE(isRegistered(u"d.Main"));
}

TEST(PlugInsTest, ClearReleasesTheEntriesAndUnregistersTheirFiles) {
    const fs::path root = freshFolder();
    placePlugIn("Steady", root / "Steady.dll");
    auto plugIns = makeObject<PlugIns>();
    load(*plugIns, root);
    ASSERT_TRUE(isRegistered(u"Steady.Main"));
    call(plugIns, u"Clear");
    EXPECT_EQ(plugIns->Count(), 0);
    EXPECT_FALSE(isRegistered(u"Steady.Main"));
}

TEST(PlugInsTest, AFailingFileEndsTheScanAndKeepsTheEntriesSoFar) {
    MessageBoxRecorder boxes;
    const fs::path root = freshFolder();
    placePlugIn("a", root / "a.dll");
    placePlugIn("Misnamed", root / "Misnamed.dll");
    placePlugIn("Steady", root / "z.dll");
    placePlugIn("d", root / "sub" / "d.dll");
    auto plugIns = makeObject<PlugIns>();
    const auto error = errorOf([&] { load(*plugIns, root); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::CantCreateObject);
    ASSERT_EQ(plugIns->Count(), 2);
    Variant first(1);
    Variant second(2);
    EXPECT_TRUE(plugIns->Item(first)->Loaded());
    EXPECT_FALSE(plugIns->Item(second)->Loaded());
    EXPECT_EQ(plugIns->Item(second)->PlugInFile(), u16(root) + u"\\Misnamed.dll");
    EXPECT_FALSE(isRegistered(u"d.Main"));
}

TEST(PlugInsTest, ALibraryWithoutEntryPointsIsReportedThenFailsToCreate) {
    MessageBoxRecorder boxes;
    const fs::path root = freshFolder();
    placePlugIn("Noentry", root / "Noentry.dll");
    auto plugIns = makeObject<PlugIns>();
    const auto error = errorOf([&] { load(*plugIns, root); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::CantCreateObject);
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].text, "Could not register");
    EXPECT_EQ(plugIns->Count(), 1);
}

TEST(PlugInsTest, TheRealBlockrunePlugInLoads) {
    auto plugIns = makeObject<PlugIns>();
    load(*plugIns, fs::path(VELMORA_BLOCKRUNE_PATH).parent_path());
    ASSERT_GE(plugIns->Count(), 1);
    Variant first(1);
    const Ref<PlugIn> entry = plugIns->Item(first);
    EXPECT_EQ(entry->Title(), u" Blockrune");
    EXPECT_EQ(getProperty(entry->obj(), u"MethodName").toString(), u"256 bit - Rinjdael - AES");
}

TEST(PlugInsTest, AddItemRemoveAndEnumerate) {
    auto plugIns = makeObject<PlugIns>();
    std::u16string file = u"C:\\m\\One.dll";
    std::u16string key = u"first";
    std::u16string noKey;
    ObjectRef none;
    ObjectRef given = makeObject<PlugIns>();
    const Ref<PlugIn> keyed = plugIns->Add(file, given, key);
    const Ref<PlugIn> plain = plugIns->Add(file, none, noKey);
    EXPECT_FALSE(keyed->Loaded());
    EXPECT_EQ(keyed->obj(), given);
    EXPECT_EQ(plugIns->Count(), 2);

    Variant byKey(u"FIRST");
    EXPECT_EQ(plugIns->Item(byKey), keyed);
    EXPECT_EQ(getProperty(plugIns, u"", 2).toObject(), ObjectRef(plain));  // Item is the default member

    const ObjectRef items = getProperty(plugIns, u"NewEnum").toObject();
    EXPECT_EQ(call(items, u"Next").toObject(), ObjectRef(keyed));
    EXPECT_EQ(call(items, u"Next").toObject(), ObjectRef(plain));
    EXPECT_FALSE(call(items, u"Next").toObject());

    const struct {
        const char* what;
        std::function<void()> action;
        std::int32_t error;
    } misuse[] = {
        {"position 0",
         [&] {
             Variant i(0);
             plugIns->Item(i);
         },
         err::SubscriptOutOfRange},
        {"position 3",
         [&] {
             Variant i(3);
             plugIns->Remove(i);
         },
         err::SubscriptOutOfRange},
        {"unknown key",
         [&] {
             Variant k(u"none");
             plugIns->Item(k);
         },
         err::InvalidProcedureCall},
        {"key in use", [&] { plugIns->Add(file, none, key); }, err::KeyAlreadyAssociated},
    };
    for (const auto& m : misuse) {
        const auto error = errorOf(m.action);
        ASSERT_TRUE(error) << m.what;
        EXPECT_EQ(error->number(), m.error) << m.what;
    }
    EXPECT_EQ(plugIns->Count(), 2);
    plugIns->Remove(byKey);
    Variant first(1);
    EXPECT_EQ(plugIns->Item(first), plain);
}

}  // namespace
}  // namespace velmora::test
