#include "CipherForm.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <algorithm>

#include "ComboList.h"
#include "common/NamedItems.h"
#include "common/mCommandLine.h"
#include "common/mPublic.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "component/fileerrors.h"
#include "mMain.h"
#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/owned.h"
#include "platform/paths.h"
#include "runtime/Error.h"
#include "runtime/nativenames.h"
#include "runtime/text.h"
#include "ui/handlers.h"

namespace velmora {

namespace {
constexpr char16_t kCaption[] = u"Velmora Sealdesk";
// Tooltip appearance both dialogs use: balloon, no icon, not tracking the mouse.
constexpr std::int32_t kBalloon = 64;
constexpr std::int32_t kNoIcon = 0;
constexpr std::int32_t kNonTracking = 16;
constexpr std::int32_t kToolTipDelay = 99;
constexpr std::int32_t kFileCopyClip = 105;
constexpr std::int32_t kInvalidPropertyValue = 380;

QString qtext(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

CipherForm::CipherForm(const char16_t* formName) : m_formName(formName) {
    setObjectName(qtext(m_formName));
    setWindowTitle(qtext(kCaption));
    // The type's icon, read once the dialog is up: its image plug-ins would delay the window by a few
    // milliseconds. The program directory is a suite path; Qt needs the native one.
    QTimer::singleShot(0, this, [this] {
        setWindowIcon(
            QIcon(QString::fromStdString(toNativePath(toUtf8(mMain::programDirectory() + u"\\zqf.ico")))));
    });
    cboEncryptLvl = new QComboBox(this);
    cboEncryptLvl->setObjectName(QStringLiteral("cboEncryptLvl"));
    // A method's name says why one would pick it: the list is as wide as the longest, so none is cut off.
    cboEncryptLvl->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmdExit[0] = new QPushButton(QStringLiteral("Ok"), this);
    cmdExit[1] = new QPushButton(QStringLiteral("Cancel"), this);
    for (int i = 0; i < 2; ++i) {
        cmdExit[i]->setObjectName(QStringLiteral("cmdExit(%1)").arg(i));
        connect(cmdExit[i], &QPushButton::clicked, this, [this, i] { runHandler([&] { buttonClick(i); }); });
    }
    cmdExit[0]->setDefault(true);
}

CipherForm::~CipherForm() {
    try {
        settleFiles();
        flushChangedFolders();
    } catch (const RuntimeError&) {
        // Going anyway: a file not finished keeps its old name beside its result.
    }
    m_inFlight.reset();
    if (!m_unloaded) {
        if (m_client) m_client->detach();
        m_engine = {};
        m_progress = {};
        m_toolTips = {};
    }
}

void CipherForm::reject() {
    // Escape and the window's close box mean "Cancel", which ends the dialog its own way.
    if (!m_unloaded) runHandler([this] { buttonClick(1); });
}

void CipherForm::keyPressEvent(QKeyEvent* event) {
    // A Return or Escape still held from the window before (the server repeats a key held down) is no
    // answer to this dialog.
    if (isHeldAnswerKey(*event)) return event->accept();
    QDialog::keyPressEvent(event);
}

QLineEdit* CipherForm::passwordBox(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // masked with "*"
    return box;
}

QWidget* CipherForm::itemsRow() {
    std::vector<std::u16string> arguments;
    for (std::int32_t i = 0; i < mCommandLine::argumentCount(); ++i)
        arguments.push_back(mCommandLine::argument(i));
    const std::vector<NamedItem> items = namedItems(arguments, 2);
    QStringList lines;
    for (const std::u16string& line : itemLines(items, items.size())) lines << qtext(line);

    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Files:"), row);
    txtItems = new QLineEdit(qtext(itemsSummary(items)), row);
    txtItems->setObjectName(QStringLiteral("txtItems"));
    txtItems->setReadOnly(true);
    txtItems->setToolTip(lines.join(u'\n'));
    txtItems->setCursorPosition(0);
    label->setBuddy(txtItems);
    layout->addWidget(label);
    layout->addWidget(txtItems, 1);
    return row;
}

void CipherForm::addButtons(QWidget& row) {
    auto* layout = new QHBoxLayout(&row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(cmdExit[0]);
    layout->addWidget(cmdExit[1]);
}

ObjectRef CipherForm::formObject() {
    if (!m_form) m_form = makeObject<ControlObject>(m_formName, this);
    return ObjectRef(m_form);
}

void CipherForm::createToolTips() {
    m_toolTips = CreateObject(u"Guidepost.ToolTips");
}

void CipherForm::setToolTipsDelay() {
    letProperty(m_toolTips, u"Delay", kToolTipDelay);
}

void CipherForm::addToolTip(QWidget* control, const std::u16string& title, const std::u16string& text) {
    const ObjectRef form = formObject();
    const ObjectRef item(makeObject<ControlObject>(control->objectName().toStdU16String(), control, form));
    call(m_toolTips, u"Add", form, item, text, std::u16string(), title, kBalloon, kNoIcon, kNonTracking);
}

void CipherForm::addHelpTopic(std::int32_t topicId) {
    const ObjectRef& help = mMain::shared().help;
    if (!help) return;
    const ObjectRef form = formObject();
    m_helpTopic = call(help, u"Add", form).toObject();
    letProperty(m_helpTopic, u"TopicID", topicId);
    m_form->setHelpHandler([this, topicId] {
        try {
            call(m_helpTopic, u"DisplayTopicFromID", Variant(topicId), Variant(formObject()));
        } catch (const RuntimeError&) {
            // No help file beside the program: the dialog goes on without it.
        }
    });
}

void CipherForm::createEngine() {
    m_client = makeObject<EngineClient>(
        [this](std::int32_t percent) { postProperty(m_progress, u"value", percent); },
        [this](std::int32_t number, const std::u16string& description, const std::u16string& source) {
            logError(description, number, source);
        });
    m_engine = CreateObject(u"Ciphercore.EncryptObject");
    velmora::setProperty(m_engine, u"IEventHandler", ObjectRef(m_client));
}

void CipherForm::createProgress() {
    m_progress = CreateObject(u"Gaugebox.ProgressObject");
}

void CipherForm::fillMethods() {
    const ObjectRef methods = getProperty(m_engine, u"EncryptionMethods").toObject();
    const std::int32_t count = getProperty(methods, u"Count").toLong();
    ComboList list(*cboEncryptLvl);
    for (std::int32_t i = 1; i <= count; ++i) {
        const ObjectRef plugIn = getProperty(getProperty(methods, u"Item", i).toObject(), u"obj").toObject();
        mPublic::fillList(list, getProperty(plugIn, u"MethodName").toString(), static_cast<std::int16_t>(i));
    }
    // Selecting the first entry of an empty list fails, as the list's ListIndex = 0 does.
    if (cboEncryptLvl->count() == 0)
        velmora::raise(kInvalidPropertyValue, u"Invalid property value", u"cboEncryptLvl");
    cboEncryptLvl->setCurrentIndex(0);
    // The window was laid out before the names were known; it grows to show the longest whole.
    resize(std::max(width(), sizeHint().width()), height());
}

void CipherForm::selectMethod(const std::u16string& key) {
    letProperty(m_engine, u"SelectedMethod", ComboList::selectedItemData(*cboEncryptLvl));
    letProperty(m_engine, u"Key", key);
}

void CipherForm::startProgress(const std::u16string& caption) {
    call(m_progress, u"Initialize", caption, std::u16string(u"Initializing"), std::int32_t{0},
         std::int32_t{100}, kFileCopyClip, false, true);
}

// The window's updates are not waited for: a folder of small files writes one a file, and the window
// shows the latest with its next frame anyway.
void CipherForm::setStatus(const std::u16string& text) {
    postProperty(m_progress, u"StatusText", text);
}

namespace {

std::u16string containingFolder(const std::u16string& path) {
    const std::size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? u"." : path.substr(0, cut);
}

void flushFolder(const std::u16string& folder) {
    const OwnedHandle handle(CreateFileA(toUtf8(folder).c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle) FlushFileBuffers(handle.get());
}

}  // namespace

void CipherForm::endProgress() {
    settleFiles();
    flushChangedFolders();
    m_client->flushProgress();
    call(m_progress, u"Terminate");
}

void CipherForm::flushChangedFolders() {
    // Each result was flushed before its name appeared; the removals after it are flushed once a folder,
    // not once a file.
    for (const std::u16string& folder : m_changedFolders) flushFolder(folder);
    m_changedFolders.clear();
}

std::u16string CipherForm::longNameOf(const std::u16string& path) const {
    const ObjectRef& file = mMain::shared().file;
    letProperty(file, u"FileName", path);
    return getProperty(file, u"LongName").toString();
}

bool CipherForm::fileExists() const {
    return getProperty(mMain::shared().file, u"Exists").toBool();
}

void CipherForm::logLeftAlone(const std::u16string& path, std::uint32_t win32Error,
                              const std::u16string& routine) const {
    switch (win32Error) {
        case ERROR_INVALID_NAME:
            logError(u"The name holds a \\, which this platform reads as a separator; left as it is: " + path,
                     err::BadFileNameOrNumber, routine);
            return;
        case ERROR_SHARING_VIOLATION:
            logError(u"The file is in use by another run or program; left as it is: " + path,
                     err::PermissionDenied, routine);
            return;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            logError(u"File not found: " + path, err::FileNotFound, routine);
            return;
        default:
            logError(u"Permission denied (the file cannot be read, or is read-only): " + path,
                     err::PermissionDenied, routine);
    }
}

void CipherForm::logWalkFailure(const std::u16string& path, std::uint32_t win32Error,
                                const std::u16string& routine) const {
    if (win32Error == ERROR_INVALID_NAME)
        logLeftAlone(path, win32Error, routine);
    else
        logError(u"Permission denied: " + path, err::PermissionDenied, routine);
}

bool CipherForm::claimSource(SourceClaim& claim, const std::u16string& path,
                             const std::u16string& routine) const {
    DWORD error = claim.take(path);
    // Another name of this file may be one whose result is still being put in place: that file's turn
    // ends first, as it did before this one began when files were done one by one.
    if (m_inFlight && (error == ERROR_SHARING_VIOLATION || (error == ERROR_SUCCESS && claim.names() > 1))) {
        settleFiles();
        error = claim.take(path);
    }
    if (error == ERROR_SUCCESS) return true;
    logLeftAlone(path, error, routine);
    return false;
}

namespace {

// How a file's last step went.
enum Retirement : int { kRemoved, kChanged, kNotRemoved };

// The last step's work, which says nothing and so may run beside the dialog's thread: the source's name
// goes, unless the source changed while it was read, in which case the result goes instead.
Retirement retire(SourceClaim& claim, const std::u16string& result) {
    if (!claim.unchanged()) {
        // Written to while it was read: what was read is not all there is, so the result goes.
        DeleteFileA(toUtf8(result).c_str());
        return kChanged;
    }
    return claim.removeName() ? kRemoved : kNotRemoved;
}

}  // namespace

bool CipherForm::retireSource(SourceClaim& claim, const std::u16string& source, const std::u16string& result,
                              const std::u16string& routine) {
    return sayRetirement(retire(claim, result), source, result, routine);
}

bool CipherForm::sayRetirement(int retirement, const std::u16string& source, const std::u16string& result,
                               const std::u16string& routine) {
    m_changedFolders.insert(containingFolder(source));
    m_changedFolders.insert(containingFolder(result));
    if (retirement == kChanged)
        logError(u"The file changed while it was read; it keeps its name and contents: " + source,
                 err::PathFileAccessError, routine);
    else if (retirement == kNotRemoved)
        logError(u"Could not remove " + source + u" after writing " + result, err::PathFileAccessError,
                 routine);
    return retirement == kRemoved;
}

void CipherForm::walkInFlight(const std::function<void()>& walk) {
    if (m_inFlight) return walk();
    m_inFlight = std::make_unique<FilesInFlight>();
    // A failure leaves the files to the log line that says it, which settles them first.
    walk();
    settleFiles();
    m_inFlight.reset();
}

FilesInFlight::Ticket CipherForm::commitsMark() const {
    return m_inFlight ? m_inFlight->mark() : 0;
}

void CipherForm::retireOnceCommitted(std::shared_ptr<SourceClaim> claim, const std::u16string& source,
                                     const std::u16string& result, const std::u16string& routine,
                                     FilesInFlight::Ticket since) {
    if (!m_inFlight) {
        retireSource(*claim, source, result, routine);
        return;
    }
    // The source's name goes as soon as the result stands, beside the next files; what there is to say of
    // it is said in the files' order.
    const auto behind = [claim, result](DWORD outcome) {
        return outcome == ERROR_SUCCESS ? retire(*claim, result) : kNotRemoved;
    };
    m_inFlight->add(since, behind, [this, source, result, routine](DWORD outcome, int retirement) {
        if (outcome == ERROR_SUCCESS) {
            sayRetirement(retirement, source, result, routine);
            return;
        }
        try {
            raiseFileError(outcome);
        } catch (const RuntimeError& error) {
            // What the method reports when its own commit fails, under its own routine's name.
            m_client->flushProgress();
            logError(error.description(), error.number(), u"Main:" + routine);
        }
    });
}

void CipherForm::settleFiles() const {
    if (m_inFlight) m_inFlight->settle();
}

void CipherForm::logError(const std::u16string& description, std::int32_t number,
                          const std::u16string& routine) const {
    settleFiles();
    mMain::logError(description, number, m_formName, routine);
}

void CipherForm::unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    settleFiles();
    m_inFlight.reset();
    // A run that stopped at an error ends with its removals on disk as well.
    flushChangedFolders();
    if (m_client) m_client->detach();
    m_engine = {};
    m_progress = {};
    m_toolTips = {};
    m_helpTopic = {};
    done(QDialog::Rejected);
}

}  // namespace velmora
