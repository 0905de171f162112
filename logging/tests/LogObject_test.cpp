// LogObject in this process: the log line for each kind of entry, appending and the discard at
// MaxFileSize, the files that cannot be written, and what asks for the dialog or the mail.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "component/calls.h"
#include "logging/LogObject.h"
#include "platform/messagebox.h"
#include "runtime/text.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/GuiTest.h"

using namespace velmora;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Logging : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        folder = std::filesystem::path(std::getenv("TMPDIR")) /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(folder);
        file = folder / "Ardent.zq_";
        object = makeObject<LogObject>();
        object->setLogFilename(fromUtf8(file.string()));
    }
    void TearDown() override {
        if (frmMain* dialog = object->dialog()) dialog->close();
        object.reset();
        GuiTest::TearDown();
    }
    void log(const std::u16string& description, std::int32_t number = 0, std::int32_t type = 1,
             bool display = false, bool mail = false) {
        object->Log(description, u"Sealdesk", u"frmEncrypt", u"cmdOK_Click", number, display, mail, type);
    }

    std::filesystem::path folder;
    std::filesystem::path file;
    Ref<LogObject> object;
    MessageBoxRecorder messages;
};

const std::string kStamp = "[01][0-9]/[0-3][0-9]/[0-9]{2} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

}  // namespace

TEST_F(Logging, TheLineForEachKindOfEntry) {
    struct Case {
        std::int32_t type;
        std::int32_t number;
        std::u16string description;
        std::string tail;  // after the timestamp
    };
    const Case cases[] = {
        {1, 0, u"plain", ",plain,"},
        {0, 5, u"info with a number", ",info with a number,"},
        {1, 0, u"warning without", ",warning without,"},
        {1, 7, u"warning with", ",warning with,7"},
        {2, -2147221504, u"critical", ",critical,-2147221504"},
        {9, 3, u"any type, any text", ",any type, any text,3"},
        {2, 4, u"line\r\nbreaks\rand\nfeeds", ",line  breaks and feeds,4"},
        {2, 1, u"caf\u00e9", ",caf\xc3\xa9,1"},  // the ANSI code page here is UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.description));
        std::filesystem::remove(file);
        log(c.description, c.number, c.type);
        const std::string expected =
            std::to_string(c.type) + ",Sealdesk,frmEncrypt,cmdOK_Click," + kStamp +
            std::regex_replace(c.tail, std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)") + "\r\n";
        EXPECT_TRUE(std::regex_match(readFile(file), std::regex(expected))) << readFile(file);
    }
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Logging, LineBreaksInAnyFieldCannotStartAForgedEntry) {
    bool no = false;
    std::int32_t type = 2;
    object->Log(u"d\r\n2,Forged,x,y,01/01/01 00:00:00,z,", u"A\nB", u"O\rC", u"R\r\n", 7, no, no, type);
    const std::string text = readFile(file);
    EXPECT_TRUE(std::regex_match(
        text, std::regex("2,A B,O C,R  ," + kStamp + ",d  2,Forged,x,y,01/01/01 00:00:00,z,,7\r\n")))
        << text;
}

TEST_F(Logging, ADescriptionAloneTakesTheDefaults) {
    ObjectRef late(object);
    call(late, u"Log", u"only this");
    EXPECT_TRUE(std::regex_match(readFile(file), std::regex("1,Not Specified,Not Specified,Not Specified," +
                                                            kStamp + ",only this,\r\n")));
    EXPECT_EQ(object->dialog(), nullptr);
}

TEST_F(Logging, AFullLogIsDiscardedBeforeTheNextLine) {
    object->setMaxFileSize(100);
    std::ofstream(file, std::ios::binary) << std::string(100, 'x');
    log(u"fresh start");
    const std::string fresh = readFile(file);
    EXPECT_EQ(fresh.find('x'), std::string::npos);
    EXPECT_NE(fresh.find(",fresh start,"), std::string::npos);

    // One byte short of the limit: appended, and the file passes the limit by that line.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(99, 'x');
    log(u"appended");
    const std::string appended = readFile(file);
    EXPECT_EQ(appended.rfind(std::string(99, 'x'), 0), 0u);
    EXPECT_GT(appended.size(), 100u);
}

TEST_F(Logging, LinesThatCannotBeWrittenAreDroppedQuietly) {
    object->setLogFilename(u"");
    log(u"no file named");
    object->setLogFilename(fromUtf8(folder.string()));  // a folder
    log(u"into a folder");
    object->setLogFilename(fromUtf8(file.string()));
    std::ofstream(file, std::ios::binary) << "kept\r\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    log(u"read-only");
    EXPECT_EQ(readFile(file), "kept\r\n");
    object->setLogToFile(false);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    log(u"not to file");
    EXPECT_EQ(readFile(file), "kept\r\n");
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(Logging, OnlyErrorsWithANumberOpenTheDialog) {
    log(u"no number", 0, 2, true);
    EXPECT_EQ(object->dialog(), nullptr);
    object->setLogToFile(false);
    log(u"with number", 53, 2, true, true);  // the dialog, and no mail until Send
    ASSERT_NE(object->dialog(), nullptr);
    EXPECT_TRUE(object->dialog()->isVisible());
}

TEST_F(Logging, AMailThatCannotGoOutShowsTheMessageBoxAndKeepsTheLine) {
    // No mail server program registered: creating the mail object fails inside Log.
    ASSERT_EQ(test::runProgram(VELMORA_POSTWIRE_PATH, {"/unregserver"}).status, 0);
    object->setEmailAddress(u"bugs@example.test");
    object->setSMTPServer(u"127.0.0.1:9");
    log(u"cannot mail", 5, 2, false, true);
    const auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Class CTracebook Function Log()");
    EXPECT_NE(shown[0].text.find("can't create object"), std::string::npos) << shown[0].text;
    EXPECT_EQ(shown[0].type, MB_OK);
    EXPECT_NE(readFile(file).find(",cannot mail,5\r\n"), std::string::npos);
}
