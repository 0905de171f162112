// Help topics through the in-process viewer, headless: the help file rules and their messages, the
// registry of help files, the version checks, topics by URL, context identifier and keyword, the contents
// as the help file writes them, damaged files, and the window a user sees.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QWhatsThis>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "FormObjects.h"
#include "help/HelpContext.h"
#include "help/HelpTopics.h"
#include "help/ToolTips.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "platform/registryapi.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/GuiTest.h"
#include "ui/HelpViewer.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"
#include "ui/htmlhelp.h"
#include "ui/messages.h"
#include "ui/windowproc.h"

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

namespace {

void pressF1(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// A subclasser of its own, before or after the help library's, noting the messages it passes on.
std::vector<std::pair<char, UINT>> g_passed;
std::map<char, LONG_PTR> g_before;
template <char Name>
LRESULT otherProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_passed.emplace_back(Name, message);
    return CallWindowProcA(reinterpret_cast<WNDPROC>(g_before[Name]), hWnd, message, wParam, lParam);
}
template <char Name>
void subclass(HWND hWnd) {
    g_before[Name] = SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&otherProc<Name>));
}
std::vector<char> passedOn(UINT message) {
    std::vector<char> names;
    for (const auto& [name, m] : g_passed)
        if (m == message) names.push_back(name);
    return names;
}

}  // namespace

TEST_F(HelpTopicsTest, F1InAnAddedFormOpensItsTopicWithNothingElseToDo) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    QWidget window;
    auto* field = new QLineEdit(&window);
    window.show();
    field->setFocus();
    ObjectRef form(makeObject<test::PlainForm>(&window));
    Ref<HelpTopic> topic = topics->Add(form, u"");
    topic->setTopicID(helpcontext::kDecrypt);

    pressF1(field);
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(viewer()->currentTopic(), "decrypt.htm");
    EXPECT_EQ(viewer()->parentWidget(), &window);

    // Under a key of its own, with nothing set but the window's context identifier, and on top.
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    QWidget other;
    other.show();
    ObjectRef second(makeObject<test::PlainForm>(&other));
    topics->Add(second, u"eraser");
    topics->setShowOnTop(true);
    SetWindowContextHelpId(handleOf(&other), helpcontext::kEraser);
    pressF1(&other);
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(viewer()->currentTopic(), "erase.htm");
    SetWindowContextHelpId(handleOf(&other), 0);
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    pressF1(&other);
    ASSERT_NE(viewer(), nullptr) << "with no topic at all, the help file's first page";
    EXPECT_EQ(viewer()->currentTopic(), "welcome.htm");
}

TEST_F(HelpTopicsTest, FormsWithHandlersHearHelpMenusAndTheViewer) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    QWidget window;
    auto* field = new QLineEdit(&window);
    window.show();
    field->setFocus();
    auto formObject = test::formObject(u"frmEncrypt", &window);
    ObjectRef form(formObject);
    Ref<HelpTopic> topic = topics->Add(form, u"");

    pressF1(field);
    ASSERT_EQ(formObject->helpCalls.size(), 1u);
    EXPECT_EQ(viewer(), nullptr) << "the form's OnHelp decides";
    const std::vector<std::uint8_t> record = formObject->helpCalls[0].toBytes();
    ASSERT_EQ(record.size(), 28u);
    HELPINFO info;
    std::memcpy(&info, record.data(), sizeof info);
    EXPECT_EQ(info.hItemHandle, handleOf(field));
    EXPECT_EQ(info.iContextType, HELPINFO_WINDOW);

    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(3, 3), window.mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(&window, &menu);
    EXPECT_EQ(formObject->contextMenus,
              (std::vector<std::int32_t>{static_cast<std::int32_t>(handleOf(&window))}));

    topic->DisplayTopicFromURL(Variant(u"methods.htm"), Variant::missing());
    EXPECT_EQ(formObject->created, (std::vector<std::string>{""}));
    EXPECT_EQ(formObject->navigated, (std::vector<std::string>{"methods.htm"}));
    SendMessageA(handleOf(&window), WM_NOTIFY, 0, 0x40);  // no record there: passed on, nothing read
    EXPECT_EQ(formObject->navigated.size(), 1u);
}

