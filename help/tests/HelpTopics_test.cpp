// Help topics through the in-process viewer, headless: the help file rules and their messages, the
// registry of help files, the version checks, topics by URL, context identifier and keyword, the contents
// as the help file writes them, damaged files, and the window a user sees.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "FormObjects.h"
#include "testsupport/GuiTest.h"
#include "help/HelpContext.h"
#include "help/HelpTopics.h"
#include "help/ToolTips.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "platform/registryapi.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "ui/HelpViewer.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"
#include "ui/htmlhelp.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class HelpTopicsTest : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        registerHelpViewer(false);
        sandbox = fs::path(std::getenv("VELMORA_TEST_SANDBOX")) / "help";
        fs::create_directories(sandbox);
        fs::copy_file(VELMORA_HELP_FILE, sandbox / "Help.chm", fs::copy_options::overwrite_existing);
        helpFile = fromUtf8((sandbox / "Help.chm").string());
    }
    void TearDown() override {
        HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
        QCoreApplication::processEvents();
        GuiTest::TearDown();
    }
    static HelpViewer* viewer() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = dynamic_cast<HelpViewer*>(w); v && v->isVisible()) return v;
        return nullptr;
    }
    static std::vector<std::string> texts(const MessageBoxRecorder& recorder) {
        std::vector<std::string> out;
        for (const auto& m : recorder.messages()) out.push_back(m.text);
        return out;
    }

    fs::path sandbox;
    std::u16string helpFile;
};

}  // namespace

TEST_F(HelpTopicsTest, VersionChecksReadOurLibrariesAndSayWhatIsMissing) {
    {
        MessageBoxRecorder recorder;
        auto topics = makeObject<HelpTopics>();
        EXPECT_TRUE(recorder.messages().empty());
        EXPECT_FALSE(topics->HTMLHelpVersion().empty());
        EXPECT_EQ(topics->HTMLHelpVersion(), topics->IEVersion());
        EXPECT_EQ(topics->HTMLHelpVersion().substr(0, 2), u"0.");
    }
    const std::string moved = "Z:" + (sandbox / "gone.so").string();
    for (const char* clsid : {kHtmlHelpClsid, kBrowserClsid}) {
        const std::string key = std::string("CLSID\\") + clsid + "\\InprocServer32";
        HKEY handle = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &handle), ERROR_SUCCESS);
        RegSetValueExA(handle, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(moved.c_str()),
                       static_cast<DWORD>(moved.size() + 1));
        RegCloseKey(handle);
    }
    {
        MessageBoxRecorder recorder;
        auto topics = makeObject<HelpTopics>();
        EXPECT_EQ(
            texts(recorder),
            (std::vector<std::string>{
                "Hhctrl.ocx is not in its registered location. Please reinstall HTML Help.",
                "Internet Explorer is not in its registered location. Please reinstall Internet Explorer."}));
        EXPECT_TRUE(topics->HTMLHelpVersion().empty());
    }
    registerHelpViewer(true);
    MessageBoxRecorder recorder;
    auto topics = makeObject<HelpTopics>();
    EXPECT_EQ(texts(recorder), (std::vector<std::string>{
                                   "Hhctrl.ocx is not registered.  Please install HTML Help.",
                                   "Shdocvw.dll is not registered.  Please install Internet Explorer."}));
}

TEST_F(HelpTopicsTest, HelpFileAcceptsOnlyExistingChmFilesWhateverTheirCase) {
    auto topics = makeObject<HelpTopics>();
    fs::copy_file(sandbox / "Help.chm", sandbox / "HELP.CHM");
    std::ofstream(sandbox / "notes.txt") << "text";
    MessageBoxRecorder recorder;
    topics->setHelpFile(helpFile);
    const struct {
        std::u16string path;
        const char* message;
    } refused[] = {{u"", "Invalid File Name"},
                   {fromUtf8((sandbox / "notes.txt").string()), "File is not a valid help file"},
                   {fromUtf8((sandbox / "missing.chm").string()), "File does not exist"}};
    for (const auto& r : refused) {
        topics->setHelpFile(r.path);
        EXPECT_EQ(topics->HelpFile(), helpFile);
        ASSERT_FALSE(recorder.messages().empty());
        EXPECT_EQ(recorder.messages().back().text, r.message);
        EXPECT_EQ(recorder.messages().back().type, MB_OK);
    }
    const std::u16string upper = fromUtf8((sandbox / "HELP.CHM").string());
    topics->setHelpFile(upper);
    EXPECT_EQ(topics->HelpFile(), upper);
    EXPECT_EQ(recorder.messages().size(), 3u);
}

