// cSMTP and EmailObject against a real SMTP server on loopback: the message as received byte for byte,
// greeting and authentication, refusals, silent, garbling and hanging-up servers, replies in pieces.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>

#include "MailTestSupport.h"
#include "mail/EmailObject.h"
#include "mail/cSMTP.h"
#include "runtime/Error.h"
#include "testsupport/SmtpTestServer.h"

using namespace velmora;
using namespace velmora::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr char kCrLf[] = "\r\n";

class Smtp : public MailTest {
  protected:
    Ref<EmailObject> email(const SmtpTestServer& server) {
        Ref<EmailObject> object = makeObject<EmailObject>();
        log.attach(object);
        object->setDeliveryType(SMTP);
        object->setDefaultEmail(u"app@example.test");
        object->setDisplayName(u"Sealdesk - email bugs");
        object->setSmtpServer(fromUtf8(server.address()));
        return object;
    }
    Ref<cSMTP> smtp(const SmtpTestServer& server, std::int16_t timeout = 25) {
        Ref<cSMTP> object = makeObject<cSMTP>();
        log.attach(object);
        object->setRemoteServer(fromUtf8(server.address()));
        object->setFromEmail(u"app@example.test");
        object->setResponseTimeout(timeout);
        std::u16string address = u"bugs@example.test";
        std::u16string name = u"Bugs";
        std::int16_t type = 1;
        object->AddRecipient(address, name, type);
        return object;
    }
    std::vector<RecordedEvent> errors() const { return log.named("EmailError"); }

    EventLog log;
};

std::string dateLineOf(const std::string& message) {
    const auto start = message.find("\r\nDate: ");
    if (start == std::string::npos) return {};
    return message.substr(start + 2, message.find(kCrLf, start + 2) - start);
}

std::string mimeHeader() {
    return std::string("MIME-Version: 1.0\r\n") +
           "Content-Type: multipart/related; boundary=\"NextMimePart\"; type=\"text/html\"\r\n" + "\r\n" +
           "Text displayed only to non-MIME-compliant mailers\r\n" + "--NextMimePart\r\n" +
           "Content-Type: text/html; charset=us-ascii\r\n" + "Content-Transfer-Encoding: 7bit\r\n";
}

std::string part(const std::string& name, const std::string& base64Lines) {
    return std::string(kCrLf) + "--NextMimePart\r\n" + "Content-Type: application/octet-stream; name=\"" +
           name + "\"\r\n" + "Content-ID: <" + name + ">\r\n" + "Content-Transfer-Encoding: base64\r\n" +
           "Content-Disposition: attachment; filename=\"" + name + "\"\r\n" + "\r\n" + base64Lines;
}

std::string repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

}  // namespace

