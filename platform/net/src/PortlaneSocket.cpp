#include "net/PortlaneSocket.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QSslConfiguration>
#include <QSslSocket>
#include <cstdlib>

#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

[[noreturn]] void raiseSocketError(std::int32_t number, const char16_t* description) {
    raise(number, description, u"Portlane");
}

std::int32_t errorNumberOf(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return PortlaneSocket::sckConnectionRefused;
        case QAbstractSocket::RemoteHostClosedError:
            return PortlaneSocket::sckConnectionReset;
        case QAbstractSocket::HostNotFoundError:
            return PortlaneSocket::sckHostNotFound;
        case QAbstractSocket::SocketTimeoutError:
            return PortlaneSocket::sckTimedout;
        case QAbstractSocket::NetworkError:
            return PortlaneSocket::sckNetworkUnreachable;
        default:
            return PortlaneSocket::sckConnectAborted;
    }
}

}  // namespace

class PortlaneSocket::Impl {
  public:
    explicit Impl(PortlaneSocket& owner) : m_owner(owner) {
        QObject::connect(&m_socket, &QIODevice::readyRead, &m_socket, [this] {
            if (m_owner.m_dataArrival)
                m_owner.m_dataArrival(static_cast<std::int32_t>(m_socket.bytesAvailable()));
        });
        QObject::connect(
            &m_socket, &QAbstractSocket::errorOccurred, &m_socket,
            [this](QAbstractSocket::SocketError error) {
                // The peer's orderly close is reported through onClose, not as a failure.
                if (error == QAbstractSocket::RemoteHostClosedError) return;
                const bool tls = error == QAbstractSocket::SslHandshakeFailedError && !m_tlsFailure.empty();
                report(errorNumberOf(error), tls ? m_tlsFailure : m_socket.errorString().toStdString());
            });
        QObject::connect(&m_socket, &QAbstractSocket::disconnected, &m_socket, [this] {
            if (m_owner.m_close) m_owner.m_close();
        });
        QObject::connect(&m_socket, &QSslSocket::sslErrors, &m_socket,
                         [this](const QList<QSslError>& errors) {
                             QString text;
                             for (const QSslError& e : errors)
                                 text += (text.isEmpty() ? "" : "; ") + e.errorString();
                             m_tlsFailure = text.toStdString();
                         });
        QObject::connect(
            &m_socket, &QSslSocket::handshakeInterruptedOnError, &m_socket,
            [this](const QSslError& error) { m_tlsFailure = error.errorString().toStdString(); });
    }

    void report(std::int32_t number, const std::string& description) {
        if (m_owner.m_error) m_owner.m_error(number, description);
    }

    PortlaneSocket& m_owner;
    QSslSocket m_socket;
    std::string m_tlsFailure;
};

PortlaneSocket::PortlaneSocket() : m_impl(std::make_unique<Impl>(*this)) {}

PortlaneSocket::~PortlaneSocket() {
    // No notification may reach an owner that is going away.
    m_dataArrival = nullptr;
    m_error = nullptr;
    m_close = nullptr;
    m_impl->m_socket.abort();
}

void PortlaneSocket::setProtocol(std::int16_t protocol) {
    if (protocol == sckUDPProtocol) raiseSocketError(sckUnsupported, u"Unsupported variant type");
    if (protocol != sckTCPProtocol) raiseSocketError(sckInvalidPropertyValue, u"Invalid property value");
    m_protocol = protocol;
}

void PortlaneSocket::setLocalPort(std::int32_t port) {
    if (port < 0 || port > 65535) raiseSocketError(sckInvalidPropertyValue, u"Invalid property value");
    m_localPort = port;
}

void PortlaneSocket::setRemotePort(std::int32_t port) {
    if (port < 0 || port > 65535) raiseSocketError(sckInvalidPropertyValue, u"Invalid property value");
    m_remotePort = port;
}

std::int16_t PortlaneSocket::State() const noexcept {
    switch (m_impl->m_socket.state()) {
        case QAbstractSocket::UnconnectedState:
            return m_impl->m_socket.error() == QAbstractSocket::UnknownSocketError ||
                           m_impl->m_socket.error() == QAbstractSocket::RemoteHostClosedError
                       ? sckClosed
                       : sckError;
        case QAbstractSocket::HostLookupState:
            return sckResolvingHost;
        case QAbstractSocket::ConnectingState:
            return sckConnecting;
        case QAbstractSocket::ConnectedState:
            return sckConnected;
        case QAbstractSocket::ClosingState:
            return sckClosing;
        default:
            return sckOpen;
    }
}

void PortlaneSocket::Connect() {
    QSslSocket& socket = m_impl->m_socket;
    if (socket.state() != QAbstractSocket::UnconnectedState)
        raiseSocketError(sckBadState,
                         u"Wrong protocol or connection state for the requested transaction or request");
    m_impl->m_tlsFailure.clear();
    if (m_localPort != 0) socket.bind(QHostAddress::Any, static_cast<quint16>(m_localPort));
    socket.connectToHost(QString::fromStdString(m_remoteHost), static_cast<quint16>(m_remotePort));
}

void PortlaneSocket::SendData(std::string_view data) {
    QSslSocket& socket = m_impl->m_socket;
    if (socket.state() != QAbstractSocket::ConnectedState)
        raiseSocketError(sckBadState,
                         u"Wrong protocol or connection state for the requested transaction or request");
    if (socket.write(data.data(), static_cast<qint64>(data.size())) != static_cast<qint64>(data.size()))
        raise(sckConnectAborted, fromUtf8(socket.errorString().toStdString()), u"Portlane");
}

std::string PortlaneSocket::GetData() {
    const QByteArray bytes = m_impl->m_socket.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void PortlaneSocket::Close() {
    QSslSocket& socket = m_impl->m_socket;
    if (socket.state() == QAbstractSocket::UnconnectedState) return;
    // Quiet close: the owner asked for it, so no close notification is due.
    const CloseHandler keep = std::move(m_close);
    m_close = nullptr;
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState) socket.waitForDisconnected(1000);
    socket.abort();
    m_close = keep;
}

void PortlaneSocket::StartTLS(const std::string& peerName) {
    QSslSocket& socket = m_impl->m_socket;
    if (socket.state() != QAbstractSocket::ConnectedState || socket.isEncrypted())
        raiseSocketError(sckBadState,
                         u"Wrong protocol or connection state for the requested transaction or request");
    QSslConfiguration config = socket.sslConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    // The standard OpenSSL variable names an extra trust store (test authorities, a company's own).
    if (const char* extra = std::getenv("SSL_CERT_FILE"); extra && *extra) {
        QList<QSslCertificate> authorities = config.caCertificates();
        authorities += QSslCertificate::fromPath(QString::fromLocal8Bit(extra), QSsl::Pem);
        config.setCaCertificates(authorities);
    }
    socket.setSslConfiguration(config);
    socket.setPeerVerifyName(QString::fromStdString(peerName));
    socket.startClientEncryption();
}

bool PortlaneSocket::Encrypted() const noexcept {
    return m_impl->m_socket.isEncrypted();
}

bool isLocalHost(std::string_view host) {
    std::string name(host);
    if (name.size() > 1 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    const QString text = QString::fromStdString(name).toLower();
    if (text == "localhost" || text.endsWith(".localhost")) return true;
    const QHostAddress address(text);
    if (address.isNull()) return false;
    if (address.isLoopback()) return true;
    for (const QHostAddress& own : QNetworkInterface::allAddresses())
        if (own.isEqual(address, QHostAddress::TolerantConversion)) return true;
    return false;
}

}  // namespace velmora
