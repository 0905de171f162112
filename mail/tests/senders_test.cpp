// The MAPI and Notes senders against recording components registered under the platform components'
// class names, their absence on this platform, and the mail link for the desktop's mail program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "MailTestSupport.h"
#include "mail/EmailObject.h"
#include "mail/cDefaultEmail.h"
#include "mail/cMAPI.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"

using namespace velmora;
using namespace velmora::test;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int registration(const char* action) {
    return runProgram(VELMORA_OBJCALL_PATH, {action, VELMORA_MAILRECORDER_PATH}).status;
}

class Senders : public MailTest {
  protected:
    void SetUp() override {
        MailTest::SetUp();
        ASSERT_EQ(registration("--register"), 0);
        calls = folder / "calls.txt";
        setenv("VELMORA_MAILRECORDER_LOG", calls.c_str(), 1);
        unsetenv("VELMORA_MAILRECORDER_FAIL");
    }
    void TearDown() override {
        unsetenv("VELMORA_MAILRECORDER_LOG");
        unsetenv("VELMORA_MAILRECORDER_FAIL");
        MailTest::TearDown();
    }
    Ref<EmailObject> email(std::int32_t type) {
        Ref<EmailObject> object = makeObject<EmailObject>();
        log.attach(object);
        object->setDeliveryType(type);
        return object;
    }
    std::string recorded() const { return readFile(calls); }

    std::filesystem::path calls;
    EventLog log;
};

std::vector<std::string> statuses(const EventLog& log) {
    std::vector<std::string> texts;
    for (const RecordedEvent& event : log.named("Status")) texts.push_back(event.args.at(0));
    return texts;
}

}  // namespace

TEST_F(Senders, WithoutThePlatformComponentsCreatingTheSenderFails) {
    ASSERT_EQ(registration("--unregister"), 0);
    for (std::int32_t type : {std::int32_t{MAPI}, std::int32_t{LotusNotes}}) {
        Ref<EmailObject> object = email(type);
        object->AddRecipient(u"a@example.test", u"A", 1);
        try {
            object->SendEmail(u"subject", u"body");
            ADD_FAILURE() << "sent through " << type;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::CantCreateObject);
        }
    }
}

TEST_F(Senders, MapiComposesEveryRecipientAndAttachment) {
    Ref<EmailObject> object = email(MAPI);
    object->setUserName(u"ignored by MAPI");
    object->AddRecipient(u"one@example.test", u"One", 1);
    object->AddRecipient(u"two@example.test", u"Two", 2);
    object->AddAttachment(u"/tmp/a.txt");
    object->AddAttachment(u"/tmp/b.txt");
    EXPECT_FALSE(object->SendEmail(u"Subject line", u"body"));
    const std::string expected =
        "create MAPISession\ncreate MAPIMessages\n"
        "MAPISession.UserName = \"\"\nMAPISession.Password = "
        "\"\"\nMAPISession.SignOn()\nMAPISession.SessionID?\n"
        "MAPIMessages.SessionID = 4711\n"
        "MAPIMessages.Compose()\nMAPIMessages.MsgNoteText = \"body\"\nMAPIMessages.MsgSubject = \"Subject "
        "line\"\n"
        "MAPIMessages.RecipIndex = 0\nMAPIMessages.RecipDisplayName = \"One\"\n"
        "MAPIMessages.RecipAddress = \"smtp:one@example.test\"\nMAPIMessages.RecipType = 1\n"
        "MAPIMessages.RecipIndex = 1\nMAPIMessages.RecipDisplayName = \"Two\"\n"
        "MAPIMessages.RecipAddress = \"smtp:two@example.test\"\nMAPIMessages.RecipType = 1\n"
        "MAPIMessages.MsgNoteText = \"    body\"\n"
        "MAPIMessages.AttachmentIndex = 0\nMAPIMessages.AttachmentPosition = 0\n"
        "MAPIMessages.AttachmentPathName = \"/tmp/a.txt\"\nMAPIMessages.AttachmentName = \"/tmp/a.txt\"\n"
        "MAPIMessages.AttachmentIndex = 1\nMAPIMessages.AttachmentPosition = 1\n"
        "MAPIMessages.AttachmentPathName = \"/tmp/b.txt\"\nMAPIMessages.AttachmentName = \"/tmp/b.txt\"\n"
        "MAPIMessages.MsgOrigAddress?\nMAPIMessages.MsgOrigDisplayName?\nMAPIMessages.Send(False)\n";
    EXPECT_EQ(recorded(), expected);
    EXPECT_EQ(statuses(log),
              (std::vector<std::string>{"MailLogon: Success", "MailAddAttach: Added /tmp/a.txt",
                                        "MailAddAttach: Added /tmp/b.txt", "MailAddRecip: Added One",
                                        "MailAddRecip: Added Two", "MailSend: Added Attachments",
                                        "MailSend: Mail Sent"}));
    EXPECT_TRUE(log.named("EmailError").empty());
}