TEST_F(Smtp, TheMessageArrivesByteForByteWithItsAttachmentsAndDotStuffedBody) {
    SmtpTestServer server;
    Ref<EmailObject> object = email(server);
    object->AddRecipient(u"bugs@example.test", u"Bugs", 1);
    object->AddRecipient(u"   ", u"Nobody", 1);  // blanks only: skipped
    object->AddRecipient(u"second@example.test", u"Second", 1);
    // Attachment names and content identifiers are what follows the last separator of either kind.
    const std::string three = writeFile("three.bin", "abc");
    const std::string four = writeFile("four.bin", "abcd");
    const std::string fiftyOne = writeFile("fiftyone.bin", std::string(51, 'A'));
    const std::string fiftyTwo = writeFile("fiftytwo.bin", std::string(52, 'A'));
    writeFile("empty.bin", "");
    for (const std::string& path : {three, four, fiftyOne, fiftyTwo}) object->AddAttachment(fromUtf8(path));
    // The platform takes "\\" as a separator too.
    object->AddAttachment(fromUtf8((folder.string() + "\\") + "empty.bin"));
    const std::string body = "<p>first</p>\r\n.\r\n..two dots\r\n.last";

    ASSERT_TRUE(object->SendEmail(u"Sealdesk - Bug Report", fromUtf8(body)));

    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].session,
              "HELO example.test\nMAIL FROM:<app@example.test>\nRCPT TO:<bugs@example.test>\n"
              "RCPT TO:<second@example.test>\n");
    const std::string& data = messages[0].data;
    const std::string date = dateLineOf(data);
    EXPECT_TRUE(
        std::regex_match(date, std::regex("Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
                                          "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                          "[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9] [+-][0-9]{4}\r\n")))
        << date;
    const std::string expected = std::string("From: \"Sealdesk - email bugs\" <app@example.test>\r\n") +
                                 date + "X-Mailer: Qorvex v2e Mail\r\n" +
                                 "To: \"Bugs\" <bugs@example.test>\r\n" +
                                 "Subject: Sealdesk - Bug Report\r\n" + mimeHeader() + kCrLf + body + kCrLf +
                                 part("three.bin", "YWJj\r\n") + part("four.bin", "YWJjZA==\r\n") +
                                 part("fiftyone.bin", repeat("QUFB", 17) + kCrLf) +
                                 part("fiftytwo.bin", repeat("QUFB", 17) + kCrLf + "QQ==\r\n") +
                                 part("empty.bin", "") + kCrLf + "--NextMimePart--\r\n";
    EXPECT_EQ(data, expected);
    EXPECT_TRUE(log.hasStatus("Sent Recipient Data"));
    EXPECT_TRUE(log.hasStatus("Mail sent"));
    EXPECT_TRUE(errors().empty());
}

TEST_F(Smtp, TwoSendsOnOneObjectReachEveryRecipientAddedSoFar) {
    SmtpTestServer server;
    Ref<EmailObject> object = email(server);
    object->AddRecipient(u"one@example.test", u"One", 1);
    ASSERT_TRUE(object->SendEmail(u"first", u"body"));
    object->AddRecipient(u"two@example.test", u"Two", 1);
    ASSERT_TRUE(object->SendEmail(u"second", u"body"));
    const auto messages = server.waitForMessages(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].session.find("RCPT TO:<one@example.test>"), std::string::npos);
    EXPECT_EQ(messages[0].session.find("two@"), std::string::npos);
    EXPECT_NE(messages[1].session.find("RCPT TO:<one@example.test>\nRCPT TO:<two@example.test>"),
              std::string::npos);
}

TEST_F(Smtp, AUserNameSwitchesToEhloAndLoginAuthentication) {
    SmtpTestServer server({"--auth", "mailer:s3cret"});
    Ref<EmailObject> object = email(server);
    object->setUserName(u"mailer");
    object->setPassword(u"s3cret");
    object->AddRecipient(u"bugs@example.test", u"Bugs", 1);
    ASSERT_TRUE(object->SendEmail(u"subject", u"body"));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].session.rfind("EHLO example.test\nAUTH mailer\n", 0), 0u) << messages[0].session;

    // A wrong password: the third step of the login fails, nothing is sent.
    object->setPassword(u"wrong");
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    const auto failures = errors();
    ASSERT_FALSE(failures.empty());
    EXPECT_EQ(failures[failures.size() - 2].args,
              (std::vector<std::string>{"Connect", "12345", " Not Authenticated", "cSMTP"}));
    EXPECT_EQ(failures.back().args,
              (std::vector<std::string>{"Send", "2", "Can not connect to server", "cSMTP"}));
    EXPECT_EQ(server.messages().size(), 1u);
}

TEST_F(Smtp, ARefusedRecipientFailsTheSendAndStillQuits) {
    SmtpTestServer server({"--reject", "second@example.test"});
    Ref<EmailObject> object = email(server);
    object->AddRecipient(u"first@example.test", u"First", 1);
    object->AddRecipient(u"second@example.test", u"Second", 1);
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    const auto failures = errors();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].args[0], "WaitFor");
    EXPECT_EQ(failures[0].args[1], "550");
    EXPECT_EQ(failures[0].args[2].rfind("Server ErrorsmtpMailboxUnavailable2; ", 0), 0u)
        << failures[0].args[2];
    EXPECT_TRUE(log.hasStatus("DATASENT: quit\r\n"));
    EXPECT_FALSE(log.hasStatus("Mail sent"));
    EXPECT_TRUE(server.messages().empty());
}

