// The Portlane socket on its own, against a listener of the test's own on loopback: connect, both ways
// of data with the arrival count, the control's states and error numbers, the local-host rule.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <chrono>
#include <functional>

#include "net/PortlaneSocket.h"
#include "runtime/Error.h"

using namespace velmora;

namespace {

bool runUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

class Portlane : public ::testing::Test {
  protected:
    int argc = 1;
    char name[10] = "net_tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

}  // namespace

TEST_F(Portlane, ConnectsSendsAndReportsArrivingBytes) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    PortlaneSocket socket;
    EXPECT_EQ(socket.State(), PortlaneSocket::sckClosed);
    std::int32_t arrived = 0;
    socket.onDataArrival([&](std::int32_t bytes) { arrived += bytes; });
    socket.setRemoteHost("127.0.0.1");
    socket.setRemotePort(listener.serverPort());
    socket.Connect();
    ASSERT_TRUE(runUntil([&] { return listener.hasPendingConnections(); }));
    QTcpSocket* peer = listener.nextPendingConnection();
    ASSERT_TRUE(runUntil([&] { return socket.State() == PortlaneSocket::sckConnected; }));

    socket.SendData("HELO there\r\n");
    ASSERT_TRUE(runUntil([&] { return peer->bytesAvailable() >= 12; }));
    EXPECT_EQ(peer->readAll(), QByteArray("HELO there\r\n"));

    peer->write("250 ok\r\n");
    ASSERT_TRUE(runUntil([&] { return arrived >= 8; }));
    EXPECT_EQ(socket.GetData(), "250 ok\r\n");
    EXPECT_EQ(socket.GetData(), "");

    bool closed = false;
    socket.onClose([&] { closed = true; });
    peer->disconnectFromHost();
    ASSERT_TRUE(runUntil([&] { return closed; }));
    EXPECT_EQ(socket.State(), PortlaneSocket::sckClosed);
}

TEST_F(Portlane, MisuseRaisesTheControlsErrors) {
    PortlaneSocket socket;
    auto number = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const RuntimeError& error) {
            return error.number();
        }
        return 0;
    };
    EXPECT_EQ(number([&] { socket.SendData("x"); }), PortlaneSocket::sckBadState);
    EXPECT_EQ(number([&] { socket.StartTLS("localhost"); }), PortlaneSocket::sckBadState);
    EXPECT_EQ(number([&] { socket.setProtocol(PortlaneSocket::sckUDPProtocol); }),
              PortlaneSocket::sckUnsupported);
    EXPECT_EQ(number([&] { socket.setRemotePort(70000); }), PortlaneSocket::sckInvalidPropertyValue);
    EXPECT_EQ(number([&] { socket.setLocalPort(-1); }), PortlaneSocket::sckInvalidPropertyValue);
    EXPECT_NO_THROW(socket.Close());  // closing a closed socket is harmless
}

TEST_F(Portlane, ARefusedConnectionIsReportedWithItsNumber) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    const quint16 port = listener.serverPort();
    listener.close();  // nothing listens there any more
    PortlaneSocket socket;
    std::int32_t failure = 0;
    socket.onError([&](std::int32_t number, const std::string&) { failure = number; });
    socket.setRemoteHost("127.0.0.1");
    socket.setRemotePort(port);
    socket.Connect();
    ASSERT_TRUE(runUntil([&] { return failure != 0; }));
    EXPECT_EQ(failure, PortlaneSocket::sckConnectionRefused);
    EXPECT_EQ(socket.State(), PortlaneSocket::sckError);
}

TEST(PortlaneLocalHost, LoopbackAndOwnAddressesAreLocal) {
    EXPECT_TRUE(isLocalHost("localhost"));
    EXPECT_TRUE(isLocalHost("LOCALHOST"));
    EXPECT_TRUE(isLocalHost("127.0.0.1"));
    EXPECT_TRUE(isLocalHost("127.1.2.3"));
    EXPECT_TRUE(isLocalHost("::1"));
    EXPECT_TRUE(isLocalHost("[::1]"));
    EXPECT_FALSE(isLocalHost("mail.example.test"));
    EXPECT_FALSE(isLocalHost("192.0.2.1"));  // documentation range: never ours
    EXPECT_FALSE(isLocalHost(""));
}
