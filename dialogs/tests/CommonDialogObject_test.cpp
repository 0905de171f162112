// CommonDialogObject with the platform's real dialogs, driven headless: confirm and cancel of each, the
// placement hook, and what bad input gets.
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <string>

#include "DialogTestSupport.h"
#include "TestFont.h"
#include "component/CallbackSink.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "dialogs/CommonDialogObject.h"
#include "platform/paths.h"
#include "platform/systeminfo.h"
#include "runtime/text.h"
#include "ui/DialogDriver.h"
#include "ui/commdlg.h"

using namespace velmora;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using test::TestFont;

fs::path sandbox() {
    return fs::path(std::getenv("VELMORA_TEST_SANDBOX"));
}

std::u16string suite(const fs::path& native) {
    return fromUtf8(toSuitePath(native.string()));
}

// Types a path into a Qt file dialog and confirms it, as a user would with Return.
void chooseFile(QWidget& window, const fs::path& path) {
    auto& dialog = static_cast<QFileDialog&>(window);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QString::fromStdString(path.string()));
    QMetaObject::invokeMethod(&dialog, "accept");
}

class CommonDialog : public test::DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_driver = std::make_unique<DialogDriver>();
    }
    void TearDown() override {
        m_driver.reset();
        DialogTest::TearDown();
    }

    Ref<CommonDialogObject> m_dialog = makeObject<CommonDialogObject>();
    std::unique_ptr<DialogDriver> m_driver;  // needs the application of SetUp
};

TEST_F(CommonDialog, OpenWithTheSecondFilterPairKeepsThatPairAndAPaddedName) {
    const fs::path file = sandbox() / "notes.md";
    std::ofstream(file) << "text";
    call(m_dialog, u"AddFilterItem", u"Text files", u"*.txt");
    EXPECT_EQ(call(m_dialog, u"AddFilterItem", u"All").toString(), u"Text files\0*.txt\0All\0*.*\0"s);

    m_driver->whenShown(QStringLiteral("dlgOpenFile"), [&](QWidget& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Open File"));
        EXPECT_TRUE(DialogDriver::pickEntry(window, QStringLiteral("fileTypeCombo"), QStringLiteral("All")));
        chooseFile(window, file);
    });
    Variant flags = Variant::missing();  // as an omitted Optional the caller passes on
    EXPECT_EQ(m_dialog->ShowOpen(ownerHandle(), u"", u"", u"", 0, u"", flags), 1);
    EXPECT_TRUE(m_driver->done());
    EXPECT_EQ(flags.toLong(), 3678220);  // the default reaches the caller's variable
    EXPECT_EQ(m_dialog->Filter(), u"All\0*.*"s);
    EXPECT_EQ(m_dialog->FilterIndex(), 1);  // keeps its value
    const std::u16string name = m_dialog->FileName();
    ASSERT_EQ(name.size(), 256u);
    EXPECT_EQ(name.substr(0, name.find(u'\0')), suite(file));
    EXPECT_EQ(name.find_first_not_of(u'\0', name.find(u'\0')), std::u16string::npos);
    EXPECT_EQ(m_dialog->FileTitle().substr(0, 8), u"notes.md");
    EXPECT_EQ(m_dialog->hwnd(), ownerHandle());
}

TEST_F(CommonDialog, CancelledFileDialogsClearTheirPropertiesAndSaveRaisesCancelled) {
    int cancelled = 0;
    connectEvents(ObjectRef(m_dialog),
                  makeObject<CallbackSink>([&](std::u16string_view event, std::span<Variant>) {
                      if (event == u"Cancelled") ++cancelled;
                  }));
    for (const bool save : {false, true}) {
        m_dialog->setFileName(u"C:\\Temp\\a.txt");
        m_dialog->setFileTitle(u"a.txt");
        m_dialog->setFilter(u"All\0*.*\0"s);
        m_driver->whenShown(save ? QStringLiteral("dlgSaveFile") : QStringLiteral("dlgOpenFile"),
                            [](QWidget& window) { DialogDriver::close(window); });
        Variant flags = Variant::missing();
        const std::int32_t result =
            save ? m_dialog->ShowSave(ownerHandle(), u"Save it", u"", u"", 0, u"", flags)
                 : m_dialog->ShowOpen(ownerHandle(), u"", u"", u"", 0, u"", flags);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(m_dialog->FileName(), u"");
        EXPECT_EQ(m_dialog->FileTitle(), u"");
        EXPECT_EQ(m_dialog->Filter(), u"");
        EXPECT_EQ(cancelled, save ? 1 : 0);
    }
}