TEST_F(HelpTopicsTest, RegisteringTwiceSaysSoAndUnregisteringReverses) {
    auto topics = makeObject<HelpTopics>();
    MessageBoxRecorder recorder;
    std::u16string file = helpFile;
    EXPECT_FALSE(topics->IsRegistered(file));
    topics->RegisterHelpFile(file);
    EXPECT_EQ(file, u"Help.chm");  // the caller's variable holds the bare name
    std::u16string again = helpFile;
    EXPECT_TRUE(topics->IsRegistered(again));
    EXPECT_TRUE(recorder.messages().empty());
    topics->RegisterHelpFile(again);
    EXPECT_EQ(texts(recorder),
              (std::vector<std::string>{"The file " + toUtf8(helpFile) + " is already registered."}));
    std::u16string name = u"Help.chm";
    topics->UnregisterHelpFile(name);
    EXPECT_FALSE(topics->IsRegistered(name));
    topics->UnregisterHelpFile(name);
    EXPECT_EQ(recorder.messages().back().text, "The file Help.chm is not registered.");
}

TEST_F(HelpTopicsTest, TopicsByUrlContextAndKeyword) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    QWidget window;
    window.show();
    ObjectRef form(test::formObject(u"frmEncrypt", &window));
    Ref<HelpTopic> topic = topics->Add(form, u"");
    EXPECT_EQ(topic->Key(), u"f:" + fromUtf8(std::to_string(handleOf(&window))));
    EXPECT_EQ(topics->Count(), 1);

    topic->DisplayTopicFromURL(Variant::missing(), Variant::missing());  // no topic: nothing opens
    EXPECT_EQ(viewer(), nullptr);
    topic->DisplayTopicFromURL(Variant(u"storage.htm"), Variant::missing());
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(viewer()->currentTopic(), "storage.htm");
    EXPECT_EQ(viewer()->parentWidget(), &window);  // owned by the form's window

    topic->DisplayTopicFromID(Variant(helpcontext::kEncrypt), Variant::missing());
    EXPECT_EQ(viewer()->currentTopic(), "encrypt.htm");
    EXPECT_EQ(HtmlHelpA(0, toUtf8(helpFile).c_str(), HH_HELP_CONTEXT, 4242), 0u);  // not mapped
    EXPECT_EQ(viewer()->currentTopic(), "encrypt.htm");

    MessageBoxRecorder recorder;
    topic->DisplayKeyword(Variant(u"wrong password"), Variant::missing());
    EXPECT_EQ(viewer()->currentTopic(), "password.htm");
    topic->setText(u"Nothing is written about that.");
    topic->setTitle(u"Velmora Help");
    topic->DisplayKeyword(Variant(u"quantum"), Variant::missing());
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, "Nothing is written about that.");
    EXPECT_EQ(recorder.messages()[0].caption, "Velmora Help");
    EXPECT_EQ(viewer()->currentTopic(), "welcome.htm");  // the look-up opens the file first

    topics->DisplayContents(Variant::missing());
    EXPECT_EQ(viewer()->currentPane(), HelpViewer::Contents);
    topics->DisplaySearch(Variant::missing());
    EXPECT_EQ(viewer()->currentPane(), HelpViewer::Search);
    topic->CloseAll();
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer(), nullptr);
}

