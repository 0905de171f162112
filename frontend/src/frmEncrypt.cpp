#include "frmEncrypt.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "FolderWalk.h"
#include "common/mCommandLine.h"
#include "component/calls.h"
#include "help/HelpContext.h"
#include "mMain.h"
#include "platform/attributes.h"
#include "platform/entry.h"
#include "platform/messagebox.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {
constexpr char16_t kZqf[] = u".zqf";

std::u16string text(const QLineEdit& box) {
    return box.text().toStdU16String();
}

// The whole 64-bit length: the file object's FileSize is a 32-bit number, which makes a file of 4 GiB
// look empty and one of 3 GiB negative, and such files would stay in plain text without a word.
// Looked up literally: as a search pattern, "*.bin" would answer with another file's length.
std::uint64_t lengthOf(const std::u16string& path) {
    return entryOf(toUtf8(path)).size;
}
}  // namespace

frmEncrypt::frmEncrypt() : CipherForm(u"frmEncrypt") {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(itemsRow());
    auto* methodLabel = new QLabel(QStringLiteral("Encryption Method"), this);
    methodLabel->setBuddy(cboEncryptLvl);
    layout->addWidget(methodLabel);
    layout->addWidget(cboEncryptLvl);

    frmPass = new QGroupBox(this);
    frmPass->setObjectName(QStringLiteral("frmPass"));
    auto* grid = new QGridLayout(frmPass);
    Text1[0] = passwordBox(QStringLiteral("Text1(0)"));
    Text1[1] = passwordBox(QStringLiteral("Text1(1)"));
    // Each box is named by its label, which is what a screen reader says on entering it.
    const QString labels[2] = {QStringLiteral("Password"), QStringLiteral("Confirm Password")};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(labels[i], frmPass);
        label->setBuddy(Text1[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(Text1[i], i, 1);
    }
    layout->addWidget(frmPass);

    auto* note =
        new QLabel(QStringLiteral("Enter your password and confirm it.  If you lose this password you will "
                                  "lose all data.  There is no way of retrieving the added data with out "
                                  "this password!"),
                   this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QWidget(this);
    addButtons(*buttons);
    layout->addWidget(buttons);

    // The user starts with the password, then its confirmation, then confirms.
    setTabOrder(Text1[0], Text1[1]);
    setTabOrder(Text1[1], cmdExit[0]);
    setTabOrder(cmdExit[0], cmdExit[1]);
    setTabOrder(cmdExit[1], cboEncryptLvl);
    setTabOrder(cboEncryptLvl, txtItems);
    Text1[0]->setFocus();
    resize(380, sizeHint().height());
}

bool frmEncrypt::load() {
    try {
        createToolTips();
        setToolTipsDelay();
        addToolTip(cboEncryptLvl, u"Encryption Routine",
                   u"Select the encryption routine that you would \nlike to use for the encrypted file");
        addToolTip(
            Text1[0], u"Password",
            u"Enter a password into this text box.  \nThe password should be something you can remember.  "
            u"\nNOTE:  If you forget your password you will not be able to \nrecover the data.");
        addToolTip(
            Text1[1], u"Confirm Password",
            u"Confirm your password with this text box.  \nThe password should be something you can "
            u"remember.  \nNOTE:  If you forget your password you will not be able to \nrecover the data.");
        createEngine();
        createProgress();
        fillMethods();
        addHelpTopic(helpcontext::kEncrypt);
        return true;
    } catch (const RuntimeError& error) {
        logError(error.description(), error.number(), u"Main");
        unload();
        return false;
    }
}

void frmEncrypt::buttonClick(int index) {
    hide();
    try {
        if (index == 0) {
            if (text(*Text1[0]) != text(*Text1[1])) {
                MessageBoxA(0, "Password is not confirmed.  Please enter the password and confirmation.",
                            "Velmora Sealdesk", MB_OK);
            } else if (mCommandLine::argumentCount() >= 3) {
                selectMethod(text(*Text1[0]));
                startProgress(u"Velmora Sealdesk - Encrypting");
                for (std::int32_t i = 2; i < mCommandLine::argumentCount(); ++i)
                    encryptArgument(mCommandLine::argument(i));
                endProgress();
            }
        }
    } catch (const RuntimeError& error) {
        // The paths after the failing one are left alone; the progress window goes with its object.
        logError(error.description(), error.number(), u"Main");
    }
    unload();
}

void frmEncrypt::encryptArgument(const std::u16string& path) {
    if (namesBackslashEntry(toUtf8(path))) {
        logLeftAlone(path, ERROR_INVALID_NAME, u"EncryptFile");
        return;
    }
    const DWORD attributes = GetFileAttributesA(toUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) velmora::raise(err::FileNotFound);
    // A link named on the command line is left as it is, like the links inside folders.
    if (FolderWalk::isSymbolicLink(path)) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        const ObjectRef& directory = mMain::shared().directory;
        letProperty(directory, u"Path", path);
        if (getProperty(directory, u"Exists").toBool()) encryptFolder(path);
        return;
    }
    const std::u16string longName = longNameOf(path);
    if (!fileExists()) {
        // It is there (its attributes were read) but cannot be read: said, never skipped in silence.
        logLeftAlone(path, ERROR_ACCESS_DENIED, u"EncryptFile");
        return;
    }
    setStatus(u"Encrypting " + getProperty(mMain::shared().file, u"Title").toString());
    encryptFile(longName);
}

void frmEncrypt::encryptFolder(const std::u16string& folder) {
    walkInFlight([&] {
        FolderWalk::walk(
            folder,
            [this](const std::u16string& path) {
                letProperty(mMain::shared().file, u"FileName", path);
                if (lengthOf(path) > 0) encryptFile(path);
            },
            [this](const std::u16string& unreachable, std::uint32_t error) {
                logWalkFailure(unreachable, error, u"EncryptFolder");
            });
    });
}

void frmEncrypt::encryptFile(const std::u16string& path) {
    // The encrypted name must be free: the result never takes another file's place.
    const std::u16string encryptedName = path + kZqf;
    if (fileEntryOf(toUtf8(encryptedName)).kind != EntryKind::Missing) {
        logError(u"File already exists: " + encryptedName, err::FileAlreadyExists, u"EncryptFile");
        return;
    }
    auto claim = std::make_shared<SourceClaim>();
    if (!claimSource(*claim, path, u"EncryptFile")) return;
    if (claim->names() > 1)
        logError(u"The plain contents stay reachable through the file's other names (hard links): " + path,
                 err::PathFileAccessError, u"EncryptFile");
    // Encrypted into a new file under the new name; the plain name goes only once that stands.
    std::u16string source = path;
    std::u16string destination = encryptedName;
    std::u16string key = text(*Text1[0]);
    const FilesInFlight::Ticket since = commitsMark();
    if (!call(engine(), u"EncryptFile", byRef(source), byRef(destination), byRef(key)).toBool()) return;
    retireOnceCommitted(std::move(claim), path, encryptedName, u"EncryptFile", since);
}

}  // namespace velmora