TEST_F(CommonDialog, SaveOffersTheNameOfFileNameInTheInitialDirectory) {
    const fs::path folder = sandbox() / "out";
    fs::create_directories(folder);
    m_dialog->setInitDirectory(suite(folder));
    m_driver->whenShown(QStringLiteral("dlgSaveFile"), [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export"));
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), folder.string());
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                  QStringLiteral("report.txt"));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    Variant flags = Variant::missing();
    EXPECT_EQ(m_dialog->ShowSave(ownerHandle(), u"Export", u"C:\\Elsewhere\\report.txt", u"", 0, u"", flags),
              1);
    EXPECT_EQ(m_dialog->FileName().substr(0, m_dialog->FileName().find(u'\0')), suite(folder / "report.txt"));
}

TEST_F(CommonDialog, MultipleSelectionGivesTheFolderAndTheNamesSeparatedByNuls) {
    for (const char* name : {"a.txt", "b.txt"}) std::ofstream(sandbox() / name) << name;
    m_driver->whenShown(QStringLiteral("dlgOpenFile"), [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        dialog.setDirectory(QString::fromStdString(sandbox().string()));
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"a.txt\" \"b.txt\""));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    Variant flags = static_cast<std::int32_t>(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
    ASSERT_EQ(m_dialog->ShowOpen(ownerHandle(), u"", u"", u"", 0, u"", flags), 1);
    const std::u16string name = m_dialog->FileName();
    EXPECT_EQ(name.substr(0, name.find(u"\0\0"s)), suite(sandbox()) + u"\0a.txt\0b.txt"s);
}

TEST_F(CommonDialog, LateBoundCallsMayOmitEveryOptionalArgument) {
    const ObjectRef dialog(m_dialog);
    const auto cancel = [](QWidget& window) { DialogDriver::close(window); };
    m_driver->whenShown(QStringLiteral("dlgOpenFile"), cancel);
    EXPECT_EQ(call(dialog, u"ShowOpen", ownerHandle()).toLong(), 0);
    m_driver->whenShown(QStringLiteral("dlgBrowseFolder"), cancel);
    EXPECT_EQ(call(dialog, u"ShowFolder", ownerHandle()).toString(), u"");  // cancelled, no InitialDir given
    m_driver->whenShown(QStringLiteral("dlgColor"), cancel);
    EXPECT_EQ(call(dialog, u"ShowColor", ownerHandle(), 0, Variant()).toLong(), -1);
    m_driver->whenShown(QStringLiteral("dlgPageSetup"), cancel);
    EXPECT_EQ(call(dialog, u"ShowPageSetup", ownerHandle()).toLong(), -1);
    EXPECT_TRUE(m_driver->done());
}

TEST_F(CommonDialog, NoOwnerMeansNoDialogAndTheEmptyResults) {
    Variant flags = Variant::missing();
    Variant colours;
    std::int32_t colour = 0;
    Variant font = Variant(ObjectRef(makeObject<TestFont>()));
    EXPECT_EQ(m_dialog->ShowOpen(0, u"", u"", u"", 0, u"", flags), 0);
    EXPECT_EQ(m_dialog->ShowSave(-5, u"", u"", u"", 0, u"", flags), 0);
    EXPECT_EQ(m_dialog->ShowColor(0, 0, colours, 0), 0);
    EXPECT_FALSE(m_dialog->ShowFont(0, 0, font, colour, Variant::missing()));
    EXPECT_EQ(m_dialog->ShowPageSetup(0, Variant::missing()), 0);
    m_dialog->ShowPrinter(0, Variant::missing());
    EXPECT_EQ(m_dialog->ShowFolder(0, u"", u"C:\\Temp", flags), u"");
    EXPECT_EQ(m_dialog->ShowNetwork(0, u"", u"", flags), u"");
    EXPECT_TRUE(flags.isMissing());
    EXPECT_EQ(m_dialog->hwnd(), 0);
}

TEST_F(CommonDialog, AStaleOwnerStillGetsADialogWithoutOwner) {
    QWidget* gone = new QWidget;  // deleted below; its handle goes stale
    const auto handle = static_cast<std::int32_t>(handleOf(gone));
    delete gone;
    m_driver->whenShown(QStringLiteral("dlgColor"), [](QWidget& window) {
        EXPECT_EQ(window.parentWidget(), nullptr);
        DialogDriver::close(window);
    });
    Variant colours;
    EXPECT_EQ(m_dialog->ShowColor(handle, 0, colours, 0), -1);
    EXPECT_TRUE(m_driver->done());
}

TEST_F(CommonDialog, ColorReturnsTheChoiceOrMinusOneAndLendsTheCustomColours) {
    // Three entries only: the dialog sees them and nothing is written past them.
    SafeArray array(VarType::Long, {{1, 3}});
    for (std::int32_t i = 1; i <= 3; ++i) {
        const std::int32_t at[] = {i};
        array.set(at, Variant(i * 0x10));
    }
    Variant colours(std::move(array));
    m_driver->whenShown(QStringLiteral("dlgColor"), [](QWidget& window) {
        auto& dialog = static_cast<QColorDialog&>(window);
        EXPECT_EQ(dialog.currentColor(), QColor(0x34, 0x12, 0x56));
        EXPECT_EQ(QColorDialog::customColor(1), QColor(0x20, 0, 0));
        QColorDialog::setCustomColor(2, QColor(1, 2, 3));
        dialog.setCurrentColor(QColor(0x11, 0x22, 0x33));
        DialogDriver::clickButton(window, QStringLiteral("OK"));
    });
    EXPECT_EQ(m_dialog->ShowColor(ownerHandle(), 0x561234, colours, 1), 0x332211);
    EXPECT_EQ(colours.arrayRef().size(), 3u);
    const std::int32_t third[] = {3};
    EXPECT_EQ(colours.arrayRef().get(third).toLong(), 0x030201);

    m_driver->whenShown(QStringLiteral("dlgColor"), [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_EQ(m_dialog->ShowColor(ownerHandle(), 0, colours, 2), -1);
}

TEST_F(CommonDialog, FontConfirmedWritesTheChoiceBackAndCancelledKeepsTheFont) {
    Ref<TestFont> font = makeObject<TestFont>();
    font->m_size = 0;  // a size of 0 opens with the dialog's own size
    Variant fontArg = Variant(ObjectRef(font));
    std::int32_t colour = 0x0000FF;
    QFont chosen;
    m_driver->whenShown(QStringLiteral("dlgFont"), [&](QWidget& window) {
        auto& dialog = static_cast<QFontDialog&>(window);
        QFont wanted = dialog.currentFont();
        wanted.setPointSize(14);
        wanted.setBold(true);
        dialog.setCurrentFont(wanted);
        chosen = dialog.currentFont();  // what the installed families allow
        DialogDriver::clickButton(window, QStringLiteral("OK"));
    });
    EXPECT_TRUE(m_dialog->ShowFont(ownerHandle(), 0, fontArg, colour, Variant::missing()));
    EXPECT_EQ(font->m_size, 14);
    EXPECT_EQ(font->m_bold, chosen.bold());
    EXPECT_EQ(font->m_italic, chosen.italic());
    EXPECT_EQ(font->m_name, chosen.family().toStdU16String());
    EXPECT_EQ(colour, 0x0000FF);

    font->m_name = u"Kept";
    m_driver->whenShown(QStringLiteral("dlgFont"), [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_FALSE(m_dialog->ShowFont(ownerHandle(), 0, fontArg, colour, Variant::missing()));
    EXPECT_EQ(font->m_name, u"Kept");

    Variant notAFont(u"Arial");
    EXPECT_FALSE(m_dialog->ShowFont(ownerHandle(), 0, notAFont, colour, Variant::missing()));
}

TEST_F(CommonDialog, PageSetupAndPrintAnswerConfirmAndCancel) {
    m_driver->whenShown(QStringLiteral("dlgPageSetup"),
                        [](QWidget& window) { static_cast<QDialog&>(window).accept(); });
    EXPECT_EQ(m_dialog->ShowPageSetup(ownerHandle(), Variant::missing()), 0);
    m_driver->whenShown(QStringLiteral("dlgPageSetup"), [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_EQ(m_dialog->ShowPageSetup(ownerHandle(), Variant::missing()), -1);

    bool shown = false;
    m_driver->whenShown(QStringLiteral("dlgPrint"), [&](QWidget& window) {
        shown = true;
        DialogDriver::close(window);
    });
    m_dialog->ShowPrinter(ownerHandle(), Variant::missing());
    EXPECT_TRUE(shown);
}

TEST_F(CommonDialog, FolderCancelledGivesTheInitialFolderWithABackslash) {
    m_driver->whenShown(QStringLiteral("dlgBrowseFolder"),
                        [](QWidget& window) { DialogDriver::close(window); });
    Variant flags = Variant::missing();
    EXPECT_EQ(m_dialog->ShowFolder(ownerHandle(), u"Pick one", u"C:\\Temp", flags), u"C:\\Temp\\");
    EXPECT_EQ(flags.toLong(), 1);
    EXPECT_EQ(m_dialog->InitDirectory(), u"C:\\Temp");
    EXPECT_EQ(m_dialog->DialogTitle(), u"Pick one");
}

TEST_F(CommonDialog, FolderConfirmedStartsInTheInitialFolderAndGivesTheChoice) {
    const fs::path start = sandbox() / "start";
    fs::create_directories(start / "inner");
    m_driver->whenShown(QStringLiteral("dlgBrowseFolder"), [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(),
                  start.string());  // selected by the callback
        chooseFile(window, start / "inner");
    });
    Variant flags = Variant::missing();
    EXPECT_EQ(m_dialog->ShowFolder(ownerHandle(), u"", suite(start), flags), suite(start / "inner") + u"\\");
}

TEST_F(CommonDialog, NetworkListsTheKnownComputers) {
    const std::vector<std::string> computers = knownComputers();
    ASSERT_FALSE(computers.empty());
    m_driver->whenShown(QStringLiteral("dlgBrowseComputer"), [&](QWidget& window) {
        EXPECT_TRUE(DialogDriver::pickEntry(window, QStringLiteral("lstComputers"),
                                            QString::fromStdString(computers.front())));
        DialogDriver::clickButton(window, QStringLiteral("OK"));
    });
    Variant flags = Variant::missing();
    EXPECT_EQ(m_dialog->ShowNetwork(ownerHandle(), u"", u"", flags), fromUtf8(computers.front()) + u"\\");
    EXPECT_EQ(flags.toLong(), 4096);

    m_driver->whenShown(QStringLiteral("dlgBrowseComputer"),
                        [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_EQ(m_dialog->ShowNetwork(ownerHandle(), u"", u"", flags), u"");
}

TEST_F(CommonDialog, ParentCenterPlacesTheDialogOverItsOwner) {
    m_dialog->setPosition(2);
    QRect placed;
    m_driver->whenShown(QStringLiteral("dlgColor"), [&](QWidget& window) {
        placed = window.frameGeometry();
        DialogDriver::close(window);
    });
    Variant colours;
    m_dialog->ShowColor(ownerHandle(), 0, colours, 0);
    const QRect owner = m_owner->frameGeometry();
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (placed.width() <= work.right - work.left && placed.height() <= work.bottom - work.top) {
        EXPECT_NEAR(placed.center().x(), owner.center().x(), 1);
        EXPECT_NEAR(placed.center().y(), owner.center().y(), 1);
    }
    EXPECT_GE(placed.left(), work.left);
    EXPECT_GE(placed.top(), work.top);
}

TEST_F(CommonDialog, BadInputGetsTheEmptyResultsNeverACrash) {
    // A FileName longer than the buffer, a filter without its final NUL and with an odd part, an index
    // past the last pair.
    m_dialog->setFileName(std::u16string(600, u'x') + u".txt");
    m_dialog->setFilter(u"Text\0*.txt\0Lonely"s);
    m_dialog->setFilterIndex(9);
    m_driver->whenShown(QStringLiteral("dlgOpenFile"), [](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        EXPECT_EQ(dialog.nameFilters().size(), 1);
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text().size(), 255);
        DialogDriver::close(window);
    });
    Variant flags = Variant::missing();
    EXPECT_EQ(m_dialog->ShowOpen(ownerHandle(), u"", u"", u"", 0, u"", flags), 0);
    EXPECT_TRUE(m_driver->done());

    // A chosen path longer than the 256-character buffer counts as a cancellation.
    const fs::path deep = sandbox() / std::string(120, 'd') / std::string(120, 'e');
    fs::create_directories(deep);
    const fs::path file = deep / "long-enough-to-overflow.txt";
    std::ofstream(file) << "x";
    m_driver->whenShown(QStringLiteral("dlgOpenFile"), [&](QWidget& window) { chooseFile(window, file); });
    EXPECT_EQ(m_dialog->ShowOpen(ownerHandle(), u"", u"", u"", 0, u"", flags), 0);
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(m_dialog->FileName(), u"");
}

}  // namespace
