// The real Postwire.exe, registered and started through CreateObject and through objcall, sending over
// SMTP to a real server on loopback, its events crossing the process boundary.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "MailTestSupport.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/SmtpTestServer.h"

using namespace velmora;
using namespace velmora::test;

namespace {

// Whether a connection to that loopback port is established (the mail server accepted a client).
bool connectedTo(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the heading
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (state == "01" && remote.size() > 5 && remote.substr(remote.size() - 5) == wanted) return true;
    }
    return false;
}

class Postwire : public MailTest {
  protected:
    void SetUp() override {
        MailTest::SetUp();
        ASSERT_EQ(runProgram(VELMORA_POSTWIRE_PATH, {"/regserver"}).status, 0);
    }
};

}  // namespace

TEST_F(Postwire, AClientSendsThroughTheServerProcessAndHearsItsEvents) {
    SmtpTestServer server;
    ObjectRef email = CreateObject(u"Postwire.EmailObject");
    EventLog log;
    log.attach(email);
    letProperty(email, u"DeliveryType", std::int32_t{1});
    letProperty(email, u"DefaultEmail", u"app@example.test");
    letProperty(email, u"smtpServer", fromUtf8(server.address()));
    call(email, u"AddRecipient", u"bugs@example.test", u"Bugs", std::int16_t{1});
    EXPECT_EQ(getProperty(email, u"RecipientCount").toLong(), 1);
    EXPECT_TRUE(call(email, u"SendEmail", u"subject", u"body").toBool());
    EXPECT_EQ(server.waitForMessages(1).size(), 1u);
    EXPECT_TRUE(log.hasStatus("Mail sent"));
    EXPECT_TRUE(log.hasStatus("Sending message..."));
}

TEST_F(Postwire, ObjcallDrivesTheServerAsAnIndependentClientWould) {
    SmtpTestServer server;
    const ProgramOutput out =
        runProgram(VELMORA_OBJCALL_PATH,
                   {"Postwire.EmailObject", "DeliveryType=1", "DefaultEmail=s:app@example.test",
                    "smtpServer=s:" + server.address(), "AddRecipient(s:bugs@example.test, s:Bugs, i16:1)",
                    "SendEmail(s:objcall subject, s:objcall body)"});
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_NE(out.text.find("b:true"), std::string::npos) << out.text;
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].data.find("Subject: objcall subject\r\n"), std::string::npos);
}

TEST_F(Postwire, TheServerEndsWithinSecondsWhenItsClientDiesDuringASendThatWaits) {
    // A mail server that accepts and never answers: the send waits up to 25 s for each reply.
    SmtpTestServer mute({"--mode", "mute"});
    const pid_t client = startProgram(
        VELMORA_OBJCALL_PATH, {"Postwire.EmailObject", "DeliveryType=1", "smtpServer=s:" + mute.address(),
                               "AddRecipient(s:bugs@example.test, s:Bugs, i16:1)", "SendEmail(s:s, s:b)"});
    ASSERT_GT(client, 0);
    pid_t server = -1;
    EXPECT_TRUE(waitUntil([&] { return (server = childProcessOf(client, VELMORA_POSTWIRE_PATH)) > 0; }));
    // Generous: the first connection of a loaded machine may wait for its network monitor.
    EXPECT_TRUE(waitUntil([&] { return connectedTo(mute.port()); }, std::chrono::seconds(30)));
    kill(client, SIGKILL);
    waitpid(client, nullptr, 0);
    ASSERT_GT(server, 0);
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([&] { return !processRunning(server); }, std::chrono::seconds(10)));
    std::printf("[ figures ] Postwire ended %.2f s after its client\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count());
}
