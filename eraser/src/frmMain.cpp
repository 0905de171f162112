#include "frmMain.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

#include "EraseProcedure.h"
#include "common/NamedItems.h"
#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "help/HelpContext.h"
#include "platform/entry.h"
#include "platform/storage.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "ui/handlers.h"

namespace velmora {

namespace {

constexpr std::int32_t kBalloon = 64;      // TOOLTIP_STYLE BALLOON
constexpr std::int32_t kNoIcon = 0;        // TOOLTIP_ICON NONE
constexpr std::int32_t kNonTracking = 16;  // TOOLTIP_BEHAVIOR NON_TRACKING
constexpr std::size_t kItemsShown = 200;   // the list stays quick to build and to read

// The window's picture: a sheet going into a shredder and coming out as strips.
QPixmap shredderPicture() {
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{14, 2}, {30, 2}, {36, 8}, {36, 22}, {14, 22}}));
    p.drawLine(30, 2, 30, 8);
    p.drawLine(30, 8, 36, 8);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 10; y <= 18; y += 4) p.drawLine(18, y, 32, y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(QRectF(6, 20, 38, 12), 3, 3);
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(10, 25, 30, 2));
    p.setBrush(QColor(235, 235, 235));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int x = 14; x <= 34; x += 5) p.drawRect(QRectF(x, 33, 3, 12 - (x % 3) * 2));
    return picture;
}

}  // namespace

frmMain::frmMain(std::vector<std::u16string> arguments, ObjectRef helpTopics, QWidget* parent)
    : QDialog(parent), m_arguments(std::move(arguments)), m_helpTopics(std::move(helpTopics)) {
    setObjectName("frmMain");
    setWindowTitle("Shredwell");
    m_imlMain.push_back(shredderPicture());

    m_picture1 = new QLabel(this);
    m_picture1->setObjectName("Picture1");
    m_picture1->setFixedSize(52, 52);
    m_picture1->setAlignment(Qt::AlignCenter);

    m_lblCaption = new QLabel(this);
    m_lblCaption->setObjectName("lblCaption");
    m_lblCaption->setTextFormat(Qt::PlainText);
    m_lblCaption->setWordWrap(true);
    m_lblCaption->setText(
        "You have selected to wipe this archive.  NOTE:   ONCE WIPED THE DATA IS COMPLETELY UNRECOVERABLE");

    m_ctlNumberSelect1 = new ctlNumberSelect(this);
    m_ctlNumberSelect1->setObjectName("ctlNumberSelect1");
    m_ctlNumberSelect1->setMin(1);
    m_ctlNumberSelect1->setMax(1999);
    m_ctlNumberSelect1->setValue(3);
    m_ctlNumberSelect1->setMinimumWidth(72);
    // Its tooltip's title names it for a screen reader; "pass(es)" beside it says too little.
    m_ctlNumberSelect1->setAccessibleName("Number of passes");

    // What is about to go, as the command line names it: a user checks this before saying "Ok".
    auto* itemsLabel = new QLabel("Items to erase:", this);
    m_lstItems = new QListWidget(this);
    m_lstItems->setObjectName("lstItems");
    m_lstItems->setSelectionMode(QAbstractItemView::NoSelection);
    m_lstItems->setFixedHeight(6 * m_lstItems->fontMetrics().height() + 8);
    // A long path keeps both its start and its name in sight; the whole path is the item's tooltip and
    // what a screen reader reads.
    m_lstItems->setTextElideMode(Qt::ElideMiddle);
    m_lstItems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    itemsLabel->setBuddy(m_lstItems);
    m_lstItems->setAccessibleName("Items to erase");  // a list is not named by its buddy
    const std::vector<NamedItem> items = namedItems(m_arguments, 1);
    if (items.empty()) m_lstItems->addItem("Nothing will be erased: no files or folders were given.");
    for (const std::u16string& line : itemLines(items, kItemsShown)) {
        auto* item = new QListWidgetItem(QString::fromStdU16String(line), m_lstItems);
        item->setToolTip(item->text());
    }

    m_lblPass = new QLabel("pass(es)", this);
    m_lblPass->setObjectName("lblPass");

    m_lblStorage = new QLabel(this);
    m_lblStorage->setObjectName("lblStorage");
    m_lblStorage->setTextFormat(Qt::RichText);
    m_lblStorage->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_lblStorage->setStyleSheet("color: palette(mid);");
    m_lblStorage->hide();

    const char* captions[2] = {"Ok", "Cancel"};
    for (int index = 0; index < 2; ++index) {
        m_button1[index] = new SkinButton(this);
        m_button1[index]->setObjectName("Button1");
        m_button1[index]->setProperty("Index", index);
        m_button1[index]->setCaption(captions[index]);
        connect(m_button1[index], &SkinButton::Click, this,
                [this, index] { runHandler([&] { Button1_Click(index); }); });
    }
    m_button1[0]->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_picture1, 0, Qt::AlignTop);
    top->addWidget(m_lblCaption, 1);
    // The passes and the buttons share the last row, so the selector's balloon opens below the window.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_ctlNumberSelect1);
    bottom->addWidget(m_lblPass);
    bottom->addStretch(1);
    bottom->addWidget(m_button1[0]);
    bottom->addWidget(m_button1[1]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(itemsLabel);
    layout->addWidget(m_lstItems);
    layout->addLayout(top);
    layout->addWidget(m_lblStorage);
    layout->addLayout(bottom);
    setFixedWidth(400);
    setTabOrder(m_ctlNumberSelect1, m_button1[0]);
    setTabOrder(m_button1[0], m_button1[1]);
    setTabOrder(m_button1[1], m_lstItems);

    connect(m_ctlNumberSelect1, &ctlNumberSelect::Change, this,
            [this] { runHandler([this] { ctlNumberSelect1_Change(); }); });
    connect(m_lblStorage, &QLabel::linkActivated, this,
            [this] { runHandler([this] { showHelp(u"storage.htm"); }); });
    Form_Load();
}