TEST_F(Senders, MapiSignOnAndSendFailures) {
    // Already signed on counts as success.
    setenv("VELMORA_MAILRECORDER_FAIL", "SignOn=32050", 1);
    Ref<EmailObject> object = email(MAPI);
    object->AddRecipient(u"one@example.test", u"One", 1);
    object->SendEmail(u"s", u"b");
    EXPECT_NE(recorded().find("MAPIMessages.Send(False)"), std::string::npos);
    EXPECT_TRUE(log.named("EmailError").empty());

    // Any other sign-on failure: reported, nothing composed.
    std::filesystem::remove(calls);
    setenv("VELMORA_MAILRECORDER_FAIL", "SignOn=32003", 1);
    object->SendEmail(u"s", u"b");
    EXPECT_EQ(recorded().find("Compose"), std::string::npos);
    ASSERT_EQ(log.named("EmailError").size(), 1u);
    EXPECT_EQ(log.named("EmailError")[0].args,
              (std::vector<std::string>{"Logon", "32003", "Failed on purpose", "cMAPI"}));

    // A stale session: reported, signed on again, sent once more.
    std::filesystem::remove(calls);
    setenv("VELMORA_MAILRECORDER_FAIL", "Send=32053", 1);
    object->SendEmail(u"s", u"b");
    const std::string second = recorded();
    std::size_t sends = 0;
    for (std::size_t at = 0; (at = second.find("MAPIMessages.Send(False)", at)) != std::string::npos; ++at)
        ++sends;
    EXPECT_EQ(sends, 2u);
    std::size_t signOns = 0;
    for (std::size_t at = 0; (at = second.find("MAPISession.SignOn()", at)) != std::string::npos; ++at)
        ++signOns;
    EXPECT_EQ(signOns, 2u);
    EXPECT_EQ(log.named("EmailError").back().args[0], "SendEmail");
    EXPECT_EQ(log.named("EmailError").back().args[1], "32053");
}

TEST_F(Senders, MapiListsAndReply) {
    Ref<cMAPI> mapi = makeObject<cMAPI>();
    log.attach(mapi);
    std::u16string subject = u"s";
    std::u16string text = u"t";
    EXPECT_EQ(mapi->SendEmail(subject, text), 0);
    EXPECT_FALSE(mapi->Reply());
    mapi->RemoveRecipient(1);
    mapi->RemoveAttachment(1);
    std::u16string name = u"One";
    std::u16string address = u"one@example.test";
    std::int16_t type = 1;
    mapi->AddRecipient(name, address, type);
    EXPECT_EQ(mapi->recipients().at(0).Address, u"smtp:one@example.test");
    mapi->RemoveRecipient(2);
    mapi->SendEmail(subject, text);
    EXPECT_TRUE(mapi->Reply());
    EXPECT_EQ(mapi->recipients().back().Address, u"smtp:sender@recorded.test");
    EXPECT_EQ(mapi->recipients().back().Name, u"Recorded Sender");
    mapi->RemoveRecipient(1);
    std::vector<std::string> texts;
    for (const RecordedEvent& event : log.named("StatusUpdate")) texts.push_back(event.args.at(0));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "No Recipients", "MailReply: FAILED", "MailRemoveRecip: ERROR: No Recipients",
                         "MailRemoveAttach: ERROR: No Attachments", "MailAddRecip: Added One",
                         "MailRemoveRecip: ERROR: No such recipient", "MailSend: No Attachments",
                         "MailSend: Mail Sent", "MailRemoveRecip: Success"}));
}

