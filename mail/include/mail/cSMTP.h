// cSMTP: delivers one message over SMTP through a Portlane socket: greeting (HELO, or EHLO with LOGIN
// authentication, upgraded with STARTTLS when the server offers it), sender, recipients, the MIME message
// with base64 attachments, quit. Progress goes out as StatusUpdate, failures as SMTPError.
//
// Where the dialogue could lose or misreport a message, this client is stricter than a plain reading of
// the protocol steps: replies are assembled whole (multi-line, several chunks) and queued, so a stale
// chunk never answers the next command; lines of the data that begin with "." are dot-stuffed; CR and LF
// in values that become header lines or commands turn into blanks; SendEmail is true only once the server
// accepted the data; a send that stops early still says "quit", closes the socket and the transcript;
// the transcript does not show the password.
#pragma once

#include <cstdint>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "component/ComObject.h"
#include "component/EventSource.h"
#include "mail/MailRecords.h"

namespace velmora {

class PortlaneSocket;
namespace mail {
class SmtpReplies;
}

class cSMTP : public Dispatchable<cSMTP> {
  public:
    static const ClassInfo& describe();

    cSMTP();
    ~cSMTP() override;

    EventSource* events() noexcept override { return &m_events; }

    std::u16string UserName() const { return m_userName; }
    void setUserName(const std::u16string& value) { m_userName = value; }
    std::u16string Password() const { return m_password; }
    void setPassword(const std::u16string& value) { m_password = value; }
    bool RequiresAuthentication() const noexcept { return m_requiresAuthentication; }
    void setRequiresAuthentication(bool value) noexcept { m_requiresAuthentication = value; }
    std::int16_t ResponseTimeout() const noexcept { return m_responseTimeout; }
    void setResponseTimeout(std::int16_t seconds) noexcept { m_responseTimeout = seconds; }
    // A host name or address, optionally with ":port" ("[v6]:port" for IPv6); port 25 without one.
    std::u16string RemoteServer() const { return m_remoteServer; }
    void setRemoteServer(const std::u16string& value) { m_remoteServer = value; }
    std::u16string FromName() const { return m_fromName; }
    void setFromName(const std::u16string& value) { m_fromName = value; }
    std::u16string FromEmail() const { return m_fromEmail; }
    void setFromEmail(const std::u16string& value) { m_fromEmail = value; }
    void setOmitHeader(bool value) noexcept { m_omitHeader = value; }
    void setSaveSession(bool value) noexcept { m_saveSession = value; }
    std::int16_t RecipientCount() const noexcept { return static_cast<std::int16_t>(m_recipients.size()); }

    bool AddAttachment(const std::u16string& vsFilename, const Variant& vsContentID);
    bool Connect(const std::u16string& mvarRemoteServer, const std::u16string& strDomain);
    bool Disconnect();
    bool SendEmail(const std::u16string& vsEmailSubject, const std::u16string& vsEmailBodyOfMessage);
    std::int16_t AddRecipient(std::u16string& strEmailAddy, std::u16string& strDisplayName,
                              std::int16_t& RecpType);
    std::u16string GetMIMEHeader(const std::u16string& vsBoundaryID) const;
    std::u16string EncodeFile(const std::u16string& vsFullPathname, const std::u16string& vsCID,
                              const std::u16string& vsBoundaryID);
    std::u16string Base64Encode(const std::u16string& NormalString, std::int16_t Break);
    std::u16string EncodeBase64(const std::u16string& vsFullPathname);
    void Bin3x8To4x6(const std::u16string& Bin8a, const std::u16string& Bin8b, const std::u16string& Bin8c,
                     std::u16string& Bin6a, std::u16string& Bin6b, std::u16string& Bin6c,
                     std::u16string& Bin6d);
    void Bin4x6To3x8(const std::u16string& Bin6a, const std::u16string& Bin6b, const std::u16string& Bin6c,
                     const std::u16string& Bin6d, std::u16string& Bin8a, std::u16string& Bin8b,
                     std::u16string& Bin8c);
    std::int32_t BinaryToBase10(const std::u16string& Binary);
    std::u16string Base10ToBinary(std::int32_t Base10);

    // The message as the data phase sends it (before dot-stuffing), for the figures and the tests.
    std::string messageText(const std::u16string& subject, const std::u16string& body,
                            const std::string& parts) const;

  private:
    struct SocketFailure {
        std::int32_t number = 0;
        std::string description;
    };

    void statusUpdate(const std::u16string& text);
    void smtpError(const std::u16string& routine, const std::u16string& description, std::int32_t number);
    bool sendData(const std::string& text, bool secret = false);
    bool waitFor(const char* code);
    bool waitForEncryption();
    bool upgradeToTls(const std::string& host);
    void onDataArrival();
    std::string headerBlock(const std::u16string& subject) const;
    std::string attachmentPart(const std::u16string& path, const std::u16string& cid,
                               const std::u16string& boundary);
    std::string fileBytes(const std::u16string& path);
    void abandonSession();
    void closeSessionFile();

    std::u16string m_userName;
    std::u16string m_password;
    bool m_requiresAuthentication = false;
    std::int16_t m_responseTimeout = 25;
    std::u16string m_remoteServer;
    std::u16string m_fromName;
    std::u16string m_fromEmail;
    bool m_omitHeader = false;
    bool m_saveSession = false;
    std::vector<MailRecip> m_recipients;
    std::vector<std::pair<std::u16string, std::u16string>> m_attachments;  // content id -> path, in order
    std::unique_ptr<mail::SmtpReplies> m_replies;
    std::vector<std::string> m_lastReplyLines;
    std::unique_ptr<PortlaneSocket> m_socket;
    std::string m_host;
    SocketFailure m_socketFailure;
    std::exception_ptr m_pendingError;
    std::ofstream m_session;
    EventSource m_events{*this};
};

}  // namespace velmora
