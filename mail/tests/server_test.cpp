// The real Postwire.exe, registered and started through CreateObject and through objcall, sending over
// SMTP to a real server on loopback, its events crossing the process boundary.
#include <gtest/gtest.h>

#include "MailTestSupport.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/SmtpTestServer.h"

using namespace velmora;
using namespace velmora::test;

namespace {

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