TEST_F(Smtp, MissingServerOrRecipientSendsNothing) {
    SmtpTestServer server;
    Ref<EmailObject> object = email(server);
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    object->AddRecipient(u"bugs@example.test", u"Bugs", 1);
    object->setSmtpServer(u"");
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    const std::vector<std::string> missing{"SendEmail", "1", "Missing parameter in call to SendEmail",
                                           "cSMTP"};
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_EQ(errors()[0].args, missing);
    EXPECT_EQ(errors()[1].args, missing);
}

TEST_F(Smtp, BrokenServersEndTheSendWithinTheResponseTimeout) {
    struct Case {
        const char* mode;
        const char* routine;
        const char* number;  // of the WaitFor error; nullptr: the wait timed out
    };
    for (const Case& c : {Case{"mute", nullptr, nullptr}, Case{"garbage", "WaitFor", "0"},
                          Case{"close", "WaitFor", "10054"}}) {
        SCOPED_TRACE(c.mode);
        log = EventLog();
        SmtpTestServer server({"--mode", c.mode});
        Ref<cSMTP> object = smtp(server, 1);
        const auto start = Clock::now();
        EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
        const auto failures = log.named("SMTPError");
        ASSERT_FALSE(failures.empty());
        EXPECT_EQ(failures.back().args, (std::vector<std::string>{"Send", "Can not connect to server", "2"}));
        if (c.number) {
            ASSERT_GE(failures.size(), 2u);
            EXPECT_EQ(failures[failures.size() - 2].args[0], c.routine);
            EXPECT_EQ(failures[failures.size() - 2].args[2], c.number);
        } else {
            EXPECT_TRUE(log.hasStatus("SMTP service error, timed out while waiting for response"));
        }
    }
}

TEST_F(Smtp, RepliesInPiecesAndOverSeveralLinesAreReadWhole) {
    SmtpTestServer server({"--mode", "split"});
    Ref<cSMTP> object = smtp(server, 5);
    object->setRequiresAuthentication(false);
    EXPECT_TRUE(object->SendEmail(u"subject", u"body"));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].data.find("\r\nbody\r\n"), std::string::npos);
    EXPECT_TRUE(log.named("SMTPError").empty());
}

TEST_F(Smtp, LineBreaksInHeaderValuesAndAddressesBecomeBlanks) {
    SmtpTestServer server;
    Ref<EmailObject> object = email(server);
    object->setDisplayName(u"Evil\r\nBcc: victim@example.test");
    object->AddRecipient(u"bugs@example.test", u"Bugs\nX-Injected: 1", 1);
    ASSERT_TRUE(object->SendEmail(u"Hello\r\nBcc: other@example.test", u"body"));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    const std::string& data = messages[0].data;
    EXPECT_EQ(data.find("\r\nBcc:"), std::string::npos);
    EXPECT_EQ(data.find("\nX-Injected"), std::string::npos);
    EXPECT_NE(data.find("Subject: Hello  Bcc: other@example.test\r\n"), std::string::npos);
    EXPECT_NE(data.find("From: \"Evil  Bcc: victim@example.test\" <app@example.test>\r\n"),
              std::string::npos);
}

