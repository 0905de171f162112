#include "mail/cSMTP.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <utility>

#include "MailHeaders.h"
#include "SmtpReplies.h"
#include "base64.h"
#include "component/ClassBuilder.h"
#include "component/LocalServer.h"
#include "net/PortlaneSocket.h"
#include "platform/attributes.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/owned.h"
#include "platform/paths.h"
#include "platform/queue.h"
#include "platform/systeminfo.h"
#include "platform/wininet.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr char kBoundary[] = "NextMimePart";
constexpr char16_t kBoundary16[] = u"NextMimePart";
constexpr char kCrLf[] = "\r\n";

const char16_t* codeName(int code) {
    switch (code) {
        case 450:
            return u"smtpMailboxUnavailable";
        case 451:
            return u"smtpLocalError";
        case 452:
            return u"smtpNoSpace";
        case 501:
            return u"smtpSyntaxError";
        case 502:
            return u"smtpNoCommand";
        case 503:
            return u"smtpBadSequence";
        case 504:
            return u"smtpNoParamater";
        case 550:
            return u"smtpMailboxUnavailable2";
        case 551:
            return u"smtpUserRejected";
        case 552:
            return u"smtpTooBig";
        case 553:
            return u"smtpInvalidMailboxName";
        case 554:
            return u"smtpFailed";
        default:
            return u"";
    }
}

// A value that goes into a header line or a command: line breaks would start a line of their own.
std::string oneLine(const std::u16string& text) {
    std::string bytes = toUtf8(text);
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return bytes;
}

