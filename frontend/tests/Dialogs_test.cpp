// Both dialogs driven through their controls in an offscreen application, on real files, with the real
// engine and plug-ins, the real progress server and the log object.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "SealdeskTestSupport.h"
#include "SourceClaim.h"
#include "component/CreateObject.h"
#include "frmDecrypt.h"
#include "frmEncrypt.h"
#include "platform/files.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "ui/HelpViewer.h"
#include "ui/htmlhelp.h"

namespace velmora::test {
namespace {

// Another program appending lines to a file until stopped.
class AppendingWriter {
  public:
    explicit AppendingWriter(const fs::path& file) {
        const std::string path = file.string();
        const char* argv[] = {"/bin/sh", "-c", "while :; do echo line >> \"$0\"; done", path.c_str(),
                              nullptr};
        posix_spawn(&m_pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ);
    }
    ~AppendingWriter() { stop(); }
    void stop() const {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

  private:
    mutable pid_t m_pid = 0;
};

class DialogTest : public SealdeskTest {
  protected:
    void SetUp() override {
        SealdeskTest::SetUp();
        makeSharedObjects();
    }

    // Shows the form for the command line and does what the user does once it is up.
    template <class Form>
    void run(const std::vector<std::string>& arguments, const UserInput& input,
             const DialogDriver::Action& before = {}) {
        setArguments(arguments);
        DialogDriver driver;
        const QString name =
            std::is_same_v<Form, frmEncrypt> ? QStringLiteral("frmEncrypt") : QStringLiteral("frmDecrypt");
        driver.whenShown(name, [&](QWidget& dialog) {
            if (before) before(dialog);
            if (!dialog.isVisible()) return;  // the user already ended it
            fillIn(dialog, input);
            EXPECT_TRUE(DialogDriver::clickButton(dialog, input.button));
        });
        Form form;
        ASSERT_TRUE(form.load());
        form.exec();
        EXPECT_TRUE(driver.done());
        EXPECT_TRUE(form.unloaded());
    }