TEST_F(Smtp, AQuoteInADisplayNameCannotForgeTheSender) {
    SmtpTestServer server;
    Ref<EmailObject> object = email(server);
    object->setDisplayName(u"Boss\" <ceo@corp.test>, \\\"x");
    object->AddRecipient(u"bugs@example.test", u"caf\u00e9 \"team\"", 1);
    ASSERT_TRUE(object->SendEmail(u"subject", u"body"));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    const std::string& data = messages[0].data;
    EXPECT_EQ(data.rfind("From: \"Boss\\\" <ceo@corp.test>, \\\\\\\"x\" <app@example.test>\r\n", 0), 0u)
        << data;
    // Beyond ASCII the name goes as an encoded word: "café "team"" in UTF-8, in base64.
    EXPECT_NE(data.find("\r\nTo: =?UTF-8?B?Y2Fmw6kgInRlYW0i?= <bugs@example.test>\r\n"), std::string::npos)
        << data;
}

TEST_F(Smtp, BareLineEndsInTheBodyCannotEndTheDataEarly) {
    SmtpTestServer server;
    Ref<cSMTP> object = smtp(server);
    object->setOmitHeader(true);
    const std::string smuggled =
        "MAIL FROM:<evil@example.test>\r\nRCPT TO:<victim@example.test>\r\nDATA\r\n"
        "forged\r\n.\r\n";
    ASSERT_TRUE(object->SendEmail(u"subject", fromUtf8("first\n.\r\n" + smuggled + "cr\rlf\n.dot\r\nend")));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].data, "first\r\n.\r\n" + smuggled + "cr\r\nlf\r\n.dot\r\nend\r\n\r\n");
    EXPECT_EQ(messages[0].session.find("evil@"), std::string::npos);
    EXPECT_EQ(server.messages().size(), 1u);
}

TEST_F(Smtp, TheGreetingNamesADomainOrTheMachine) {
    SmtpTestServer server;
    // What a sender without a domain greets with: the machine's name.
    const auto greetingFor = [&](const std::u16string& from) {
        Ref<cSMTP> object = smtp(server, 5);
        object->setFromEmail(from);
        object->SendEmail(u"subject", u"body");
        std::string greeting;
        for (const RecordedEvent& event : log.named("StatusUpdate"))
            if (event.args.at(0).rfind("DATASENT: HELO ", 0) == 0) greeting = event.args.at(0).substr(10);
        return greeting;
    };
    const std::string machine = greetingFor(u"nobody");
    EXPECT_TRUE(std::regex_match(machine, std::regex("HELO [A-Za-z0-9.-]+\r\n"))) << machine;
    const std::pair<std::u16string, std::string> cases[] = {
        {u"app@mail.example.test", "HELO mail.example.test\r\n"},
        {u"app@[127.0.0.1]", "HELO [127.0.0.1]\r\n"},
        {u"app@[IPv6:::1]", "HELO [IPv6:::1]\r\n"},
        {u"app@example.org>  RCPT TO:<victim@example.test>", machine},
        {u"app@-dash.test", machine},
        {u"app@a..b", machine},
        {u"app@[999.1.1.1]", machine},
        {u"app@", machine},
    };
    for (const auto& [from, expected] : cases) EXPECT_EQ(greetingFor(from), expected) << toUtf8(from);
}

TEST_F(Smtp, OmitHeaderSendsOnlyTheBody) {
    SmtpTestServer server;
    Ref<cSMTP> object = smtp(server);
    object->setOmitHeader(true);
    ASSERT_TRUE(object->SendEmail(u"subject", u"just the body"));
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    // The terminator's own CR LF follows the body's.
    EXPECT_EQ(messages[0].data, "just the body\r\n\r\n");
}

TEST_F(Smtp, AttachmentsAreCheckedWhenAddedAndWhenSent) {
    SmtpTestServer server;
    Ref<cSMTP> object = smtp(server);
    const std::string path = writeFile("log.txt", "line\r\n");
    EXPECT_FALSE(object->AddAttachment(fromUtf8((folder / "missing.txt").string()), Variant::missing()));
    EXPECT_FALSE(object->AddAttachment(fromUtf8(folder.string()), Variant::missing()));  // a folder
    EXPECT_TRUE(object->AddAttachment(fromUtf8(path), Variant::missing()));
    EXPECT_FALSE(object->AddAttachment(fromUtf8(path), Variant::missing()));
    auto failures = log.named("SMTPError");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].args[0], "AddAttachment");
    EXPECT_EQ(failures[0].args[2], "457");
    EXPECT_TRUE(object->AddAttachment(fromUtf8(path), Variant(u"second-id")));

    // Gone by the time of sending: nothing goes out without it.
    std::filesystem::remove(path);
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    failures = log.named("SMTPError");
    EXPECT_EQ(failures.back().args[0], "EncodeFile");
    EXPECT_EQ(failures.back().args[2], "53");
    EXPECT_TRUE(server.messages().empty());
}