std::u16string trimBlanks(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// Lines of the data that begin with "." get a second one, so that a line holding only "." does not end
// the message early and the server's unstuffing gives back what was sent.
std::string dotStuffed(const std::string& data) {
    std::string out;
    out.reserve(data.size() + 16);
    std::size_t start = 0;
    while (start < data.size()) {
        if (data[start] == '.') out += '.';
        const std::size_t end = data.find(kCrLf, start);
        const std::size_t next = end == std::string::npos ? data.size() : end + 2;
        out.append(data, start, next - start);
        start = next;
    }
    return out;
}

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 address keeps its colons.
std::pair<std::string, int> splitServer(const std::string& server) {
    std::string host = server;
    std::string port;
    if (!server.empty() && server.front() == '[') {
        const auto close = server.find(']');
        if (close != std::string::npos) {
            host = server.substr(1, close - 1);
            if (close + 1 < server.size() && server[close + 1] == ':') port = server.substr(close + 2);
        }
    } else if (std::count(server.begin(), server.end(), ':') == 1) {
        const auto colon = server.find(':');
        host = server.substr(0, colon);
        port = server.substr(colon + 1);
    }
    int number = 25;
    if (!port.empty() && port.size() <= 5 &&
        std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        number = std::stoi(port);
    return {host, number};
}

int codeNumber(const std::string& code) {
    int value = 0;
    for (char c : code) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string sessionFilePath() {
    char module[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    const auto slash = path.find_last_of("\\/");
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "session.txt";
    return toNativePath(path);
}

std::string machineName() {
    char name[MAX_PATH] = {};
    DWORD size = sizeof name;
    const std::string machine = GetComputerNameA(name, &size) && size > 0 ? std::string(name, size) : "";
    return mail::isGreetingDomain(machine) ? machine : std::string("localhost");
}

// What follows HELO or EHLO: the domain given when it is one (text from a sender's address could carry
// anything), else the machine's name.
std::string greetingDomain(const std::string& domain) {
    return mail::isGreetingDomain(domain) ? domain : machineName();
}

// A content identifier goes between angle brackets: it cannot hold them.
std::string contentId(const std::u16string& id) {
    std::string text = oneLine(id);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '<' || c == '>'; }, '_');
    return text;
}

std::u16string padLeft(const std::u16string& digits, std::size_t width) {
    return digits.size() >= width ? digits : std::u16string(width - digits.size(), u'0') + digits;
}

}  // namespace

const ClassInfo& cSMTP::describe() {
    using C = cSMTP;
    static const ClassInfo info =
        ClassBuilder<C>(u"cSMTP")
            .property(u"UserName", &C::UserName, &C::setUserName)
            .property(u"Password", &C::Password, &C::setPassword)
            .property(u"RequiresAuthentication", &C::RequiresAuthentication, &C::setRequiresAuthentication)
            .property(u"ResponseTimeout", &C::ResponseTimeout, &C::setResponseTimeout)
            .property(u"RemoteServer", &C::RemoteServer, &C::setRemoteServer)
            .property(u"FromName", &C::FromName, &C::setFromName)
            .property(u"FromEmail", &C::FromEmail, &C::setFromEmail)
            .propertyLet(u"OmitHeader", &C::setOmitHeader)
            .propertyLet(u"SaveSession", &C::setSaveSession)
            .propertyGet(u"RecipientCount", &C::RecipientCount)
            .method(u"AddAttachment", &C::AddAttachment, {u"vsFilename", opt(u"vsContentID")})
            .method(u"Connect", &C::Connect, {u"mvarRemoteServer", u"strDomain"})
            .method(u"Disconnect", &C::Disconnect)
            .method(u"SendEmail", &C::SendEmail, {u"vsEmailSubject", u"vsEmailBodyOfMessage"})
            .method(u"AddRecipient", &C::AddRecipient, {u"strEmailAddy", u"strDisplayName", u"RecpType"})
            .method(u"GetMIMEHeader", &C::GetMIMEHeader, {u"vsBoundaryID"})
            .method(u"EncodeFile", &C::EncodeFile, {u"vsFullPathname", u"vsCID", u"vsBoundaryID"})
            .method(u"Base64Encode", &C::Base64Encode, {u"NormalString", opt(u"Break", std::int16_t{0})})
            .method(u"EncodeBase64", &C::EncodeBase64, {u"vsFullPathname"})
            .method(u"Bin3x8To4x6", &C::Bin3x8To4x6,
                    {u"Bin8a", u"Bin8b", u"Bin8c", u"Bin6a", u"Bin6b", u"Bin6c", u"Bin6d"})
            .method(u"Bin4x6To3x8", &C::Bin4x6To3x8,
                    {u"Bin6a", u"Bin6b", u"Bin6c", u"Bin6d", u"Bin8a", u"Bin8b", u"Bin8c"})
            .method(u"BinaryToBase10", &C::BinaryToBase10, {u"Binary"})
            .method(u"Base10ToBinary", &C::Base10ToBinary, {u"Base10"})
            .event(u"StatusUpdate", {arg(u"vsText", VarType::String)})
            .event(u"SMTPError", {arg(u"Routine", VarType::String), arg(u"Description", VarType::String),
                                  arg(u"Number", VarType::Long)})
            .build();
    return info;
}

cSMTP::cSMTP()
    : m_replies(std::make_unique<mail::SmtpReplies>()), m_socket(std::make_unique<PortlaneSocket>()) {
    m_socket->setProtocol(PortlaneSocket::sckTCPProtocol);
    m_socket->onDataArrival([this](std::int32_t) { onDataArrival(); });
    m_socket->onError([this](std::int32_t number, const std::string& description) {
        m_socketFailure = {number, description};
    });
    m_socket->onClose([this] {
        m_socketFailure = {PortlaneSocket::sckConnectionReset, "The server closed the connection"};
    });
}

cSMTP::~cSMTP() {
    closeSessionFile();
}

// --- events

void cSMTP::statusUpdate(const std::u16string& text) {
    Variant value(text);
    m_events.fire(u"StatusUpdate", value);
}

void cSMTP::smtpError(const std::u16string& routine, const std::u16string& description, std::int32_t number) {
    Variant r(routine);
    Variant d(description);
    Variant n(number);
    m_events.fire(u"SMTPError", r, d, n);
}

void cSMTP::onDataArrival() {
    // Runs from the event loop inside a wait: a failing handler's error is carried back to the wait.
    try {
        const std::string chunk = m_socket->GetData();
        m_replies->feed(chunk);
        statusUpdate(u"DATA: " + fromUtf8(chunk));
    } catch (...) {
        if (!m_pendingError) m_pendingError = std::current_exception();
    }
}

// --- the dialogue

bool cSMTP::sendData(const std::string& text, bool secret) {
    try {
        m_socket->SendData(text);
    } catch (const RuntimeError& error) {
        smtpError(u"SendData", error.description(), error.number());
        return false;
    }
    statusUpdate(u"DATASENT: " + fromUtf8(text));
    if (m_session.is_open()) {
        m_session << (secret ? std::string("(password withheld)\r\n") : text) << kCrLf;
        m_session.flush();
    }
    return true;
}

bool cSMTP::waitFor(const char* code) {
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::seconds(m_responseTimeout);
    for (;;) {
        if (!m_replies->empty()) {
            mail::SmtpReplies::Reply reply = m_replies->take();
            m_lastReplyLines = reply.lines;
            if (reply.code == code) return true;
            const int number = codeNumber(reply.code);
            smtpError(u"WaitFor",
                      u"Server Error" + std::u16string(codeName(number)) + u"; " + fromUtf8(reply.text),
                      number);
            return false;
        }
        if (m_socketFailure.number != 0) {
            const SocketFailure failure = m_socketFailure;
            smtpError(u"WaitFor", fromUtf8(failure.description), failure.number);
            return false;
        }
        processWaitingMessages();
        if (m_pendingError) std::rethrow_exception(std::exchange(m_pendingError, nullptr));
        if (serverClientGone()) return false;
        if (!m_replies->empty() || m_socketFailure.number != 0) continue;
        if (std::chrono::steady_clock::now() - start > limit) {
            statusUpdate(u"SMTP service error, timed out while waiting for response");
            m_replies->clear();
            return false;
        }
        Sleep(1);
    }
}

bool cSMTP::waitForEncryption() {
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::seconds(m_responseTimeout);
    while (!m_socket->Encrypted()) {
        if (m_socketFailure.number != 0) {
            smtpError(u"Connect", fromUtf8(m_socketFailure.description), m_socketFailure.number);
            return false;
        }
        processWaitingMessages();
        if (m_pendingError) std::rethrow_exception(std::exchange(m_pendingError, nullptr));
        if (serverClientGone()) return false;
        if (std::chrono::steady_clock::now() - start > limit) {
            statusUpdate(u"SMTP service error, timed out while waiting for response");
            return false;
        }
        Sleep(1);
    }
    return true;
}

bool cSMTP::upgradeToTls(const std::string& host) {
    if (!sendData(std::string("STARTTLS") + kCrLf) || !waitFor("220")) return false;
    statusUpdate(u"Starting TLS...");
    try {
        m_socket->StartTLS(host);
    } catch (const RuntimeError& error) {
        smtpError(u"Connect", error.description(), error.number());
        return false;
    }
    return waitForEncryption();
}

bool cSMTP::Connect(const std::u16string& mvarRemoteServer, const std::u16string& strDomain) {
    const auto [host, port] = splitServer(oneLine(mvarRemoteServer));
    DWORD flags = 0;
    // A server on this machine is reachable whatever the network monitor says.
    // A failing query (no offline flag) counts as online.
    const bool online = InternetGetConnectedState(&flags, 0) || !(flags & INTERNET_CONNECTION_OFFLINE);
    if (!online && !isLocalHost(host)) {
        smtpError(u"Connect", u"You are not connected to the internet", 2);
        return false;
    }
    m_host = host;
    m_socketFailure = {};
    m_replies->clear();
    m_socket->setLocalPort(0);
    m_socket->setRemoteHost(host);
    m_socket->setRemotePort(port);
    m_socket->Connect();
    if (!waitFor("220")) return false;
    statusUpdate(u"Connecting...");
    const std::string domain = greetingDomain(oneLine(trimBlanks(strDomain)));
    if (m_requiresAuthentication) {
        if (!sendData("EHLO " + domain + kCrLf) || !waitFor("250")) return false;
        const bool offersTls =
            std::any_of(m_lastReplyLines.begin(), m_lastReplyLines.end(), [](const std::string& line) {
                std::string word = line.size() > 4 ? line.substr(4) : std::string();
                for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                return word.rfind("STARTTLS", 0) == 0;
            });
        // Credentials never travel in clear to a server that offers encryption.
        if (offersTls) {
            if (!upgradeToTls(host)) return false;
            if (!sendData("EHLO " + domain + kCrLf) || !waitFor("250")) return false;
        }
        if (!sendData(std::string("AUTH LOGIN") + kCrLf) || !waitFor("334")) {
            smtpError(u"Connect", u"Not Authenticating", 123454);
            return false;
        }
        if (!sendData(mail::base64(toUtf8(m_userName)) + kCrLf) || !waitFor("334")) {
            smtpError(u"Connect", u"User Name Not Authenticated", 123);
            return false;
        }
        if (!sendData(mail::base64(toUtf8(m_password)) + kCrLf, true) || !waitFor("235")) {
            smtpError(u"Connect", u" Not Authenticated", 12345);
            return false;
        }
    } else {
        if (!sendData("HELO " + domain + kCrLf) || !waitFor("250")) return false;
        statusUpdate(u"Connected");
    }
    sendData("mail from: <" + oneLine(m_fromEmail) + ">" + kCrLf);
    return true;
}

bool cSMTP::Disconnect() {
    try {
        sendData(std::string("quit") + kCrLf);
        statusUpdate(u"Disconnecting...");
        waitFor("221");
        m_socket->Close();
        return true;
    } catch (const RuntimeError&) {
        smtpError(u"Disconnect", u"Can Not Disconnect from the server", 3);
        return false;
    }
}

void cSMTP::abandonSession() {
    // A send that stopped early leaves nothing open: the server hears "quit", the socket closes.
    if (m_socket->State() != PortlaneSocket::sckClosed) {
        try {
            if (m_socket->State() == PortlaneSocket::sckConnected) sendData(std::string("quit") + kCrLf);
        } catch (...) {
        }
        m_socket->Close();
    }
    closeSessionFile();
}

void cSMTP::closeSessionFile() {
    if (m_session.is_open()) m_session.close();
}

bool cSMTP::SendEmail(const std::u16string& vsEmailSubject, const std::u16string& vsEmailBodyOfMessage) {
    if (m_remoteServer.empty() || m_recipients.empty()) {
        smtpError(u"SendEmail", u"Missing parameter in call to SendEmail", 1);
        return false;
    }
    struct Abandon {
        cSMTP& self;
        ~Abandon() { self.abandonSession(); }
    } abandon{*this};
    if (m_saveSession) m_session.open(sessionFilePath(), std::ios::binary | std::ios::trunc);

    std::string parts;
    for (const auto& [cid, path] : m_attachments) {
        try {
            parts += attachmentPart(path, cid, kBoundary16);
        } catch (const RuntimeError& error) {
            // A message without the attachment the user asked for is not sent.
            smtpError(u"EncodeFile", error.description(), error.number());
            return false;
        }
    }
    const std::string message = messageText(vsEmailSubject, vsEmailBodyOfMessage, parts);

    // Connect greets with the machine's name when this is no domain (no address, an empty one).
    const std::u16string& from = m_fromEmail;
    const auto at = from.find(u'@');
    const std::u16string domain = at == std::u16string::npos ? std::u16string() : from.substr(at + 1);
    if (!Connect(m_remoteServer, domain)) {
        smtpError(u"Send", u"Can not connect to server", 2);
        return false;
    }
    statusUpdate(u"Sending message...");
    if (waitFor("250")) {
        for (const MailRecip& recipient : m_recipients) {
            const std::u16string address = trimBlanks(recipient.Address);
            if (address.empty()) continue;
            if (!sendData("RCPT TO: <" + oneLine(address) + ">" + kCrLf) || !waitFor("250")) return false;
        }
        statusUpdate(u"Sent Recipient Data");
    }
    sendData(std::string("data") + kCrLf);
    if (waitFor("354")) sendData(dotStuffed(mail::withCrLf(message)));
    sendData(std::string(kCrLf) + "." + kCrLf);
    const bool delivered = waitFor("250");
    if (!delivered) return false;
    statusUpdate(u"Mail sent");
    Disconnect();
    m_attachments.clear();
    closeSessionFile();
    return true;
}

// --- the message

std::string cSMTP::messageText(const std::u16string& subject, const std::u16string& body,
                               const std::string& parts) const {
    if (m_omitHeader) return toUtf8(body) + kCrLf;
    return headerBlock(subject) + kCrLf + toUtf8(body) + kCrLf + parts + kCrLf + "--" + kBoundary + "--";
}

std::string cSMTP::headerBlock(const std::u16string& subject) const {
    const MailRecip first = m_recipients.empty() ? MailRecip{} : m_recipients.front();
    std::string block;
    block += "From: " + mail::displayName(toUtf8(m_fromName)) + " <" + oneLine(m_fromEmail) + ">" + kCrLf;
    block += "Date: " + mail::dateHeader(std::time(nullptr)) + kCrLf;
    block += std::string("X-Mailer: Qorvex v2e Mail") + kCrLf;
    block += "To: " + mail::displayName(toUtf8(first.Name)) + " <" + oneLine(first.Address) + ">" + kCrLf;
    block += "Subject: " + oneLine(subject) + kCrLf;
    block += toUtf8(GetMIMEHeader(kBoundary16));
    return block;
}

std::u16string cSMTP::GetMIMEHeader(const std::u16string& vsBoundaryID) const {
    const std::string boundary = oneLine(vsBoundaryID);
    std::string block;
    block += std::string("MIME-Version: 1.0") + kCrLf;
    block += "Content-Type: multipart/related; boundary=\"" + boundary + "\"; type=\"text/html\"" + kCrLf;
    block += kCrLf;
    block += std::string("Text displayed only to non-MIME-compliant mailers") + kCrLf;
    block += "--" + boundary + kCrLf;
    block += std::string("Content-Type: text/html; charset=us-ascii") + kCrLf;
    block += std::string("Content-Transfer-Encoding: 7bit") + kCrLf;
    return fromUtf8(block);
}

std::string cSMTP::fileBytes(const std::u16string& path) {
    const std::string name = toUtf8(path);
    const OwnedHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        raise(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? err::FileNotFound
                                                                             : err::PermissionDenied,
              u"cSMTP");
    }
    std::string bytes;
    char buffer[1 << 16];
    for (DWORD got = 0; ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0;)
        bytes.append(buffer, got);
    return bytes;
}