TEST_F(HelpTopicsTest, RemoveAndDestructionUnhookInTheRightOrder) {
    g_passed.clear();
    g_before.clear();
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    auto window = std::make_unique<QWidget>();
    const HWND h = handleOf(window.get());
    subclass<'A'>(h);
    const LONG_PTR a = GetWindowLongPtrA(h, GWLP_WNDPROC);
    auto formObject = test::formObject(u"frmEncrypt", window.get());
    ObjectRef form(formObject);
    Ref<HelpTopic> topic = topics->Add(form, u"");
    EXPECT_EQ(topic->OldHwnd(), static_cast<std::int32_t>(a)) << "what A put in place";
    const LONG_PTR help = GetWindowLongPtrA(h, GWLP_WNDPROC);
    EXPECT_NE(help, a);

    // Removed while B sits in front: taking the help procedure out would cut B off, so it stays and
    // passes everything on.
    subclass<'B'>(h);
    EXPECT_EQ(g_before['B'], help);
    Variant key(topic->Key());
    topics->Remove(key);
    EXPECT_EQ(topics->Count(), 0);
    HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, 0, h, 0, {0, 0}};
    SendMessageA(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(formObject->helpCalls.empty()) << "no longer listed";
    EXPECT_EQ(passedOn(WM_HELP), (std::vector<char>{'B', 'A'}));

    // Added again: the procedure still there takes it up; no second one goes in.
    topic = topics->Add(form, u"");
    EXPECT_EQ(topic->OldHwnd(), static_cast<std::int32_t>(a));
    SendMessageA(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(formObject->helpCalls.size(), 1u);

    // B leaves; the help procedure is in front again, and Remove gives A back.
    SetWindowLongPtrA(h, GWLP_WNDPROC, g_before['B']);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_WNDPROC), help);
    Variant again(topic->Key());
    topics->Remove(again);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_WNDPROC), a);

    // Destroyed while listed, with C in front: WM_NCDESTROY reaches every procedure, newest first, and
    // the entry goes with the window.
    topics->Add(form, u"");
    subclass<'C'>(h);
    g_passed.clear();
    window.reset();
    EXPECT_EQ(passedOn(WM_NCDESTROY), (std::vector<char>{'C', 'A'}));
    EXPECT_EQ(topics->Count(), 0);
}

TEST_F(HelpTopicsTest, WhatsThisTurnsTheNextClickIntoTheFormsHelp) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    QWidget window;
    auto* button = new QPushButton("Ok", &window);
    button->setGeometry(10, 10, 80, 30);
    window.show();
    auto formObject = test::formObject(u"frmEncrypt", &window);
    ObjectRef form(formObject);
    Ref<HelpTopic> topic = topics->Add(form, u"");
    bool on = true;
    topic->setWhatsThisEnabled(on);
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());

    const QPoint local(5, 5);
    const QPoint global = button->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QApplication::sendEvent(button, &release);
    ASSERT_EQ(formObject->helpCalls.size(), 1u);
    HELPINFO info;
    std::memcpy(&info, formObject->helpCalls[0].toBytes().data(), sizeof info);
    EXPECT_EQ(info.hItemHandle, handleOf(button));
    EXPECT_EQ(info.MousePos.x, global.x());
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    topic->setWhatsThisEnabled(on);  // no change, no new mode
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    EXPECT_TRUE(topic->WhatsThisEnabled());
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
    EXPECT_TRUE(test::saveWithBalloon(form, *balloon,
                                      QStringLiteral(VELMORA_DOCS_DIR "/screenshots/balloon-tooltip.png")));
}

// F1 in a window: the viewer it opens at the window's topic, beside the window, saved for the documentation.
TEST_F(HelpTopicsTest, ScreenshotOfF1) {
    auto topics = makeObject<HelpTopics>();
    topics->setHelpFile(helpFile);
    QWidget form;
    form.setWindowTitle("Encrypt");
    form.setGeometry(40, 60, 360, 170);
    auto* label = new QLabel("Password:", &form);
    label->setGeometry(16, 20, 90, 24);
    auto* field = new QLineEdit(&form);
    field->setEchoMode(QLineEdit::Password);
    field->setGeometry(110, 20, 230, 24);
    auto* ok = new QPushButton("Ok", &form);
    ok->setGeometry(160, 120, 85, 28);
    auto* cancel = new QPushButton("Cancel", &form);
    cancel->setGeometry(255, 120, 85, 28);
    form.show();
    field->setFocus();
    ObjectRef f(makeObject<test::PlainForm>(&form));
    topics->Add(f, u"")->setTopicID(helpcontext::kEncrypt);

    pressF1(field);
    HelpViewer* shown = viewer();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->currentTopic(), "encrypt.htm");
    shown->move(form.geometry().right() + 24, 60);
    QCoreApplication::processEvents();
    // Offscreen windows have no frames: each gets a caption bar drawn above it, as a desktop would.
    constexpr int kCaption = 26;
    const auto framed = [&](const QWidget& w) { return w.geometry().adjusted(0, -kCaption, 0, 0); };
    const QRect both = framed(form).united(framed(*shown)).adjusted(-12, -12, 12, 12);
    QImage shot(both.size(), QImage::Format_ARGB32);
    shot.fill(QColor(0xE8, 0xEC, 0xF0));
    QPainter painter(&shot);
    for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(shown)}) {
        const QRect bar = framed(*w).translated(-both.topLeft());
        painter.fillRect(QRect(bar.topLeft(), QSize(bar.width(), kCaption)), QColor(0x3B, 0x4A, 0x5A));
        painter.setPen(Qt::white);
        painter.drawText(QRect(bar.topLeft() + QPoint(10, 0), QSize(bar.width() - 20, kCaption)),
                         Qt::AlignVCenter | Qt::AlignLeft, w->windowTitle());
        w->render(&painter, w->geometry().topLeft() - both.topLeft());
    }
    painter.end();
    EXPECT_TRUE(shot.save(VELMORA_DOCS_DIR "/screenshots/help-f1.png"));
}