TEST_F(Senders, NotesSendsToTheFirstRecipientOnlyAndSkipsEmptyAttachments) {
    Ref<EmailObject> object = email(LotusNotes);
    object->AddRecipient(u"first@example.test", u"First", 1);
    object->AddRecipient(u"second@example.test", u"Second", 1);
    object->AddRecipient(u"third@example.test", u"Third", 1);
    object->AddAttachment(u"");
    object->AddAttachment(u"/tmp/log.txt");
    EXPECT_TRUE(object->SendEmail(u"Subject", u"Text"));
    EXPECT_EQ(recorded(),
              "create NotesSession\nNotesSession.GetDatabase(\"\", \"\")\nNotesDatabase.OpenMail()\n"
              "NotesSession.CreateRichTextStyle()\nNotesDatabase.CreateDocument()\n"
              "NotesDocument.CreateRichTextItem(\"Body\")\n"
              "NotesRichTextItem.EMBEDOBJECT(1454, \"\", \"/tmp/log.txt\", \"Sample\")\n"
              "NotesRichTextStyle.NotesFont = 4\nNotesRichTextStyle.Bold = "
              "True\nNotesRichTextStyle.NotesColor = 2\n"
              "NotesRichTextItem.AppendStyle(<NotesRichTextStyle>)\nNotesRichTextItem.AppendText(\"Text\")\n"
              "NotesDocument.ReplaceItemValue(\"SendTo\", \"first@example.test\")\n"
              "NotesDocument.ReplaceItemValue(\"Subject\", \"Subject\")\nNotesDocument.Send(False)\n");
    EXPECT_EQ(statuses(log),
              (std::vector<std::string>{"Attachments have been added", "Message has been formatted",
                                        "Email has been sent to first@example.test"}));

    setenv("VELMORA_MAILRECORDER_FAIL", "AppendText=4000", 1);
    EXPECT_FALSE(object->SendEmail(u"Subject", u"Text"));
    EXPECT_EQ(log.named("EmailError").back().args,
              (std::vector<std::string>{"SendEmail", "4000", "Failed on purpose", "cLotusMail"}));
}

TEST_F(Senders, TheMailLinkIsAValidUri) {
    EXPECT_EQ(cDefaultEmail::mailLink(u"a@x.test,b@y.test", u"Bug & report? 100%", u"line 1\r\nline=2"),
              "mailto:a@x.test,b@y.test?subject=Bug%20%26%20report%3F%20100%25&body=line%201%0D%0Aline%3D2");
    EXPECT_EQ(cDefaultEmail::mailLink(u"", u"", u""), "mailto:?subject=&body=");
    EXPECT_EQ(cDefaultEmail::mailLink(u"o'neil+tag@x.test", u"\u00e9", u""),
              "mailto:o%27neil%2Btag@x.test?subject=%C3%A9&body=");
}

TEST_F(Senders, TheDesktopsMailProgramReceivesTheLink) {
    // A mail program of the test's own, made the desktop's handler for mail links.
    const auto data = std::filesystem::path(std::getenv("XDG_DATA_HOME"));
    const auto config = std::filesystem::path(std::getenv("XDG_CONFIG_HOME"));
    const auto received = folder / "link.txt";
    const auto handler = folder / "mailprogram.sh";
    std::ofstream(handler) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << received.string() << ".part' && mv '"
                           << received.string() << ".part' '" << received.string() << "'\n";
    chmod(handler.c_str(), 0755);
    std::filesystem::create_directories(data / "applications");
    std::ofstream(data / "applications" / "velmora-test-mail.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test Mail\nExec=" << handler.string()
        << " %u\nMimeType=x-scheme-handler/mailto;\n";
    std::ofstream(config / "mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/mailto=velmora-test-mail.desktop\n";

    Ref<EmailObject> object = email(Default);
    object->AddRecipient(u"a@x.test", u"A", 1);
    object->AddRecipient(u"b@y.test", u"B", 1);
    object->AddAttachment(u"/tmp/log.txt");
    EXPECT_FALSE(object->SendEmail(u"Bug report", u"it broke"));
    ASSERT_TRUE(processUntil([&] { return std::filesystem::exists(received); }));
    EXPECT_EQ(readFile(received), "mailto:a@x.test,b@y.test?subject=Bug%20report&body=it%20broke");
    const auto errors = log.named("EmailError");
    ASSERT_EQ(errors.size(), 1u);  // only the attachment could not go with the link
    EXPECT_EQ(errors[0].args[0], "SendMail");
    EXPECT_EQ(errors[0].args[1], "2");
    EXPECT_EQ(errors[0].args[3], "cDefaultEmail");
}
