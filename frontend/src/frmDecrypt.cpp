#include "frmDecrypt.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "FolderWalk.h"
#include "common/mCommandLine.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "help/HelpContext.h"
#include "mMain.h"
#include "platform/attributes.h"
#include "platform/entry.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {
constexpr std::size_t kZqfLength = 4;  // ".zqf"

bool exists(const std::u16string& path) {
    return GetFileAttributesA(toUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether anything has the name, a dangling link too: a result never takes its place.
bool taken(const std::u16string& path) {
    return fileEntryOf(toUtf8(path)).kind != EntryKind::Missing;
}
}  // namespace

frmDecrypt::frmDecrypt() : CipherForm(u"frmDecrypt") {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(itemsRow());
    auto* note =
        new QLabel(QStringLiteral("Enter the password for this archive.  NOTE:  If you loose this password "
                                  "your data will be unrecoverable!"),
                   this);
    note->setWordWrap(true);
    layout->addWidget(note);
    Text1 = passwordBox(QStringLiteral("Text1"));
    // The box has no label of its own: it is named by its tooltip's title and described by the note.
    Text1->setAccessibleName(QStringLiteral("Password"));
    Text1->setAccessibleDescription(note->text());
    layout->addWidget(Text1);
    auto* methodLabel = new QLabel(QStringLiteral("Encryption Method"), this);
    methodLabel->setBuddy(cboEncryptLvl);
    layout->addWidget(methodLabel);
    layout->addWidget(cboEncryptLvl);
    auto* buttons = new QWidget(this);
    addButtons(*buttons);
    layout->addWidget(buttons);

    setTabOrder(Text1, cboEncryptLvl);
    setTabOrder(cboEncryptLvl, cmdExit[0]);
    setTabOrder(cmdExit[0], cmdExit[1]);
    setTabOrder(cmdExit[1], txtItems);
    Text1->setFocus();
    resize(380, sizeHint().height());
}

bool frmDecrypt::load() {
    try {
        createToolTips();
        createEngine();
        createProgress();
        fillMethods();
        setToolTipsDelay();
        addToolTip(
            Text1, u"Password",
            u"Enter the correct password into this text box.   \nThe password should be something you can "
            u"remember.  \nNOTE:  If you forget your password you will not be able \nto recover the data.");
        addToolTip(cboEncryptLvl, u"Encryption Routine",
                   u"Select the encryption routine that you would \nthat the file is encrypted in.");
        addHelpTopic(helpcontext::kDecrypt);
        return true;
    } catch (const RuntimeError&) {
        // A dialog that cannot be set up goes without a word.
        unload();
        return false;
    }
}

void frmDecrypt::buttonClick(int index) {
    hide();
    std::u16string tempDirectory;
    {
        const ObjectRef system = CreateObject(u"Hostprobe.SystemObject");
        tempDirectory = getProperty(system, u"TempDirectory").toString();
    }
    if (index == 0 && mCommandLine::argumentCount() >= 3) {
        selectMethod(Text1->text().toStdU16String());
        startProgress(u"Velmora Sealdesk - Decrypting");
        const bool inPlace = mCommandLine::argument(1) == u"/d";
        for (std::int32_t i = 2; i < mCommandLine::argumentCount(); ++i)
            decryptArgument(mCommandLine::argument(i), tempDirectory, inPlace);
        endProgress();
    }
    unload();
}

void frmDecrypt::decryptArgument(const std::u16string& argument, const std::u16string& tempDirectory,
                                 bool inPlace) {
    if (inPlace && decryptedAsFolder(argument, tempDirectory)) return;
    if (namesBackslashEntry(toUtf8(argument))) {
        logLeftAlone(argument, ERROR_INVALID_NAME, u"DecryptFile");
        return;
    }
    decryptNamed(argument, tempDirectory, inPlace);
}

void frmDecrypt::decryptNamed(const std::u16string& argument, const std::u16string& tempDirectory,
                              bool inPlace) {
    const ObjectRef& file = mMain::shared().file;
    const std::u16string longName = longNameOf(argument);
    // Extension reads in lower case; the name itself must end in ".zqf" as written, so a.ZQF is skipped.
    const bool encryptedName =
        getProperty(file, u"Extension").toString() == u"zqf" && longName.ends_with(u".zqf");
    if (!encryptedName) return;
    if (!fileExists()) {
        // An encrypted file that is there but cannot be read is said, never skipped in silence.
        if (exists(argument)) logLeftAlone(argument, ERROR_ACCESS_DENIED, u"DecryptFile");
        return;
    }
    const std::u16string title = getProperty(file, u"Title").toString();
    setStatus(u"Decrypting " + title);
    if (inPlace) {
        const std::u16string plainName = longName.substr(0, longName.size() - kZqfLength);
        // The plain name must be free: the result never takes another file's place.
        if (taken(plainName)) {
            logError(u"File already exists: " + plainName, err::FileAlreadyExists, u"DecryptFile");
            return;
        }
        // Decrypted into a new file under the plain name; the ".zqf" name goes only once that stands.
        auto claim = std::make_shared<SourceClaim>();
        if (!claimSource(*claim, longName, u"DecryptFile")) return;
        const FilesInFlight::Ticket since = commitsMark();
        if (decrypt(longName, plainName))
            retireOnceCommitted(std::move(claim), longName, plainName, u"DecryptFile", since);
        return;
    }
    const std::u16string copy = tempDirectory + title.substr(0, title.size() - kZqfLength);
    if (!decrypt(longName, copy)) return;
    letProperty(file, u"FileName", copy);
    if (getProperty(file, u"Exists").toBool())
        call(file, u"FileExecute", std::u16string(), std::u16string(), std::u16string(u"C:\\"));
}

bool frmDecrypt::decryptedAsFolder(const std::u16string& argument, const std::u16string& tempDirectory) {
    const DWORD attributes = GetFileAttributesA(toUtf8(argument).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // A link to a folder is left as it is, like the links inside folders.
    if (FolderWalk::isSymbolicLink(argument)) return true;
    const ObjectRef& directory = mMain::shared().directory;
    letProperty(directory, u"Path", argument);
    if (!getProperty(directory, u"Exists").toBool()) return true;
    // Each folder is listed whole before its files change names, so no result is met a second time;
    // every file is then taken exactly as if it had been named on the command line. The walk hands on
    // files only, under names joined to their folder, so what is asked of an argument's path first (is it
    // a folder, does the text name an entry with a '\') has its answer already.
    walkInFlight([&] {
        FolderWalk::walk(
            argument,
            [&](const std::u16string& path) {
                if (path.ends_with(u".zqf")) decryptNamed(path, tempDirectory, true);
            },
            [this](const std::u16string& unreachable, std::uint32_t error) {
                logWalkFailure(unreachable, error, u"DecryptFolder");
            });
    });
    return true;
}

bool frmDecrypt::decrypt(const std::u16string& source, const std::u16string& destination) {
    std::u16string from = source;
    std::u16string to = destination;
    std::u16string storedKey;
    m_client->takeErrorCount();
    if (call(engine(), u"DecryptFile", byRef(from), byRef(to), byRef(storedKey)).toBool()) return true;
    // A method without a check value refuses a wrong password without a word; the user still hears of it.
    // An empty password is the engine's silent refusal and stays silent.
    if (m_client->takeErrorCount() == 0 && !Text1->text().isEmpty())
        logError(
            u"The file could not be decrypted: the password or the encryption method is wrong, or the file "
            u"is damaged.",
            err::SubscriptOutOfRange, u"DecryptFile");
    return false;
}

}  // namespace velmora