std::string cSMTP::attachmentPart(const std::u16string& path, const std::u16string& cid,
                                  const std::u16string& boundary) {
    // Only the name travels: the folders it came from are nobody's business.
    const std::u16string name = mail::fileTitle(path);
    const std::string title = mail::quotedText(toUtf8(name));
    const std::string content = mail::base64Lines(fileBytes(path));
    std::string part;
    part.reserve(content.size() + 256);
    part += kCrLf;
    part += "--" + oneLine(boundary) + kCrLf;
    part += "Content-Type: application/octet-stream; name=\"" + title + "\"" + kCrLf;
    part += "Content-ID: <" + contentId(cid == path ? name : cid) + ">" + kCrLf;
    part += std::string("Content-Transfer-Encoding: base64") + kCrLf;
    part += "Content-Disposition: attachment; filename=\"" + title + "\"" + kCrLf;
    part += kCrLf;
    part += content;
    return part;
}

std::u16string cSMTP::EncodeFile(const std::u16string& vsFullPathname, const std::u16string& vsCID,
                                 const std::u16string& vsBoundaryID) {
    return fromUtf8(attachmentPart(vsFullPathname, vsCID, vsBoundaryID));
}

std::u16string cSMTP::EncodeBase64(const std::u16string& vsFullPathname) {
    return fromUtf8(mail::base64Lines(fileBytes(vsFullPathname)));
}

