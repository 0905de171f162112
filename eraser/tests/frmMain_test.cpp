// The eraser's window driven headless: its controls and texts, the pass label, the pass selector's
// balloon, which keys and buttons erase and which do not, and the picture in docs/screenshots.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>

#include "EraserTest.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "frmMain.h"
#include "help/HelpEnums.h"
#include "help/ToolTip.h"
#include "platform/storage.h"
#include "ui/DialogDriver.h"
#include "ui/HelpViewer.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"
#include "ui/htmlhelp.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class frmMainTest : public test::EraserTest {
  protected:
    std::vector<std::u16string> arguments(const std::vector<std::string>& names) const {
        std::vector<std::u16string> list{u"Shredwell.exe"};
        for (const std::string& name : names) list.push_back(item(name));
        return list;
    }
    template <class T>
    static T* control(QWidget& form, const char* name) {
        return form.findChild<T*>(name);
    }
    static QPushButton* button(QWidget& form, const QString& caption) {
        for (auto* b : form.findChildren<QPushButton*>("Button1"))
            if (b->text() == caption) return b;
        return nullptr;
    }
    static void key(QWidget* target, int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
    // What the progress object went through while the window ran.
    struct Progress {
        bool initialised = false;           // its range was ever set (Terminate leaves 0..100, new is 0..0)
        std::vector<std::u16string> shown;  // caption and status at each wipe
        bool windowHiddenAtEachWipe = true;
    };
    // Runs the window modally; action runs once it is shown.
    Progress runModal(frmMain& form, const std::function<void(frmMain&)>& action) {
        DialogDriver driver;
        ObjectRef progress;
        Progress seen;
        form.setWipeObserver([&](const std::u16string&) {
            seen.shown.push_back(getProperty(progress, u"FormCaption").toString() + u" / " +
                                 getProperty(progress, u"StatusText").toString());
            seen.windowHiddenAtEachWipe = seen.windowHiddenAtEachWipe && form.isHidden();
        });
        driver.whenShown("Shredwell", [&](QWidget&) {
            progress = form.progressObject();
            action(form);
        });
        form.exec();
        EXPECT_TRUE(driver.done());
        EXPECT_TRUE(form.isHidden());
        seen.initialised = progress && getProperty(progress, u"Max").toLong() != 0;
        return seen;
    }
};

TEST_F(frmMainTest, TheWindowHasThePartsControlsTextsAndPictureAndStartsAtThePassSelector) {
    frmMain form(arguments({}));
    form.show();
    EXPECT_EQ(form.windowTitle(), "Shredwell");
    EXPECT_EQ(
        control<QLabel>(form, "lblCaption")->text(),
        "You have selected to wipe this archive.  NOTE:   ONCE WIPED THE DATA IS COMPLETELY UNRECOVERABLE");
    EXPECT_EQ(control<QLabel>(form, "lblPass")->text(), "pass(es)");
    EXPECT_FALSE(control<QLabel>(form, "Picture1")->pixmap().isNull());
    ASSERT_NE(button(form, "Ok"), nullptr);
    ASSERT_NE(button(form, "Cancel"), nullptr);
    EXPECT_TRUE(button(form, "Ok")->isDefault());
    auto* selector = control<ctlNumberSelect>(form, "ctlNumberSelect1");
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(form.focusWidget(), selector);
}

TEST_F(frmMainTest, ThePassLabelFollowsTheSelectorOnceItChanges) {
    for (const auto& [value, text] : std::vector<std::pair<int, const char*>>{
             {-3, "pass"}, {0, "pass"}, {1, "pass"}, {2, "passes"}, {1999, "passes"}})
        EXPECT_EQ(frmMain::passLabel(value), text) << value;
    frmMain form(arguments({}));
    auto* selector = control<ctlNumberSelect>(form, "ctlNumberSelect1");
    auto* label = control<QLabel>(form, "lblPass");
    selector->setValue(1);
    EXPECT_EQ(label->text(), "pass");
    selector->setValue(2);
    EXPECT_EQ(label->text(), "passes");
    selector->setValue(1);
    EXPECT_EQ(label->text(), "pass");
}

