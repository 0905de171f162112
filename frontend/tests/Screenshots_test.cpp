// What users see, saved for the documentation: both dialogs as they open, and the password's balloon
// tooltip over the encrypt dialog.
#include <QDir>
#include <QLineEdit>
#include <QPainter>

#include "SealdeskTestSupport.h"
#include "frmDecrypt.h"
#include "frmEncrypt.h"

namespace velmora::test {
namespace {

class ScreenshotTest : public SealdeskTest {};

QWidget* visibleToolTip() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("tooltips_class32") && window->isVisible()) return window;
    return nullptr;
}

TEST_F(ScreenshotTest, BothDialogsAndAToolTip) {
    makeSharedObjects();
    writeFile(m_files / "report.odt", "x");
    writeFile(m_files / "budget.ods", "x");
    writeFile(m_files / "photos" / "beach.jpg", "x");
    writeFile(m_files / "report.odt.zqf", "x");
    setArguments({"/e", (m_files / "report.odt").string(), (m_files / "budget.ods").string(),
                  (m_files / "photos").string()});
    QDir().mkpath(VELMORA_DOCS_DIR "/screenshots");
    {
        frmEncrypt form;
        ASSERT_TRUE(form.load());
        form.move(200, 200);
        form.show();
        form.findChild<QLineEdit*>(QStringLiteral("Text1(0)"))->setText(QStringLiteral("secret"));
        QCoreApplication::processEvents();
        // The longest method name is shown whole.
        const auto* methods = form.findChild<QComboBox*>(QStringLiteral("cboEncryptLvl"));
        EXPECT_GE(methods->width(), methods->sizeHint().width());
        EXPECT_TRUE(form.grab().save(VELMORA_DOCS_DIR "/screenshots/sealdesk-encrypt.png"));

        // The password box's tooltip (the second one added), shown at once instead of after the delay.
        const ObjectRef tip = getProperty(form.toolTips(), u"Item", std::int32_t{2}).toObject();
        letProperty(tip, u"Activate", std::int32_t{2}, std::int16_t{0}, std::int16_t{0}, true);
        QCoreApplication::processEvents();
        QWidget* balloon = visibleToolTip();
        ASSERT_NE(balloon, nullptr);
        EXPECT_TRUE(test::saveWithBalloon(
            form, *balloon, QStringLiteral(VELMORA_DOCS_DIR "/screenshots/sealdesk-encrypt-tooltip.png")));
        form.hide();
    }
    setArguments({"/v", (m_files / "report.odt.zqf").string()});
    {
        frmDecrypt form;
        ASSERT_TRUE(form.load());
        form.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(form.grab().save(VELMORA_DOCS_DIR "/screenshots/sealdesk-decrypt.png"));
        form.hide();
    }
}

}  // namespace
}  // namespace velmora::test
