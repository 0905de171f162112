// The dialog driver on a small modal dialog, the real message box, and the stand-in controls.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/messagebox.h"
#include "testsupport/GuiTest.h"
#include "ui/DialogDriver.h"
#include "ui/SkinButton.h"
#include "ui/SkinProgressBar.h"
#include "ui/ctlNumberSelect.h"

using namespace velmora;

namespace {

class Dialogs : public test::GuiTest {};

// A password dialog like the suite's: a field, a method list, OK and Cancel.
class SmallDialog : public QDialog {
  public:
    SmallDialog() {
        setObjectName(QStringLiteral("frmSmall"));
        setWindowTitle(QStringLiteral("Small dialog"));
        auto* layout = new QVBoxLayout(this);  // parent-owned, as all widgets below
        password = new QLineEdit(this);
        password->setObjectName(QStringLiteral("txtPassword"));
        methods = new QComboBox(this);
        methods->setObjectName(QStringLiteral("cboMethod"));
        methods->addItems({QStringLiteral("Blowfish"), QStringLiteral("Rijndael")});
        auto* ok = new QPushButton(QStringLiteral("&OK"), this);
        ok->setObjectName(QStringLiteral("cmdOK"));
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        for (QWidget* w : std::initializer_list<QWidget*>{password, methods, ok}) layout->addWidget(w);
    }
    QLineEdit* password;
    QComboBox* methods;
};

}  // namespace

TEST_F(Dialogs, TheDriverFillsAndConfirmsAModalDialog) {
    SmallDialog dialog;
    DialogDriver driver;
    bool typed = false;
    bool picked = false;
    driver.whenShown(QStringLiteral("Small dialog"), [&](QWidget& window) {
        typed = DialogDriver::typeInto(window, QStringLiteral("txtPassword"), QStringLiteral("s3cret"));
        picked = DialogDriver::pickEntry(window, QStringLiteral("cboMethod"), QStringLiteral("Rijndael"));
        EXPECT_FALSE(DialogDriver::pickEntry(window, QStringLiteral("cboMethod"), QStringLiteral("ROT13")));
        EXPECT_FALSE(DialogDriver::clickButton(window, QStringLiteral("cmdMissing")));
        EXPECT_EQ(DialogDriver::findWindow(QStringLiteral("frmSmall")), &window);
        DialogDriver::clickButton(window, QStringLiteral("OK"));
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(typed);
    EXPECT_TRUE(picked);
    EXPECT_EQ(dialog.password->text(), QStringLiteral("s3cret"));
    EXPECT_EQ(dialog.methods->currentText(), QStringLiteral("Rijndael"));

    driver.whenShown(QStringLiteral("frmSmall"), [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST_F(Dialogs, TheMessageBoxIsARealDialogWithItsButtonsIconAndDefault) {
    DialogDriver driver;
    QString text;
    QString title;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    driver.whenShown(QStringLiteral("Confirm"), [&](QWidget& window) {
        auto& box = static_cast<QMessageBox&>(window);
        text = box.text();
        title = box.windowTitle();
        icon = box.icon();
        defaultButton = box.defaultButton() ? box.defaultButton()->objectName() : QString();
        DialogDriver::clickButton(window, QStringLiteral("Cancel"));
    });
    EXPECT_EQ(MessageBoxA(0, "Wipe the file?", "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDCANCEL);
    EXPECT_EQ(text, QStringLiteral("Wipe the file?"));
    EXPECT_EQ(title, QStringLiteral("Confirm"));
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(defaultButton, QStringLiteral("IDNO"));

    driver.whenShown(QStringLiteral("Error"), [](QWidget& window) { DialogDriver::close(window); });
    EXPECT_EQ(MessageBoxA(0, nullptr, nullptr, MB_OK), IDOK) << "closing a lone OK box answers OK";
}

TEST_F(Dialogs, TheRecorderStillAnswersWhileItLives) {
    MessageBoxRecorder recorder;
    recorder.answer(IDNO);
    EXPECT_EQ(MessageBoxA(0, "Replace?", "Sealdesk", MB_YESNO), IDNO);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, "Replace?");
}

TEST_F(Dialogs, SkinkitAndTallyspinControls) {
    SkinProgressBar bar;
    // Stored as written, in any order, without a range check.
    bar.setMax(-5);
    bar.setValue(2000000000);
    bar.setMin(10);
    EXPECT_EQ(bar.Min(), 10);
    EXPECT_EQ(bar.Max(), -5);
    EXPECT_EQ(bar.Value(), 2000000000);
    bar.setMax(2100000000);
    EXPECT_EQ(bar.QProgressBar::value(), 2000000000);
    bar.setValue(-7);
    EXPECT_EQ(bar.QProgressBar::value(), 10) << "shown clamped";

    SkinButton button;
    int clicks = 0;
    QObject::connect(&button, &SkinButton::Click, [&] { ++clicks; });
    button.setCaption(QStringLiteral("Cancel"));
    button.click();
    button.setEnabled(false);
    button.click();
    button.Refresh();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.Caption(), QStringLiteral("Cancel"));

    ctlNumberSelect passes;
    passes.setMin(1);
    passes.setMax(99);
    int changes = 0;
    QObject::connect(&passes, &ctlNumberSelect::Change, [&] { ++changes; });
    passes.setValue(3);
    passes.setValue(3);
    passes.setValue(500);
    EXPECT_EQ(passes.Value(), 99);
    EXPECT_EQ(changes, 2);
}