    void encrypt(const std::vector<std::string>& paths, const QString& password,
                 const QString& method = kAesMethod) {
        std::vector<std::string> arguments{"/e"};
        arguments.insert(arguments.end(), paths.begin(), paths.end());
        run<frmEncrypt>(arguments, {password, password, method});
    }
    void decrypt(const char* verb, const std::vector<std::string>& paths, const QString& password,
                 const QString& method = kAesMethod) {
        std::vector<std::string> arguments{verb};
        arguments.insert(arguments.end(), paths.begin(), paths.end());
        run<frmDecrypt>(arguments, {password, {}, method});
    }
};

TEST_F(DialogTest, EncryptsAFileAndDecryptsItBackWithEachMethod) {
    for (const QString& method : {kAesMethod, kArgonMethod}) {
        SCOPED_TRACE(method.toStdString());
        const fs::path plain = m_files / "my files" / "a  b.txt";
        const std::string contents = "plain text with \"quotes\"\n" + method.toStdString();
        writeFile(plain, contents);
        encrypt({plain.string()}, QStringLiteral("pass word"), method);
        const fs::path encrypted = plain.string() + ".zqf";
        ASSERT_TRUE(fs::exists(encrypted));
        EXPECT_FALSE(fs::exists(plain));
        EXPECT_NE(readFile(encrypted), contents);

        decrypt("/d", {encrypted.string()}, QStringLiteral("pass word"), method);
        EXPECT_EQ(readFile(plain), contents);
        EXPECT_FALSE(fs::exists(encrypted));
        fs::remove(plain);
    }
    EXPECT_EQ(logText(), "");
}

TEST_F(DialogTest, EncryptsAFolderTreeButNotEmptyFilesHiddenOnesOrLinks) {
    const fs::path root = m_files / "tree";
    const fs::path outside = m_files / "outside";
    writeFile(root / "empty.txt", "");
    writeFile(root / "one.txt", "one");
    writeFile(root / "old.zqf", "already encrypted once");
    writeFile(root / ".hidden", "hidden");
    writeFile(root / "sub" / "two.txt", "two");
    writeFile(root / "sub" / "deeper" / "three.txt", "three");
    writeFile(outside / "target.txt", "target");
    fs::create_symlink(outside / "target.txt", root / "linked.txt");
    fs::create_directory_symlink(outside, root / "linked-folder");
    fs::create_symlink(outside / "target.txt", m_files / "argument-link.txt");

    encrypt({root.string(), (m_files / "argument-link.txt").string()}, QStringLiteral("secret"));

    EXPECT_EQ(readFile(root / "empty.txt"), "");
    for (const char* name : {"one.txt", "old.zqf", "sub/two.txt", "sub/deeper/three.txt"}) {
        EXPECT_FALSE(fs::exists(root / name)) << name;
        EXPECT_TRUE(fs::exists(root / (std::string(name) + ".zqf"))) << name;
    }
    EXPECT_EQ(readFile(root / ".hidden"), "hidden");
    EXPECT_TRUE(fs::is_symlink(root / "linked.txt"));
    EXPECT_TRUE(fs::is_symlink(m_files / "argument-link.txt"));
    EXPECT_EQ(readFile(outside / "target.txt"), "target");
    EXPECT_EQ(fs::directory_iterator(outside)->path().filename(), "target.txt");

    decrypt("/d", {(root / "sub" / "two.txt.zqf").string()}, QStringLiteral("secret"));
    EXPECT_EQ(readFile(root / "sub" / "two.txt"), "two");
    EXPECT_EQ(logText(), "");
}

TEST_F(DialogTest, FilesOfFourGibibytesAndMoreInFoldersAreNotTakenForEmpty) {
    // Sparse, and each with a folder at its encrypted name, so that the attempt shows in the log before
    // a byte of them is read. A 32-bit size reads 4 GiB as 0 and 3 GiB as negative.
    const fs::path root = m_files / "big";
    for (const auto& [name, size] : {std::pair{"four.bin", 4ull << 30}, std::pair{"three.bin", 3ull << 30}}) {
        writeFile(root / name, "");
        fs::resize_file(root / name, size);
        fs::create_directories(root / (std::string(name) + ".zqf"));
    }
    encrypt({root.string()}, QStringLiteral("secret"));
    const std::string log = logText();
    for (const char* name : {"four.bin.zqf,", "three.bin.zqf,"}) {
        const std::size_t at = log.find(name);
        ASSERT_NE(at, std::string::npos) << log;
        EXPECT_NE(log.rfind("File already exists: ", at), std::string::npos) << log;
    }
}

TEST_F(DialogTest, ANameInTheWayKeepsBothFilesAndIsReported) {
    writeFile(m_files / "a.txt", "plain a");
    writeFile(m_files / "a.txt.zqf", "someone else's file");
    encrypt({(m_files / "a.txt").string()}, QStringLiteral("secret"));
    EXPECT_EQ(readFile(m_files / "a.txt"), "plain a");
    EXPECT_EQ(readFile(m_files / "a.txt.zqf"), "someone else's file");
    EXPECT_NE(logText().find("Sealdesk,frmEncrypt,EncryptFile"), std::string::npos) << logText();
    EXPECT_TRUE(bugReportShown());
    closeBugReport();

    writeFile(m_files / "b.txt", "plain b");
    encrypt({(m_files / "b.txt").string()}, QStringLiteral("secret"));
    const std::string encrypted = readFile(m_files / "b.txt.zqf");
    writeFile(m_files / "b.txt", "a newer b");
    decrypt("/d", {(m_files / "b.txt.zqf").string()}, QStringLiteral("secret"));
    EXPECT_EQ(readFile(m_files / "b.txt"), "a newer b");
    EXPECT_EQ(readFile(m_files / "b.txt.zqf"), encrypted);
    EXPECT_NE(logText().find("Sealdesk,frmDecrypt,DecryptFile"), std::string::npos) << logText();
}

TEST_F(DialogTest, AReadOnlyFileKeepsItsContentsAndNameAndIsReported) {
    writeFile(m_files / "locked.txt", "plain");
    writeFile(m_files / "open.txt", "plain too");
    fs::permissions(m_files / "locked.txt", fs::perms::owner_read | fs::perms::group_read);
    encrypt({(m_files / "locked.txt").string(), (m_files / "open.txt").string()}, QStringLiteral("secret"));
    fs::permissions(m_files / "locked.txt", fs::perms::owner_all);
    EXPECT_EQ(readFile(m_files / "locked.txt"), "plain");
    EXPECT_FALSE(fs::exists(m_files / "locked.txt.zqf"));
    EXPECT_TRUE(fs::exists(m_files / "open.txt.zqf"));  // the next file still goes
    EXPECT_NE(logText().find("Sealdesk,frmEncrypt,"), std::string::npos) << logText();
    EXPECT_TRUE(bugReportShown());
}

TEST_F(DialogTest, AWrongPasswordLeavesTheFileAndIsLoggedWithTheBugReport) {
    for (const QString& method : {kAesMethod, kArgonMethod}) {
        SCOPED_TRACE(method.toStdString());
        fs::remove(logFile());
        writeFile(m_files / "a.txt", "plain");
        encrypt({(m_files / "a.txt").string()}, QStringLiteral("right"), method);
        const std::string encrypted = readFile(m_files / "a.txt.zqf");
        decrypt("/d", {(m_files / "a.txt.zqf").string()}, QStringLiteral("wrong"), method);
        EXPECT_EQ(readFile(m_files / "a.txt.zqf"), encrypted);
        EXPECT_FALSE(fs::exists(m_files / "a.txt"));
        EXPECT_NE(logText().find("Sealdesk,frmDecrypt,"), std::string::npos) << logText();
        EXPECT_TRUE(bugReportShown());
        closeBugReport();
        fs::remove(m_files / "a.txt.zqf");
    }
}

TEST_F(DialogTest, ViewDecryptsACopyIntoTheTempFolderAndOpensIt) {
    // The desktop's program for text files: records what it was given.
    const fs::path record = m_files / "opened.txt";
    const fs::path data = std::getenv("XDG_DATA_HOME");
    writeFile(
        data / "applications" / "recorder.desktop",
        "[Desktop Entry]\nType=Application\nName=Recorder\nMimeType=text/plain;\nExec=sh -c 'cp \"$1\" \"" +
            record.string() + ".part\" && mv \"" + record.string() + ".part\" \"" + record.string() +
            "\"' sh %f\n");
    writeFile(fs::path(std::getenv("XDG_CONFIG_HOME")) / "mimeapps.list",
              "[Default Applications]\ntext/plain=recorder.desktop\n");

    writeFile(m_files / "a.txt", "to be viewed");
    encrypt({(m_files / "a.txt").string()}, QStringLiteral("secret"));
    const std::string encrypted = readFile(m_files / "a.txt.zqf");
    decrypt("/v", {(m_files / "a.txt.zqf").string()}, QStringLiteral("secret"));

    EXPECT_EQ(readFile(m_files / "a.txt.zqf"), encrypted);
    EXPECT_FALSE(fs::exists(m_files / "a.txt"));
    const std::string temp =
        toUtf8(getProperty(CreateObject(u"Hostprobe.SystemObject"), u"TempDirectory").toString());
    const fs::path copy = fs::path(toNativePath(temp)) / "a.txt";
    EXPECT_EQ(readFile(copy), "to be viewed");
    EXPECT_EQ(fs::status(copy).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(processUntil([&] { return fs::exists(record); }));
    EXPECT_EQ(readFile(record), "to be viewed");
}

TEST_F(DialogTest, DecryptInPlaceTakesAFolderTreeAsTheEncryptDialogWalksIt) {
    for (const QString& method : {kArgonMethod, kAesMethod}) {
        SCOPED_TRACE(method.toStdString());
        const fs::path root = m_files / "tree", outside = m_files / "outside";
        for (const char* name : {"one.txt", "sub/two.txt", "sub/deeper/three.txt", "taken.txt"})
            writeFile(root / name, name);
        writeFile(outside / "kept.txt", "kept");
        encrypt({root.string(), (outside / "kept.txt").string()}, QStringLiteral("secret"), method);
        writeFile(root / "taken.txt", "someone else's");                // the plain name is in the way
        fs::copy_file(root / "one.txt.zqf", root / ".hidden.zqf");      // hidden entries are left out
        fs::copy_file(root / "one.txt.zqf", root / "upper.ZQF");        // the ending is case-sensitive
        fs::create_directory_symlink(outside, root / "linked-folder");  // links are never followed
        const std::string kept = readFile(outside / "kept.txt.zqf");

        decrypt("/v", {root.string()}, QStringLiteral("secret"), method);  // "/v" takes files only
        EXPECT_TRUE(fs::exists(root / "one.txt.zqf"));
        decrypt("/d", {root.string()}, QStringLiteral("secret"), method);

        for (const char* name : {"one.txt", "sub/two.txt", "sub/deeper/three.txt"}) {
            EXPECT_EQ(readFile(root / name), name);
            EXPECT_FALSE(fs::exists(root / (std::string(name) + ".zqf"))) << name;
        }
        EXPECT_EQ(readFile(root / "taken.txt"), "someone else's");
        EXPECT_TRUE(fs::exists(root / "taken.txt.zqf"));
        EXPECT_NE(logText().find("File already exists: "), std::string::npos) << logText();
        EXPECT_TRUE(fs::exists(root / ".hidden.zqf"));
        EXPECT_TRUE(fs::exists(root / "upper.ZQF"));
        EXPECT_EQ(readFile(outside / "kept.txt.zqf"), kept);
        fs::remove_all(root);
        fs::remove_all(outside);
        fs::remove(logFile());
    }
}

TEST_F(DialogTest, SkipsWhatIsNotAnEncryptedFile) {
    writeFile(m_files / "a.txt", "plain");
    encrypt({(m_files / "a.txt").string()}, QStringLiteral("secret"));
    fs::rename(m_files / "a.txt.zqf", m_files / "a.ZQF");
    const std::string encrypted = readFile(m_files / "a.ZQF");
    writeFile(m_files / "b.txt", "not encrypted");
    decrypt("/d",
            {(m_files / "a.ZQF").string(), (m_files / "b.txt").string(), (m_files / "missing.zqf").string()},
            QStringLiteral("secret"));
    EXPECT_EQ(readFile(m_files / "a.ZQF"), encrypted);
    EXPECT_EQ(readFile(m_files / "b.txt"), "not encrypted");
    EXPECT_FALSE(fs::exists(m_files / "a"));
    EXPECT_EQ(logText(), "");
}

TEST_F(DialogTest, CancelAndEscapeTouchNothingAndShowNoProgress) {
    struct Case {
        const char* verb;
        bool escape;
    };
    for (const Case& c : {Case{"/e", false}, Case{"/e", true}, Case{"/d", false}, Case{"/v", true}}) {
        SCOPED_TRACE(std::string(c.verb) + (c.escape ? " escape" : " cancel"));
        writeFile(m_files / "a.txt.zqf", "left alone");
        writeFile(m_files / "a", "left alone too");
        const std::vector<std::string> arguments{c.verb, (m_files / "a.txt.zqf").string(),
                                                 (m_files / "a").string()};
        UserInput input{QStringLiteral("secret"), QStringLiteral("secret"), {}, QStringLiteral("cmdExit(1)")};
        ObjectRef progress;
        const auto escapeInstead = [&](QWidget& dialog) {
            progress = static_cast<CipherForm&>(dialog).progress();
            if (!c.escape) return;
            fillIn(dialog, input);
            pressKey(dialog, Qt::Key_Escape);
        };
        if (std::string(c.verb) == "/e")
            run<frmEncrypt>(arguments, input, escapeInstead);
        else
            run<frmDecrypt>(arguments, input, escapeInstead);
        ASSERT_TRUE(progress);
        EXPECT_EQ(getProperty(progress, u"StatusText").toString(), u"");  // never initialised
        EXPECT_EQ(readFile(m_files / "a.txt.zqf"), "left alone");
        EXPECT_EQ(readFile(m_files / "a"), "left alone too");
        EXPECT_EQ(std::distance(fs::directory_iterator(m_files), fs::directory_iterator()), 2);
    }
}

TEST_F(DialogTest, MismatchedPasswordsAreToldAndEncryptNothing) {
    writeFile(m_files / "a.txt", "plain");
    setArguments({"/e", (m_files / "a.txt").string()});
    DialogDriver driver;
    QString told;
    driver.whenShown(QStringLiteral("frmEncrypt"), [&](QWidget& dialog) {
        fillIn(dialog, {QStringLiteral("secret"), QStringLiteral("secreT")});
        DialogDriver::clickButton(dialog, QStringLiteral("cmdExit(0)"));
    });
    driver.whenShown(QStringLiteral("MessageBox"), [&](QWidget& box) {
        told = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        DialogDriver::clickButton(box, QStringLiteral("OK"));
    });
    frmEncrypt form;
    ASSERT_TRUE(form.load());
    form.exec();
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(told,
              QStringLiteral("Password is not confirmed.  Please enter the password and confirmation."));
    EXPECT_EQ(readFile(m_files / "a.txt"), "plain");
    EXPECT_FALSE(fs::exists(m_files / "a.txt.zqf"));
}

TEST_F(DialogTest, AnEmptyPasswordEncryptsNothingSilently) {
    writeFile(m_files / "a.txt", "plain");
    encrypt({(m_files / "a.txt").string()}, QString());
    EXPECT_EQ(readFile(m_files / "a.txt"), "plain");
    EXPECT_FALSE(fs::exists(m_files / "a.txt.zqf"));
    EXPECT_EQ(logText(), "");
}

TEST_F(DialogTest, AMissingPathIsLoggedAndEndsTheRun) {
    writeFile(m_files / "b.txt", "plain");
    encrypt({(m_files / "missing.txt").string(), (m_files / "b.txt").string()}, QStringLiteral("secret"));
    EXPECT_NE(logText().find("Sealdesk,frmEncrypt,Main,"), std::string::npos) << logText();
    EXPECT_NE(logText().find(",53"), std::string::npos) << logText();
    EXPECT_TRUE(bugReportShown());
    EXPECT_EQ(readFile(m_files / "b.txt"), "plain");
}

TEST_F(DialogTest, AnErrorTheDecryptClickDoesNotTrapEndsTheProgramWithTheStandardReport) {
    // No private temporary folder to be had: the runtime folder's "temp" is a link.
    const fs::path runtime = freshFolder("runtime");
    fs::create_directories(runtime / "velmora");
    fs::create_directory_symlink(m_files, runtime / "velmora" / "temp");
    writeFile(m_files / "a.txt.zqf", "whatever");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("TMPDIR");
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            setMessageBoxPresenter([](HWND, const char* text, const char* caption, UINT) {
                std::fprintf(stderr, "[box %s] %s\n", caption, text);
                return IDOK;
            });
            run<frmDecrypt>({"/v", (m_files / "a.txt.zqf").string()}, {QStringLiteral("secret")});
        },
        ::testing::ExitedWithCode(1),
        "sealdesk_tests: Run-time error '70':\n\nPermission denied\n"
        "\\[box sealdesk_tests\\] Run-time error '70':\n\nPermission denied");
    EXPECT_FALSE(fs::exists(m_files / "a.txt"));
}

TEST_F(DialogTest, BothDialogsNameWhatTheyWillTouchInOneReadOnlyLine) {
    writeFile(m_files / "report.odt", "x");
    writeFile(m_files / "photos" / "a.jpg", "x");
    const QString report = QString::fromStdString((m_files / "report.odt").string());
    const QString photos = QString::fromStdString((m_files / "photos").string());
    setArguments({"/e", report.toStdString(), photos.toStdString(), "missing.txt"});
    {
        frmEncrypt form;
        ASSERT_TRUE(form.load());
        auto* line = form.findChild<QLineEdit*>(QStringLiteral("txtItems"));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), QStringLiteral("report.odt and 2 more"));
        EXPECT_TRUE(line->isReadOnly());
        EXPECT_EQ(line->toolTip(), report + "\n" + photos + " (folder)\nmissing.txt");
    }
    setArguments({"/v", (m_files / "report.odt.zqf").string()});
    frmDecrypt form;
    ASSERT_TRUE(form.load());
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("txtItems"))->text(),
              QStringLiteral("report.odt.zqf"));
}

