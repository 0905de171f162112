// A real SMTP server on loopback for mail tests: the Debian aiosmtpd package behind smtpserver.py,
// started on a port the system chooses, stopped when the object goes. Messages it accepted are read back
// byte for byte, with the session that delivered them.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace velmora::test {

class SmtpTestServer {
  public:
    struct Message {
        std::string session;  // "HELO x" or "EHLO x", "AUTH user", "TLS", "MAIL FROM:<a>", "RCPT TO:<b>"...
        std::string data;     // the message as received, dot-unstuffed
    };

    // Options as smtpserver.py takes them: {"--auth", "user:pw"}, {"--mode", "mute"}, {"--reject", "a@b"},
    // {"--tls", cert, key}. Fails the test (and port() is 0) when the server does not come up.
    explicit SmtpTestServer(std::vector<std::string> options = {});
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int port() const noexcept { return m_port; }
    // "127.0.0.1:<port>", as a RemoteServer.
    std::string address() const;
    // The messages accepted so far, in order.
    std::vector<Message> messages() const;
    // Waits until at least count messages have arrived (or the bound passes); the messages then.
    std::vector<Message> waitForMessages(std::size_t count,
                                         std::chrono::milliseconds bound = std::chrono::seconds(20)) const;

  private:
    int m_pid = -1;
    int m_port = 0;
    std::string m_dir;
};

// Makes a certificate authority and a server certificate for 127.0.0.1 and localhost with openssl in
// folder; returns false when openssl fails. Files: ca.pem, server.pem, server.key.
bool makeTestCertificates(const std::string& folder);

}  // namespace velmora::test
