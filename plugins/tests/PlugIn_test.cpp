#include "plugins/PlugIn.h"

#include <gtest/gtest.h>

#include "AddonryTestSupport.h"
#include "component/calls.h"
#include "platform/messagebox.h"

namespace velmora::test {
namespace {

TEST(PlugInTest, TitleIsTheFileNameLessExtensionWithASpaceBeforeEachPiece) {
    const struct {
        std::u16string path;
        std::u16string title;
    } cases[] = {
        {u"Z:\\opt\\Encryption\\Blockrune.dll", u" Blockrune"},
        {u"C:\\p\\Fast_Cipher.dll", u" Fast Cipher"},
        {u"/posix/path/Two__Gaps_.exe", u" Two  Gaps "},
        {u"C:\\p\\_lead.dll", u"  lead"},
        {u"C:\\p\\noext", u" n"},   // the last four characters go, whatever they are
        {u"C:\\p.d\\.dll", u" "},   // nothing left: one empty piece
        {u"Plain.dll", u" Plain"},  // no folder at all
    };
    for (const auto& c : cases) {
        auto plugIn = makeObject<PlugIn>();
        plugIn->setPlugInFile(c.path);
        EXPECT_EQ(plugIn->Title(), c.title) << toUtf8(c.path);
        EXPECT_EQ(plugIn->PlugInFile(), c.path);
        EXPECT_FALSE(plugIn->Loaded());
    }
}

TEST(PlugInTest, ANameTooShortForAnExtensionIsAnInvalidArgumentButThePathIsKept) {
    auto plugIn = makeObject<PlugIn>();
    const auto error = errorOf([&] { plugIn->setPlugInFile(u"C:\\dir\\abc"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::InvalidProcedureCall);
    EXPECT_EQ(plugIn->PlugInFile(), u"C:\\dir\\abc");
}

TEST(PlugInTest, LoadWithoutAnyFileRaisesErrorOne) {
    auto plugIn = makeObject<PlugIn>();
    std::u16string none;
    const auto error = errorOf([&] { plugIn->Load(none); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1);
    EXPECT_EQ(error->description(), u"Invalid plugin File: No file specified");
    EXPECT_EQ(error->source(), u"PlugIn:PlugInLoad");
    EXPECT_FALSE(plugIn->Loaded());
}

TEST(PlugInTest, LoadRegistersAndCreatesMainUnloadReleasesAndUnregisters) {
    MessageBoxRecorder boxes;
    const fs::path file = freshFolder() / "Steady.dll";
    placePlugIn("Steady", file);
    auto plugIn = makeObject<PlugIn>();
    plugIn->setPlugInFile(u"C:\\stale\\Other_Name.dll");
    std::u16string path = u16(file);
    EXPECT_TRUE(plugIn->Load(path));
    EXPECT_TRUE(plugIn->Loaded());
    EXPECT_EQ(plugIn->PlugInFile(), path);
    EXPECT_EQ(plugIn->Title(), u" Other Name");  // Load stores the path as it is, without a new title
    ASSERT_TRUE(plugIn->obj());
    EXPECT_EQ(getProperty(plugIn->obj(), u"MethodName").toString(), u"Steady test method");
    EXPECT_TRUE(isRegistered(u"Steady.Main"));

    plugIn->Unload();
    EXPECT_FALSE(plugIn->obj());
    EXPECT_FALSE(plugIn->Loaded());
    EXPECT_FALSE(isRegistered(u"Steady.Main"));
    EXPECT_TRUE(boxes.messages().empty());
}

TEST(PlugInTest, ReleasingALoadedEntryUnregistersItsFile) {
    const fs::path file = freshFolder() / "Steady.dll";
    placePlugIn("Steady", file);
    {
        auto plugIn = makeObject<PlugIn>();
        std::u16string path = u16(file);
        plugIn->Load(path);
        ASSERT_TRUE(isRegistered(u"Steady.Main"));
    }
    EXPECT_FALSE(isRegistered(u"Steady.Main"));
}

TEST(PlugInTest, ObjIsStoredAsGivenIncludingNothing) {
    auto plugIn = makeObject<PlugIn>();
    auto other = makeObject<PlugIn>();
    setProperty(plugIn, u"obj", other);
    EXPECT_EQ(plugIn->obj(), ObjectRef(other));
    setProperty(plugIn, u"obj", Variant::nothing());
    EXPECT_FALSE(plugIn->obj());
    EXPECT_FALSE(getProperty(plugIn, u"Loaded").toBool());
}

// Each failing load: which message boxes appear, the error raised, and what stays registered.
TEST(PlugInTest, FailedLoadsRaiseAfterTheRegistrationAttempt) {
    const struct {
        const char* builtName;
        const char* fileName;
        bool boxShown;
        std::int32_t error;
        const char16_t* stillRegistered;
    } cases[] = {
        {"Noentry", "Noentry.dll", true, err::CantCreateObject, nullptr},
        {"Misnamed", "Misnamed.dll", false, err::CantCreateObject, u"Elsewhere.Main"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        MessageBoxRecorder boxes;
        const fs::path file = freshFolder() / c.fileName;
        placePlugIn(c.builtName, file);
        auto plugIn = makeObject<PlugIn>();
        std::u16string path = u16(file);
        const auto error = errorOf([&] { plugIn->Load(path); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), c.error);
        EXPECT_FALSE(plugIn->Loaded());
        EXPECT_FALSE(plugIn->obj());
        const auto shown = boxes.messages();
        ASSERT_EQ(shown.size(), c.boxShown ? 1u : 0u);
        if (c.boxShown) {
            EXPECT_EQ(shown[0].text, "Could not register");
            EXPECT_EQ(shown[0].caption, "Addonry");
            EXPECT_EQ(shown[0].type, MB_OK);
        }
        if (c.stillRegistered) {
            EXPECT_TRUE(isRegistered(c.stillRegistered));
        }
    }
}

TEST(PlugInTest, APathWithoutAFolderFailsAfterTheRegistrationAttempt) {
    MessageBoxRecorder boxes;
    auto plugIn = makeObject<PlugIn>();
    std::u16string bare = u"Absent.dll";
    const auto error = errorOf([&] { plugIn->Load(bare); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::InvalidProcedureCall);
    EXPECT_EQ(boxes.messages().size(), 1u);  // the registration of a file that is not there
    EXPECT_FALSE(plugIn->Loaded());
}

TEST(PlugInTest, UnloadingAnUnregistrableFileShowsTheMessageAndGoesOn) {
    MessageBoxRecorder boxes;
    const fs::path file = freshFolder() / "Noentry.dll";
    placePlugIn("Noentry", file);
    auto plugIn = makeObject<PlugIn>();
    plugIn->setPlugInFile(u16(file));
    plugIn->Unload();
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].text, "Could not register");
    EXPECT_FALSE(plugIn->Loaded());
}

}  // namespace
}  // namespace velmora::test