TEST_F(DialogTest, KeyboardStartsInThePasswordTabsToTheConfirmationAndReturnIsOk) {
    writeFile(m_files / "a.txt", "plain");
    setArguments({"/e", (m_files / "a.txt").string()});
    DialogDriver driver;
    QStringList focus;
    driver.whenShown(QStringLiteral("frmEncrypt"), [&](QWidget& dialog) {
        focus << dialog.focusWidget()->objectName();
        static_cast<QLineEdit*>(dialog.focusWidget())->insert(QStringLiteral("pw"));
        pressKey(dialog, Qt::Key_Tab);
        focus << dialog.focusWidget()->objectName();
        static_cast<QLineEdit*>(dialog.focusWidget())->insert(QStringLiteral("pw"));
        EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("cmdExit(0)"))->isDefault());
        pressKey(dialog, Qt::Key_Return);
    });
    frmEncrypt form;
    ASSERT_TRUE(form.load());
    form.exec();
    EXPECT_EQ(focus, (QStringList{QStringLiteral("Text1(0)"), QStringLiteral("Text1(1)")}));
    EXPECT_TRUE(fs::exists(m_files / "a.txt.zqf"));

    setArguments({"/d", (m_files / "a.txt.zqf").string()});
    driver.whenShown(QStringLiteral("frmDecrypt"), [&](QWidget& dialog) {
        focus << dialog.focusWidget()->objectName();
        static_cast<QLineEdit*>(dialog.focusWidget())->insert(QStringLiteral("pw"));
        pressKey(dialog, Qt::Key_Return);
    });
    frmDecrypt decryptForm;
    ASSERT_TRUE(decryptForm.load());
    decryptForm.exec();
    EXPECT_EQ(focus.last(), QStringLiteral("Text1"));
    EXPECT_EQ(readFile(m_files / "a.txt"), "plain");
}

