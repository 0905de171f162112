// What the Sealdesk tests share: an offscreen GUI application, the suite's classes registered from the
// build's own files, a program folder of the test's own (help, icon, log file), the shared objects Main
// would make (the log object in this process, so that its bug-report dialog can be seen), and the dialogs
// driven through their controls.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SuiteClasses.h"
#include "common/mCommandLine.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "logging/LogObject.h"
#include "mMain.h"
#include "runtime/text.h"
#include "testsupport/GuiTest.h"
#include "testsupport/TempFolder.h"
#include "ui/DialogDriver.h"

namespace velmora::test {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::u16string u16(const fs::path& path) {
    return fromUtf8(path.string());
}

// The method names of the two plug-ins the build puts in its Encryption folder.
inline const QString kAesMethod = QStringLiteral("256 bit - Rinjdael - AES");
inline const QString kArgonMethod = QStringLiteral("XChaCha20-Poly1305 with Argon2id");

class SealdeskTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        SuiteClasses::setComponentDirectory(VELMORA_BIN_DIR);
        SuiteClasses::ensureRegistered();
        m_program = freshFolder("program");
        for (const char* name : {"zqf.ico", "Help.chm"})
            fs::copy_file(fs::path(VELMORA_BIN_DIR) / name, m_program / name);
        writeFile(m_program / "Sealdesk.exe", "");
        mMain::setProgramDirectory(u16(m_program));
        m_files = freshFolder("files");
    }
    void TearDown() override {
        mMain::shared() = {};
        m_log = {};
        GuiTest::TearDown();
    }

    // The shared objects as Main makes them, with the log object in this process.
    void makeSharedObjects() {
        m_log = makeObject<LogObject>();
        m_log->setLogFilename(u16(logFile()));
        mMain::shared().log = ObjectRef(m_log);
        mMain::shared().file = CreateObject(u"Diskware.FileObject");
        mMain::shared().directory = CreateObject(u"Diskware.DirectoryObject");
    }

    // The process's command line: the switch and the paths, as the system hands them over.
    static void setArguments(const std::vector<std::string>& arguments) {
        std::vector<const char*> argv{"Sealdesk"};
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        argv.push_back(nullptr);
        mCommandLine::setProcessArguments(static_cast<int>(argv.size() - 1), argv.data());
        mCommandLine::parseCommandLine();
    }

    fs::path logFile() const { return m_program / "Ardent.zq_"; }
    std::string logText() const { return readFile(logFile()); }
    // The bug-report dialog the log object opened last, while it is shown.
    bool bugReportShown() const { return m_log && m_log->dialog() && m_log->dialog()->isVisible(); }
    void closeBugReport() const {
        if (m_log && m_log->dialog()) m_log->dialog()->close();
    }

    fs::path m_program;
    fs::path m_files;
    Ref<LogObject> m_log;
};

// What a user does in a dialog: the password boxes filled, a method picked, one button pressed.
struct UserInput {
    QString password = {};
    QString confirmation = {};
    QString method = {};  // empty: the first entry, as selected at load
    QString button = QStringLiteral("cmdExit(0)");
};

inline void fillIn(QWidget& dialog, const UserInput& input) {
    const bool encrypt = dialog.objectName() == QStringLiteral("frmEncrypt");
    DialogDriver::typeInto(dialog, encrypt ? QStringLiteral("Text1(0)") : QStringLiteral("Text1"),
                           input.password);
    if (encrypt) DialogDriver::typeInto(dialog, QStringLiteral("Text1(1)"), input.confirmation);
    if (!input.method.isEmpty())
        DialogDriver::pickEntry(dialog, QStringLiteral("cboEncryptLvl"), input.method);
}

// A key pressed and released on the widget that has the focus.
inline void pressKey(QWidget& dialog, int key) {
    QWidget* target = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace velmora::test