frmMain::~frmMain() {
    Form_QueryUnload();
}

void frmMain::Form_Load() {
    m_picture1->setPixmap(m_imlMain.front());
    m_directory = CreateObject(u"Diskware.DirectoryObject");
    m_objProgress = CreateObject(u"Gaugebox.ProgressObject");
    m_objFile = CreateObject(u"Diskware.FileObject");
    connectEvents(m_objFile,
                  makeObject<CallbackSink>([this](std::u16string_view event, std::span<Variant> args) {
                      if (event == u"Progress" && !args.empty()) objFile_Progress(args[0].toInteger());
                  }));

    m_form = makeObject<ControlObject>(u"frmMain", this);
    m_form->setHelpHandler([this] { showHelp(nullptr); });
    ObjectRef form(m_form);
    ObjectRef selector(makeObject<ControlObject>(u"ctlNumberSelect1", m_ctlNumberSelect1, form));
    m_toolTips = CreateObject(u"Guidepost.ToolTips");
    m_passTip = call(m_toolTips, u"Add", form, selector,
                     u"Select the number of passes for the wiping method.\n"
                     u"The more passes you select the less chance\n"
                     u"that anybody will be able to recover it.",
                     u"", u"Number of passes", kBalloon, kNoIcon, kNonTracking)
                    .toObject();

    // F1 on the window opens the eraser's help topic through the help library.
    if (m_helpTopics) {
        m_helpTopic = call(m_helpTopics, u"Add", form).toObject();
        letProperty(m_helpTopic, u"TopicID", helpcontext::kEraser);
    }
    warnAboutStorage();
}

void frmMain::Form_QueryUnload() {
    if (m_unloaded) return;
    m_unloaded = true;
    m_objProgress.reset();
    m_objFile.reset();
    m_directory.reset();
    m_passTip.reset();
    m_toolTips.reset();
}

QString frmMain::passLabel(std::int32_t value) {
    return value < 2 ? "pass" : "passes";
}

void frmMain::ctlNumberSelect1_Change() {
    m_lblPass->setText(passLabel(m_ctlNumberSelect1->Value()));
}

void frmMain::objFile_Progress(std::int16_t percent) {
    m_progressValues.offer(percent);
}

void frmMain::showProgress(std::int32_t percent) {
    if (m_objProgress) postProperty(m_objProgress, u"value", percent);
}

void frmMain::Button1_Click(int index) {
    if (m_unloaded) return;
    hide();
    if (index == 0 && m_arguments.size() > 1) {
        EraseProcedure procedure({m_objFile, m_directory, m_objProgress},
                                 [this] { return m_ctlNumberSelect1->Value(); });
        procedure.setWipeObserver(m_wipeObserver);
        try {
            procedure.run(m_arguments);
        } catch (const RuntimeError& error) {
            m_failure = error;  // an error must not unwind through the event loop
        }
        m_leftAlone = procedure.leftAlone();
    }
    Form_QueryUnload();
    done(index == 0 ? QDialog::Accepted : QDialog::Rejected);
}

void frmMain::reject() {
    runHandler([this] { Button1_Click(1); });
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // Held down since before the window opened: not the user's answer to it.
    if (isHeldAnswerKey(*event)) return event->accept();
    QDialog::keyPressEvent(event);
}

void frmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A user starts at the number of passes, ready to type over it.
    m_ctlNumberSelect1->setFocus(Qt::OtherFocusReason);
    m_ctlNumberSelect1->selectAll();
}

bool frmMain::storageWarned() const {
    return !m_lblStorage->isHidden();
}

void frmMain::warnAboutStorage() {
    bool copyOnWrite = false, solidState = false;
    std::string fileSystem;
    for (std::size_t i = 1; i < m_arguments.size(); ++i) {
        const std::string path = toUtf8(m_arguments[i]);
        if (entryOf(path).kind == EntryKind::Missing) continue;
        const StorageKind kind = storageOf(path);
        if (kind.copyOnWrite && !copyOnWrite) fileSystem = kind.fileSystem;
        copyOnWrite = copyOnWrite || kind.copyOnWrite;
        solidState = solidState || kind.nonRotational;
    }
    if (!copyOnWrite && !solidState) return;
    QString where = copyOnWrite ? QString::fromStdString(fileSystem) : QString("solid-state");
    if (copyOnWrite && solidState) where += " / solid-state";
    m_lblStorage->setText(QString("Old copies may survive overwriting on %1 storage. "
                                  "<a href=\"storage.htm\">What to do instead</a>")
                              .arg(where));
    m_lblStorage->show();
}

void frmMain::showHelp(const char16_t* topicUrl) {
    if (!m_helpTopic) return;
    try {
        Variant calling{ObjectRef(m_form)};
        if (topicUrl)
            call(m_helpTopic, u"DisplayTopicFromURL", Variant(topicUrl), calling);
        else
            call(m_helpTopic, u"DisplayTopicFromID", Variant(helpcontext::kEraser), calling);
    } catch (const RuntimeError&) {
        // No help file beside the program: the window goes on without it.
    }
}

}  // namespace velmora