TEST_F(DialogTest, F1InEitherDialogOpensItsHelpTopic) {
    mMain::shared().help = CreateObject(u"Guidepost.HelpTopics");
    letProperty(mMain::shared().help, u"HelpFile", u16(m_program / "Help.chm"));
    const auto topicShown = [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* viewer = dynamic_cast<HelpViewer*>(window); viewer && viewer->isVisible())
                return viewer->currentTopic();
        return std::string();
    };
    std::string shown;
    // F1 where the user starts typing: the first password box.
    const auto pressF1 = [&](QWidget& dialog) {
        const bool encrypt = dialog.objectName() == QStringLiteral("frmEncrypt");
        auto* box =
            dialog.findChild<QWidget*>(encrypt ? QStringLiteral("Text1(0)") : QStringLiteral("Text1"));
        ASSERT_NE(box, nullptr);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        shown = topicShown();
        HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    };
    writeFile(m_files / "a.txt.zqf", "left alone");
    const UserInput cancel{{}, {}, {}, QStringLiteral("cmdExit(1)")};
    run<frmEncrypt>({"/e", (m_files / "a.txt.zqf").string()}, cancel, pressF1);
    EXPECT_EQ(shown, "encrypt.htm");
    shown.clear();
    run<frmDecrypt>({"/d", (m_files / "a.txt.zqf").string()}, cancel, pressF1);
    EXPECT_EQ(shown, "decrypt.htm");
    EXPECT_EQ(readFile(m_files / "a.txt.zqf"), "left alone");
}

}  // namespace
// Every name Linux allows is encrypted and decrypted as itself, named directly or met in a folder; a name
// holding '\' (which the suite's paths read as a separator) is left as it is and logged by name, and never
// leads to another file.
TEST_F(DialogTest, HostileNamesAreHandledLiterallyOrLeftAloneWithALogLine) {
    const fs::path tree = m_files / "tree";
    const std::vector<std::string> names = {"q?.bin", "st*r.bin", "*.bin",       "quo\"te",   "a<b>",
                                            "pi|pe",  "co:lon",   "line\nbreak", "tab\there", "-dash"};
    for (const std::string& name : names) writeFile(tree / name, "data of " + name);
    writeFile(m_files / "qa.bin", "a bystander a wildcard would match");
    writeFile(m_files / "victim.bin", "beside the tree");
    writeFile(tree / "sub" / "a\\..\\..\\victim.bin", "hostile");
    writeFile(tree / "back" / "slash.bin", "in the folder");
    writeFile(tree / "back\\slash.bin", "beside the folder");
    writeFile(m_files / "direct?.bin", "named directly");
    writeFile(m_files / "-direct", "named directly too");
    writeFile(m_files / "named\\directly", "cannot be carried");

    encrypt({tree.string(), (m_files / "direct?.bin").string(), (m_files / "-direct").string(),
             (m_files / "named\\directly").string()},
            QStringLiteral("secret"));

    std::vector<std::string> encrypted;
    for (const std::string& name : names) encrypted.push_back((tree / name).string() + ".zqf");
    for (const char* name : {"direct?.bin", "-direct"})
        encrypted.push_back((m_files / name).string() + ".zqf");
    encrypted.push_back((tree / "back" / "slash.bin").string() + ".zqf");
    for (const std::string& path : encrypted) {
        EXPECT_TRUE(fs::exists(path)) << path;
        EXPECT_FALSE(fs::exists(path.substr(0, path.size() - 4))) << path;
    }
    EXPECT_EQ(readFile(m_files / "qa.bin"), "a bystander a wildcard would match");
    EXPECT_EQ(readFile(m_files / "victim.bin"), "beside the tree");
    EXPECT_EQ(readFile(tree / "sub" / "a\\..\\..\\victim.bin"), "hostile");
    EXPECT_EQ(readFile(tree / "back\\slash.bin"), "beside the folder");
    EXPECT_EQ(readFile(m_files / "named\\directly"), "cannot be carried");
    for (const char* name : {"a\\..\\..\\victim.bin", "back\\slash.bin", "named\\directly"})
        EXPECT_NE(logText().find(name), std::string::npos) << name << "\n" << logText();
    closeBugReport();

    decrypt("/d", encrypted, QStringLiteral("secret"));
    for (const std::string& name : names) EXPECT_EQ(readFile(tree / name), "data of " + name) << name;
    EXPECT_EQ(readFile(m_files / "direct?.bin"), "named directly");
    EXPECT_EQ(readFile(tree / "back" / "slash.bin"), "in the folder");
    for (const std::string& path : encrypted) EXPECT_FALSE(fs::exists(path)) << path;
}