TEST_F(Smtp, TheTranscriptShowsEveryCommandButNotThePassword) {
    SmtpTestServer server({"--auth", "mailer:s3cret"});
    Ref<cSMTP> object = smtp(server);
    object->setRequiresAuthentication(true);
    object->setUserName(u"mailer");
    object->setPassword(u"s3cret");
    object->setSaveSession(true);
    ASSERT_TRUE(object->SendEmail(u"subject", u"body"));
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const auto transcript = std::filesystem::path(self).parent_path() / "session.txt";
    std::ifstream in(transcript, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string session = text.str();
    std::filesystem::remove(transcript);
    EXPECT_EQ(
        session.rfind(
            "EHLO example.test\r\n\r\nAUTH LOGIN\r\n\r\nbWFpbGVy\r\n\r\n(password withheld)\r\n\r\n", 0),
        0u)
        << session;
    EXPECT_EQ(session.find("czNjcmV0"), std::string::npos);  // base64 of the password
    EXPECT_NE(session.find("quit\r\n\r\n"), std::string::npos);
}

TEST_F(Smtp, ANonexistentHostFailsWithoutHanging) {
    Ref<cSMTP> object = makeObject<cSMTP>();
    log.attach(object);
    object->setRemoteServer(u"no-such-host.invalid");
    object->setResponseTimeout(2);
    std::u16string address = u"bugs@example.test";
    std::u16string name;
    std::int16_t type = 1;
    object->AddRecipient(address, name, type);
    const auto start = Clock::now();
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(log.named("SMTPError").back().args,
              (std::vector<std::string>{"Send", "Can not connect to server", "2"}));
}

TEST_F(Smtp, StartTlsComesBeforeTheLoginAndTheCertificateIsVerified) {
    const auto certs = folder / "certs";
    std::filesystem::create_directories(certs);
    ASSERT_TRUE(makeTestCertificates(certs.string()));
    SmtpTestServer server({"--auth", "mailer:s3cret", "--tls", (certs / "server.pem").string(),
                           (certs / "server.key").string()});
    Ref<EmailObject> object = email(server);
    object->setUserName(u"mailer");
    object->setPassword(u"s3cret");
    object->AddRecipient(u"bugs@example.test", u"Bugs", 1);

    // A certificate from an authority nobody trusts: no login goes out, nothing is sent.
    unsetenv("SSL_CERT_FILE");
    EXPECT_FALSE(object->SendEmail(u"subject", u"body"));
    EXPECT_TRUE(log.hasStatus("DATASENT: STARTTLS\r\n"));
    EXPECT_FALSE(log.hasStatus("DATASENT: AUTH LOGIN\r\n"));
    auto failures = errors();
    ASSERT_GE(failures.size(), 2u);
    EXPECT_EQ(failures[failures.size() - 2].args[0], "Connect");
    EXPECT_TRUE(server.messages().empty());

    // Trusted through the standard OpenSSL variable: upgraded, logged in, delivered.
    setenv("SSL_CERT_FILE", (certs / "ca.pem").c_str(), 1);
    const bool sent = object->SendEmail(u"subject", u"body");
    unsetenv("SSL_CERT_FILE");
    ASSERT_TRUE(sent);
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].session.rfind("EHLO example.test\nAUTH mailer\nTLS\n", 0), 0u)
        << messages[0].session;
}