TEST_F(HelpTopicsTest, ShowOnTopWithoutAUsableWindowIsError91) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    topics->setShowOnTop(true);
    try {
        topics->DisplayContents(Variant(std::int32_t{0}));
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_EQ(e.description(), u"Invalid form reference - ShowOnTop = True");
        EXPECT_EQ(e.source(), u"HelpTopics:DisplayContents");
    }
    EXPECT_EQ(viewer(), nullptr);
}

TEST_F(HelpTopicsTest, TheContentsTreeFollowsTheSiteMap) {
    ASSERT_NE(HtmlHelpA(0, toUtf8(helpFile).c_str(), HH_DISPLAY_TOC, 0), 0u);
    QTreeWidget* tree = viewer()->contentsTree();
    ASSERT_EQ(tree->topLevelItemCount(), 5);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Velmora help");
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 4);
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(0), "What overwriting cannot reach");
    EXPECT_EQ(viewer()->currentTopic(), "welcome.htm");  // the default topic
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(viewer()->currentTopic(), "erase.htm");
}

TEST_F(HelpTopicsTest, DamagedAndForeignFilesShowNothing) {
    const std::string whole = [&] {
        std::ifstream in(sandbox / "Help.chm", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {{"empty.chm", ""},
                 {"text.chm", "<html>not compiled</html>"},
                 {"header.chm", whole.substr(0, 0x60)},
                 {"half.chm", whole.substr(0, whole.size() / 2)}};
    for (const auto& f : files) {
        std::ofstream(sandbox / f.name, std::ios::binary) << f.bytes;
        const std::string path = (sandbox / f.name).string();
        const HWND shown = HtmlHelpA(0, path.c_str(), HH_DISPLAY_TOPIC, 0);
        if (shown) {
            EXPECT_NE(viewer(), nullptr) << f.name;  // a readable part may still show
        }
        HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(HtmlHelpA(0, toUtf8(helpFile + u"::/missing.htm").c_str(), HH_DISPLAY_TOPIC, 0), 0u);
}

// What users see, saved for the documentation: the viewer with a topic beside its contents, and a
// balloon tooltip with its title and icon over a button.
TEST_F(HelpTopicsTest, Screenshots) {
    ASSERT_NE(HtmlHelpA(0, toUtf8(helpFile + u"::/storage.htm").c_str(), HH_DISPLAY_TOPIC, 0), 0u);
    QDir().mkpath(VELMORA_DOCS_DIR "/screenshots");
    const QImage help = viewer()->grab().toImage();
    EXPECT_TRUE(help.save(VELMORA_DOCS_DIR "/screenshots/help-viewer.png"));

    QWidget form;
    form.setWindowTitle("Velmora Sealdesk");
    form.setGeometry(200, 200, 360, 200);
    auto* ok = new QPushButton("Ok", &form);
    ok->setGeometry(40, 40, 90, 30);
    form.show();
    auto formObject = test::formObject(u"frmEncrypt", &form);
    ObjectRef f(formObject);
    ObjectRef c(test::controlObject(u"cmdExit", ok, formObject));
    auto tips = makeObject<ToolTips>();
    Ref<ToolTip> tip = tips->Add(f, c, u"Encrypts the files with the method and password.", u"", u"Encrypt",
                                 BALLOON, INFO, NON_TRACKING);
    tip->setActivate(ACTIVATION_CENTER, 0, 0, true);
    auto* balloon = dynamic_cast<ToolTipControl*>(widgetOf(tip->window()));
    ASSERT_TRUE(balloon && balloon->isVisible());
    const QRect both = form.geometry().united(balloon->geometry()).adjusted(-8, -8, 8, 8);
    QImage shot(both.size(), QImage::Format_ARGB32);
    shot.fill(Qt::white);
    QPainter painter(&shot);
    form.render(&painter, form.geometry().topLeft() - both.topLeft());
    balloon->render(&painter, balloon->geometry().topLeft() - both.topLeft(), QRegion(),
                    QWidget::DrawChildren);
    painter.end();
    EXPECT_TRUE(shot.save(VELMORA_DOCS_DIR "/screenshots/balloon-tooltip.png"));
}