TEST_F(frmMainTest, ThePassSelectorCarriesABalloonTitledNumberOfPasses) {
    frmMain form(arguments({}));
    form.show();
    const auto tip = form.passTip().as<ToolTip>();
    ASSERT_TRUE(tip);
    EXPECT_EQ(
        getProperty(form.passTip(), u"Text").toString(),
        u"Select the number of passes for the wiping method.\nThe more passes you select the less chance\n"
        u"that anybody will be able to recover it.");
    letProperty(form.passTip(), u"Activate", std::int32_t{ACTIVATION_CENTER}, std::int16_t{0},
                std::int16_t{0}, true);
    auto* balloon = dynamic_cast<ToolTipControl*>(widgetOf(tip->window()));
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->title(), "Number of passes");
    EXPECT_TRUE(balloon->style() & TTS_BALLOON);
}

TEST_F(frmMainTest, CancelEscapeAndClosingEraseNothing) {
    write("keep", "keep me");
    const std::vector<std::pair<const char*, std::function<void(frmMain&)>>> ways{
        {"Cancel", [](frmMain& form) { button(form, "Cancel")->click(); }},
        {"Escape",
         [](frmMain& form) { key(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_Escape); }},
        {"close", [](frmMain& form) { DialogDriver::close(form); }}};
    for (const auto& [way, action] : ways) {
        SCOPED_TRACE(way);
        frmMain form(arguments({"keep"}));
        const Progress seen = runModal(form, action);
        EXPECT_FALSE(seen.initialised);  // no progress window was ever put up
        EXPECT_TRUE(seen.shown.empty());
        EXPECT_EQ(read("keep"), "keep me");
    }
}

TEST_F(frmMainTest, OkWithoutItemsShowsNoProgressWindow) {
    frmMain form(arguments({}));
    const Progress seen = runModal(form, [](frmMain& f) { button(f, "Ok")->click(); });
    EXPECT_FALSE(seen.initialised);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(frmMainTest, ReturnFromThePassSelectorPressesOkAndErasesTheItems) {
    write("tree/a", "alpha");
    write("tree/empty", "");
    write("file", "file");
    frmMain form(arguments({"file", "tree"}));
    const Progress seen = runModal(form, [](frmMain& f) {
        ASSERT_TRUE(DialogDriver::typeInto(f, "ctlNumberSelect1", "1"));
        EXPECT_EQ(control<QLabel>(f, "lblPass")->text(), "pass");
        key(control<QWidget>(f, "ctlNumberSelect1"), Qt::Key_Return);
    });
    EXPECT_TRUE(seen.initialised);
    EXPECT_EQ(seen.shown, (std::vector<std::u16string>{u"Shreding File(s) / Shredwell file",
                                                       u"Shreding File(s) / Shredwell a"}));
    EXPECT_TRUE(seen.windowHiddenAtEachWipe);
    EXPECT_FALSE(exists("file"));
    EXPECT_FALSE(exists("tree/a"));
    EXPECT_TRUE(exists("tree/empty"));
    EXPECT_TRUE(fs::is_directory(path("tree")));
    EXPECT_FALSE(form.failure());
}

TEST_F(frmMainTest, AnErrorRaisedUnderTheOkClickIsKeptForTheLogAndTheWindowStillCloses) {
    // Longer than one block: wiped in its turn, so an error just before its wipe keeps it.
    const std::string kept = "kept" + std::string(1048576, 'k');
    write("file", kept);
    frmMain form(arguments({"file"}));
    DialogDriver driver;
    driver.whenShown("frmMain", [](QWidget& f) { button(f, "Ok")->click(); });
    form.setWipeObserver([](const std::u16string&) { velmora::raise(err::PermissionDenied); });
    form.exec();
    EXPECT_TRUE(driver.done());
    ASSERT_TRUE(form.failure());
    EXPECT_EQ(form.failure()->number(), err::PermissionDenied);
    EXPECT_EQ(read("file"), kept);
}

TEST_F(frmMainTest, TheStorageLineShowsExactlyWhenAnItemIsOnStorageOverwritingMayNotReach) {
    write("file", "x");
    const StorageKind kind = storageOf(path("file").string());
    frmMain form(arguments({"file"}));
    EXPECT_EQ(form.storageWarned(), kind.copyOnWrite || kind.nonRotational);
    frmMain none(arguments({"missing"}));
    EXPECT_FALSE(none.storageWarned());
}

TEST_F(frmMainTest, TheStorageLinkOpensWhatOverwritingCannotReachAndF1TheEraseTopic) {
    ObjectRef help = CreateObject(u"Guidepost.HelpTopics");
    letProperty(help, u"HelpFile", fromUtf8(VELMORA_BIN_DIR "/Help.chm"));
    frmMain form(arguments({}), help);
    form.show();
    const auto viewer = [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* found = dynamic_cast<HelpViewer*>(window); found && found->isVisible()) return found;
        return static_cast<HelpViewer*>(nullptr);
    };
    Q_EMIT control<QLabel>(form, "lblStorage")->linkActivated("storage.htm");
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(viewer()->currentTopic(), "storage.htm");
    // F1 reaches the form through the help library, which calls the form's OnHelp.
    const ObjectRef topic = call(help, u"Item", 1).toObject();
    call(getProperty(topic, u"frm").toObject(), u"OnHelp", Variant());
    EXPECT_EQ(viewer()->currentTopic(), "erase.htm");
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
}