// What Sealdesk cannot or must not take is named in the log, and the file keeps its name and contents: a
// file another run holds, a file that cannot be read, a file written to while it is read. A file with a
// second name is encrypted, and the log says its plain contents stay reachable through the other name.
TEST_F(DialogTest, FilesItCannotTakeAreLoggedByNameAndKeepTheirContents) {
    writeFile(m_files / "claimed.bin", "another run has it");
    writeFile(m_files / "locked.bin", "held unshared elsewhere");
    writeFile(m_files / "tree" / "locked.bin", "held unshared too");
    writeFile(m_files / "ok.bin", "fine");
    SourceClaim otherRun;
    ASSERT_EQ(otherRun.take(u16(m_files / "claimed.bin")), ERROR_SUCCESS);
    const auto holdUnshared = [](const fs::path& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const HANDLE locked = holdUnshared(m_files / "locked.bin");
    const HANDLE lockedInTree = holdUnshared(m_files / "tree" / "locked.bin");
    encrypt({(m_files / "claimed.bin").string(), (m_files / "locked.bin").string(),
             (m_files / "tree").string(), (m_files / "ok.bin").string()},
            QStringLiteral("secret"));
    CloseHandle(locked);
    CloseHandle(lockedInTree);
    EXPECT_EQ(readFile(m_files / "claimed.bin"), "another run has it");
    EXPECT_EQ(readFile(m_files / "locked.bin"), "held unshared elsewhere");
    EXPECT_EQ(readFile(m_files / "tree" / "locked.bin"), "held unshared too");
    for (const char* name : {"claimed.bin", "locked.bin", "tree/locked.bin"})
        EXPECT_FALSE(fs::exists(m_files / (std::string(name) + ".zqf"))) << name;
    EXPECT_TRUE(fs::exists(m_files / "ok.bin.zqf"));
    const std::string log = logText();
    EXPECT_NE(
        log.find("in use by another run or program; left as it is: " + (m_files / "claimed.bin").string()),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("cannot be read, or is read-only): " + (m_files / "locked.bin").string()),
              std::string::npos)
        << log;
    EXPECT_NE(log.find((m_files / "tree").string() + "\\locked.bin"), std::string::npos) << log;
    closeBugReport();

    fs::create_directories(m_files / "elsewhere");
    writeFile(m_files / "elsewhere" / "keep.bin", "shared plain contents");
    fs::create_hard_link(m_files / "elsewhere" / "keep.bin", m_files / "second name.bin");
    encrypt({(m_files / "second name.bin").string()}, QStringLiteral("secret"));
    EXPECT_TRUE(fs::exists(m_files / "second name.bin.zqf"));
    EXPECT_EQ(readFile(m_files / "elsewhere" / "keep.bin"), "shared plain contents");
    EXPECT_NE(logText().find("other names (hard links): " + (m_files / "second name.bin").string()),
              std::string::npos)
        << logText();
}

// A log another program keeps appending to while it is encrypted: nothing it wrote is lost, the file keeps
// its name, no encrypted copy of an outdated state is left, and the log says why.
TEST_F(DialogTest, AFileWrittenWhileItIsReadIsLeftAsItIs) {
    const fs::path log = m_files / "growing.log";
    writeFile(log, std::string(1 << 20, 'x'));
    const AppendingWriter writer(log);
    ASSERT_TRUE(processUntil([&] { return fs::file_size(log) > (1u << 20); }));
    encrypt({log.string()}, QStringLiteral("secret"));
    writer.stop();
    EXPECT_FALSE(fs::exists(log.string() + ".zqf"));
    const std::string contents = readFile(log);
    EXPECT_EQ(contents.substr(0, 1 << 20), std::string(1 << 20, 'x'));
    EXPECT_GT(contents.size(), (1u << 20) + 5);
    EXPECT_NE(logText().find("changed while it was read; it keeps its name and contents: " + log.string()),
              std::string::npos)
        << logText();
}

}  // namespace velmora::test
