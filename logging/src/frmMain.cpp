#include "logging/frmMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

#include "runtime/text.h"
#include "ui/handlers.h"
#include "ui/windows.h"

namespace velmora {
namespace {

frmMain::KeepAlive& keepAliveMaker() {
    static frmMain::KeepAlive make;
    return make;
}

// The layout in twips. List1 sits on the form over Frame1's inside, so its top counts from the form.
constexpr int kWidth = 6000;
constexpr int kFrameTop = 1455;
constexpr int kListTop = 1695;
constexpr int kListHeight = 1455;

QString text(const std::u16string& value) {
    return QString::fromStdU16String(value);
}

}  // namespace

void frmMain::setKeepAlive(KeepAlive make) {
    keepAliveMaker() = std::move(make);
}

frmMain::frmMain() : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("frmMain");
    setAttribute(Qt::WA_DeleteOnClose);
    Picture1 = new QLabel(this);
    Label1 = new QLabel(this);
    cmdView = new SkinButton(this);
    cmdSend = new SkinButton(this);
    cmdCancel = new SkinButton(this);
    Frame1 = new SkinFrame(this);
    List1 = new QListWidget(this);
    Picture1->setObjectName("Picture1");
    Label1->setObjectName("Label1");
    cmdView->setObjectName("cmdView");
    cmdSend->setObjectName("cmdSend");
    cmdCancel->setObjectName("cmdCancel");
    Frame1->setObjectName("Frame1");
    List1->setObjectName("List1");
    // The frame's caption names the list for a screen reader.
    List1->setAccessibleName(QStringLiteral("Details"));

    const int icon = 32;
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(icon, icon));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QFont buttonFont(QStringLiteral("MS Sans Serif"), 8);
    for (SkinButton* button : {cmdView, cmdSend, cmdCancel}) button->setFont(buttonFont);
    cmdView->setCaption(QStringLiteral("View Details"));
    cmdSend->setCaption(QStringLiteral("Send"));
    cmdCancel->setCaption(QStringLiteral("Close"));
    Frame1->setCaption(QStringLiteral("Details"));

    place(Picture1, 120, 120, 600, 600);
    place(Label1, 840, 120, 5040, 735);
    place(cmdView, 120, 960, 1455, 375);
    place(cmdSend, 3240, 960, 1215, 375);
    place(cmdCancel, 4560, 960, 1335, 375);
    place(Frame1, 120, kFrameTop, 5760, kListTop + kListHeight + 240 - kFrameTop);
    place(List1, 240, kListTop, 5520, kListHeight);

    connect(cmdView, &SkinButton::Click, this, [this] { runHandler([this] { toggleDetails(); }); });
    connect(cmdSend, &SkinButton::Click, this, [this] { runHandler([this] { send(); }); });
    connect(cmdCancel, &SkinButton::Click, this, [this] { runHandler([this] { close(); }); });
    // Return sends (what the message asks for), Escape closes.
    cmdSend->setDefault(true);
    if (keepAliveMaker()) m_keepAlive = keepAliveMaker()();
}

frmMain::~frmMain() = default;

void frmMain::place(QWidget* control, int left, int top, int width, int height) {
    const int x = twipsPerPixelX();
    const int y = twipsPerPixelY();
    control->setGeometry(left / x, top / y, width / x, height / y);
}

int frmMain::collapsedHeight() const {
    return (kFrameTop + 350) / twipsPerPixelY();
}

int frmMain::expandedHeight() const {
    return (kListTop + kListHeight + 400) / twipsPerPixelY();
}

void frmMain::BeginControl(const std::u16string& AppName, std::int32_t Number,
                           const std::u16string& ObjectName, const std::u16string& Routine,
                           const std::u16string& Description) {
    Label1->setText(
        QStringLiteral("An error has occurred in ") + text(AppName) +
        QStringLiteral(".  If you would like to send the bug report to Quillon Partners hit send."));
    m_appName = AppName;
    m_number = Number;
    m_objectName = ObjectName;
    m_routine = Routine;
    m_description = Description;
    List1->clear();
    List1->addItem(QStringLiteral("Application: ") + text(AppName));
    List1->addItem(QStringLiteral("Number: ") + QString::number(Number));
    List1->addItem(QStringLiteral("Object: ") + text(ObjectName));
    List1->addItem(QStringLiteral("Routine: ") + text(Routine));
    List1->addItem(QStringLiteral("Description: ") + text(Description));
    setWindowTitle(QStringLiteral("Error in ") + text(AppName));
    m_expanded = false;
    setFixedSize(kWidth / twipsPerPixelX(), collapsedHeight());
    show();
    cmdSend->setFocus();
}

void frmMain::toggleDetails() {
    m_expanded = !m_expanded;
    setFixedHeight(m_expanded ? expandedHeight() : collapsedHeight());
}

void frmMain::send() {
    // A copy: the handler may open another dialog, which takes the event away from this one.
    if (SendEmailHandler handler = m_sendEmail)
        handler(m_appName, m_number, m_description, m_objectName, m_routine);
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (isHeldAnswerKey(*event)) return event->accept();  // held since before the dialog opened
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<SkinButton*>(focusWidget()))
            button->click();
        else
            cmdSend->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace velmora