std::u16string cSMTP::Base64Encode(const std::u16string& NormalString, std::int16_t Break) {
    return fromUtf8(mail::base64(toUtf8(NormalString), Break));
}

// --- lists

bool cSMTP::AddAttachment(const std::u16string& vsFilename, const Variant& vsContentID) {
    const DWORD attributes = GetFileAttributesA(toUtf8(vsFilename).c_str());
    if (vsFilename.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const std::u16string given =
        vsContentID.isMissing() || vsContentID.isEmpty() ? std::u16string() : vsContentID.toString();
    const std::u16string key = given.empty() ? vsFilename : given;
    const bool taken = std::any_of(m_attachments.begin(), m_attachments.end(),
                                   [&](const auto& entry) { return entry.first == key; });
    if (taken) {
        smtpError(u"AddAttachment", standardErrorText(err::KeyAlreadyAssociated), err::KeyAlreadyAssociated);
        return false;
    }
    m_attachments.emplace_back(key, vsFilename);
    return true;
}

std::int16_t cSMTP::AddRecipient(std::u16string& strEmailAddy, std::u16string& strDisplayName,
                                 std::int16_t& RecpType) {
    try {
        const std::int16_t count = nextMailCount(m_recipients.size());
        m_recipients.push_back({strEmailAddy, strDisplayName, RecpType});
        return count;
    } catch (const RuntimeError&) {
        return -1;
    }
}

// --- the binary-digit helpers

std::u16string cSMTP::Base10ToBinary(std::int32_t Base10) {
    std::uint32_t value = static_cast<std::uint32_t>(Base10);
    if (value == 0) return u"0";
    std::u16string digits;
    for (; value; value >>= 1) digits.insert(digits.begin(), value & 1 ? u'1' : u'0');
    return digits;
}

std::int32_t cSMTP::BinaryToBase10(const std::u16string& Binary) {
    std::uint64_t value = 0;
    for (char16_t c : Binary) {
        value = value << 1 | (c == u'1' ? 1 : 0);
        if (value > 0xFFFFFFFFu) raise(err::Overflow);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void cSMTP::Bin3x8To4x6(const std::u16string& Bin8a, const std::u16string& Bin8b, const std::u16string& Bin8c,
                        std::u16string& Bin6a, std::u16string& Bin6b, std::u16string& Bin6c,
                        std::u16string& Bin6d) {
    const std::u16string all = padLeft(Bin8a, 8) + padLeft(Bin8b, 8) + padLeft(Bin8c, 8);
    Bin6a = all.substr(0, 6);
    Bin6b = all.substr(6, 6);
    Bin6c = all.substr(12, 6);
    Bin6d = all.substr(18, 6);
}

void cSMTP::Bin4x6To3x8(const std::u16string& Bin6a, const std::u16string& Bin6b, const std::u16string& Bin6c,
                        const std::u16string& Bin6d, std::u16string& Bin8a, std::u16string& Bin8b,
                        std::u16string& Bin8c) {
    const std::u16string all = padLeft(Bin6a, 6) + padLeft(Bin6b, 6) + padLeft(Bin6c, 6) + padLeft(Bin6d, 6);
    Bin8a = all.substr(0, 8);
    Bin8b = all.substr(8, 8);
    Bin8c = all.substr(16, 8);
}

}  // namespace velmora
