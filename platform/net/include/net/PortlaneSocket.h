// Portlane socket control: a TCP client socket served by the process's event loop (Qt Network), with the
// constants, states and error numbers of the outside control the suite was written against. Connect and
// the arrival of data complete asynchronously: a caller lets the event loop run (processWaitingMessages)
// and learns of progress through State(), the data-arrival notification (with the number of bytes
// waiting) and the error notification. StartTLS upgrades a connected socket in place and verifies the
// peer's certificate against the system's authorities and, when set, those in $SSL_CERT_FILE.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class PortlaneSocket {
  public:
    // ProtocolConstants
    static constexpr std::int16_t sckTCPProtocol = 0;
    static constexpr std::int16_t sckUDPProtocol = 1;

    // StateConstants
    static constexpr std::int16_t sckClosed = 0;
    static constexpr std::int16_t sckOpen = 1;
    static constexpr std::int16_t sckListening = 2;
    static constexpr std::int16_t sckConnectionPending = 3;
    static constexpr std::int16_t sckResolvingHost = 4;
    static constexpr std::int16_t sckHostResolved = 5;
    static constexpr std::int16_t sckConnecting = 6;
    static constexpr std::int16_t sckConnected = 7;
    static constexpr std::int16_t sckClosing = 8;
    static constexpr std::int16_t sckError = 9;

    // ErrorConstants (the ones this socket reports)
    static constexpr std::int32_t sckInvalidPropertyValue = 380;
    static constexpr std::int32_t sckBadState = 40006;
    static constexpr std::int32_t sckUnsupported = 40018;
    static constexpr std::int32_t sckNetworkUnreachable = 10051;
    static constexpr std::int32_t sckConnectAborted = 10053;
    static constexpr std::int32_t sckConnectionReset = 10054;
    static constexpr std::int32_t sckTimedout = 10060;
    static constexpr std::int32_t sckConnectionRefused = 10061;
    static constexpr std::int32_t sckHostNotFound = 11001;

    // Number and description of a failure, as the control's Error event carries them.
    using ErrorHandler = std::function<void(std::int32_t number, const std::string& description)>;
    using DataArrivalHandler = std::function<void(std::int32_t bytesTotal)>;
    using CloseHandler = std::function<void()>;

    PortlaneSocket();
    ~PortlaneSocket();
    PortlaneSocket(const PortlaneSocket&) = delete;
    PortlaneSocket& operator=(const PortlaneSocket&) = delete;

    // Only TCP is served: sckUDPProtocol raises sckUnsupported, other values sckInvalidPropertyValue.
    std::int16_t Protocol() const noexcept { return m_protocol; }
    void setProtocol(std::int16_t protocol);
    // 0 lets the system choose; values outside 0..65535 raise sckInvalidPropertyValue.
    std::int32_t LocalPort() const noexcept { return m_localPort; }
    void setLocalPort(std::int32_t port);
    const std::string& RemoteHost() const noexcept { return m_remoteHost; }
    void setRemoteHost(std::string host) { m_remoteHost = std::move(host); }
    std::int32_t RemotePort() const noexcept { return m_remotePort; }
    void setRemotePort(std::int32_t port);
    std::int16_t State() const noexcept;

    // Starts connecting to RemoteHost:RemotePort; sckBadState unless the socket is closed.
    void Connect();
    // Queues bytes for sending; sckBadState unless connected.
    void SendData(std::string_view data);
    // Everything that has arrived and not been read yet.
    std::string GetData();
    // Ends the connection (queued bytes are still sent); a closed socket stays closed.
    void Close();

    // Starts the TLS handshake on the connected socket; the peer's certificate must be valid for
    // peerName. Encrypted() turns true when it succeeded; a failure arrives as an error (sckConnectAborted
    // with the verification's text) and closes the socket. sckBadState unless connected.
    void StartTLS(const std::string& peerName);
    bool Encrypted() const noexcept;

    void onDataArrival(DataArrivalHandler handler) { m_dataArrival = std::move(handler); }
    void onError(ErrorHandler handler) { m_error = std::move(handler); }
    // The peer closed the connection.
    void onClose(CloseHandler handler) { m_close = std::move(handler); }

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    std::int16_t m_protocol = sckTCPProtocol;
    std::int32_t m_localPort = 0;
    std::string m_remoteHost;
    std::int32_t m_remotePort = 0;
    DataArrivalHandler m_dataArrival;
    ErrorHandler m_error;
    CloseHandler m_close;
};

// Whether host names this machine: "localhost", a loopback address, or an address of one of its network
// interfaces. No name lookup is made.
bool isLocalHost(std::string_view host);

}  // namespace velmora
