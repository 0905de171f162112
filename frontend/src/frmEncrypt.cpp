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
#include "platform/find.h"
#include "platform/messagebox.h"
#include "platform/owned.h"
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
std::uint64_t lengthOf(const std::u16string& path) {
    WIN32_FIND_DATAA entry{};
    const OwnedFind search(FindFirstFileA(toUtf8(path).c_str(), &entry));
    if (!search) return 0;
    return std::uint64_t{entry.nFileSizeHigh} << 32 | entry.nFileSizeLow;
}
}  // namespace

frmEncrypt::frmEncrypt() : CipherForm(u"frmEncrypt") {
    auto* layout = new QVBoxLayout(this);
    auto* methodLabel = new QLabel(QStringLiteral("Encryption Method"), this);
    layout->addWidget(methodLabel);
    layout->addWidget(cboEncryptLvl);

    frmPass = new QGroupBox(this);
    frmPass->setObjectName(QStringLiteral("frmPass"));
    auto* grid = new QGridLayout(frmPass);
    Text1[0] = passwordBox(QStringLiteral("Text1(0)"));
    Text1[1] = passwordBox(QStringLiteral("Text1(1)"));
    grid->addWidget(new QLabel(QStringLiteral("Password"), frmPass), 0, 0);
    grid->addWidget(Text1[0], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Confirm Password"), frmPass), 1, 0);
    grid->addWidget(Text1[1], 1, 1);
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
    if (!fileExists()) return;
    setStatus(u"Encrypting " + getProperty(mMain::shared().file, u"Title").toString());
    encryptFile(longName);
}

void frmEncrypt::encryptFolder(const std::u16string& folder) {
    FolderWalk::walk(
        folder,
        [this](const std::u16string& path) {
            letProperty(mMain::shared().file, u"FileName", path);
            if (lengthOf(path) > 0) encryptFile(path);
        },
        [this](const std::u16string& unreadable, std::uint32_t) {
            logError(u"Permission denied: " + unreadable, err::PermissionDenied, u"EncryptFolder");
        });
}

bool frmEncrypt::encryptFile(const std::u16string& path) {
    // The encrypted name must be free before anything is written: otherwise the file would end up
    // encrypted under its plain name, or take the place of another file.
    const std::u16string encryptedName = path + kZqf;
    if (GetFileAttributesA(toUtf8(encryptedName).c_str()) != INVALID_FILE_ATTRIBUTES) {
        logError(u"File already exists: " + encryptedName, err::FileAlreadyExists, u"EncryptFile");
        return false;
    }
    std::u16string source = path;
    std::u16string destination = path;
    std::u16string key = text(*Text1[0]);
    if (!call(engine(), u"EncryptFile", byRef(source), byRef(destination), byRef(key)).toBool()) return false;
    letProperty(mMain::shared().file, u"FileName", path);
    if (moveTo(encryptedName)) return true;
    // The name could not change after all: the plain contents go back rather than stay encrypted under
    // the plain name.
    std::u16string storedKey;
    call(engine(), u"DecryptFile", byRef(source), byRef(destination), byRef(storedKey));
    logError(u"Could not rename " + path + u" to " + encryptedName, err::PathFileAccessError, u"FileMove");
    return false;
}

}  // namespace velmora
