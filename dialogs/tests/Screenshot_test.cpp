// The open-file dialog placed by MM_PARENT_CENTER over a small owner window, photographed for the
// documentation. Runs on a real X server only: VELMORA_SCREENSHOT_DISPLAY=1 xvfb-run -a askpane_tests.
#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "DialogTestSupport.h"
#include "dialogs/CommonDialogObject.h"
#include "platform/paths.h"
#include "runtime/text.h"
#include "ui/DialogDriver.h"

using namespace velmora;

namespace {

class Screenshot : public test::DialogTest {};

TEST_F(Screenshot, OpenFileCentredOnItsOwner) {
    if (!std::getenv("VELMORA_SCREENSHOT_DISPLAY")) GTEST_SKIP() << "needs a real X server";
    const std::filesystem::path folder =
        std::filesystem::path(std::getenv("VELMORA_TEST_SANDBOX")) / "Documents";
    std::filesystem::create_directories(folder);
    for (const char* name : {"report.txt", "notes.txt", "budget.ods"}) std::ofstream(folder / name) << name;

    // Wider than the dialog but low, so that it shows on both sides of the dialog centred on it. A palette,
    // unlike a style sheet, stays with the owner and does not reach the dialog.
    m_owner->setWindowTitle(QStringLiteral("Owner window"));
    m_owner->setGeometry(152, 304, 720, 160);
    QPalette colours = m_owner->palette();
    colours.setColor(QPalette::Window, QColor(0x3a, 0x6e, 0xa5));
    m_owner->setPalette(colours);
    m_owner->setAutoFillBackground(true);
    Ref<CommonDialogObject> dialog = makeObject<CommonDialogObject>();
    dialog->setPosition(2);
    dialog->setInitDirectory(fromUtf8(toSuitePath(folder.string())));
    dialog->AddFilterItem(u"Text files", Variant(u"*.txt"));
    dialog->AddFilterItem(u"All files", Variant::missing());

    QRect placed;
    QRect owner;
    DialogDriver driver;
    driver.whenShown(QStringLiteral("dlgOpenFile"), [&](QWidget& window) {
        QTimer::singleShot(700, &window, [&] {
            placed = window.frameGeometry();
            owner = m_owner->frameGeometry();
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
            QDir().mkpath(VELMORA_DOCS_DIR "/screenshots");
            EXPECT_TRUE(shot.save(VELMORA_DOCS_DIR "/screenshots/askpane-open-parent-center.png"));
            DialogDriver::close(window);
        });
    });
    Variant flags = Variant::missing();
    dialog->ShowOpen(ownerHandle(), u"Open File", u"report.txt", u"", 0, u"", flags);
    EXPECT_NEAR(placed.center().x(), owner.center().x(), 1);
    EXPECT_NEAR(placed.center().y(), owner.center().y(), 1);
}

}  // namespace