TEST_F(frmMainTest, ListsWhatItWillEraseAboveTheWarning) {
    const auto lines = [](frmMain& form) {
        QStringList shown;
        auto* list = form.findChild<QListWidget*>("lstItems");
        for (int i = 0; list && i < list->count(); ++i) shown << list->item(i)->text();
        return shown;
    };
    write("tree/a", "x");
    write("one.txt", "x");
    {
        frmMain form(arguments({"one.txt", "tree", "missing"}));
        EXPECT_EQ(lines(form), QStringList({QString::fromStdU16String(item("one.txt")),
                                            QString::fromStdU16String(item("tree")) + " (folder)",
                                            QString::fromStdU16String(item("missing"))}));
        auto* list = form.findChild<QListWidget*>("lstItems");
        auto* warning = form.findChild<QLabel*>("lblCaption");
        form.show();
        test::processUntil([] { return false; }, std::chrono::milliseconds(50));
        EXPECT_LT(list->mapTo(&form, QPoint(0, 0)).y(), warning->mapTo(&form, QPoint(0, 0)).y());
    }
    {
        std::vector<std::string> many;
        for (int i = 0; i < 205; ++i) many.push_back("f" + std::to_string(i));
        frmMain form(arguments(many));
        const QStringList shown = lines(form);
        ASSERT_EQ(shown.size(), 201);
        EXPECT_EQ(shown[199], QString::fromStdU16String(item("f199")));
        EXPECT_EQ(shown[200], "and 5 more");
    }
    {
        frmMain form(arguments({}));
        ASSERT_EQ(lines(form).size(), 1);
        EXPECT_TRUE(lines(form)[0].startsWith("Nothing will be erased"));
    }
}

// docs/screenshots/shredwell.png: the window with the pass selector's balloon showing.
TEST_F(frmMainTest, Screenshot) {
    write("old tax return.pdf", "x");
    write("drafts/letter.odt", "x");
    frmMain form(arguments({"old tax return.pdf", "drafts"}));
    form.move(200, 160);
    form.show();
    test::processUntil([] { return false; }, std::chrono::milliseconds(100));
    letProperty(form.passTip(), u"Activate", std::int32_t{ACTIVATION_RIGHT}, std::int16_t{0}, std::int16_t{0},
                true);
    auto* balloon = dynamic_cast<ToolTipControl*>(widgetOf(form.passTip().as<ToolTip>()->window()));
    ASSERT_TRUE(balloon && balloon->isVisible());
    EXPECT_TRUE(
        test::saveWithBalloon(form, *balloon, QStringLiteral(VELMORA_DOCS_DIR "/screenshots/shredwell.png")));
}

}  // namespace
