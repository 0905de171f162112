#include "mail/cMAPI.h"

#include "component/ClassBuilder.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "mail/Postwire.h"
#include "platform/shell.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr char16_t kSource[] = u"cMAPI";
constexpr std::int32_t kMapiUserAbort = 32001;
constexpr std::int32_t kMapiAlreadySignedOn = 32050;
constexpr std::int32_t kMapiInvalidSession = 32053;

}  // namespace

const ClassInfo& cMAPI::describe() {
    using C = cMAPI;
    static const ClassInfo info =
        ClassBuilder<C>(u"cMAPI")
            .property(u"UserName", &C::UserName, &C::setUserName)
            .property(u"Password", &C::Password, &C::setPassword)
            .method(u"Logon", &C::Logon)
            .method(u"Logoff", &C::Logoff)
            .method(u"AddAttachment", &C::AddAttachment, {u"DispName", u"fileName"})
            .method(u"AddRecipient", &C::AddRecipient, {u"DispName", u"Address", u"RecipType"})
            .method(u"RemoveAttachment", &C::RemoveAttachment, {u"AttachNum"})
            .method(u"RemoveRecipient", &C::RemoveRecipient, {u"RecipNum"})
            .method(u"ShowAddresses", &C::ShowAddresses)
            .method(u"ShowEmailConfig", &C::ShowEmailConfig)
            .method(u"Reply", &C::Reply)
            .method(u"SendEmail", &C::SendEmail, {u"Subject", u"Message"})
            .event(u"StatusUpdate", {arg(u"vsText", VarType::String)})
            .event(u"EmailError", {arg(u"Routine", VarType::String), arg(u"Number", VarType::Long),
                                   arg(u"Description", VarType::String), arg(u"Source", VarType::String)})
            .build();
    return info;
}

cMAPI::cMAPI()
    : m_session(CreateObject(postwire::kMapiSessionClass)),
      m_messages(CreateObject(postwire::kMapiMessagesClass)) {}

cMAPI::~cMAPI() = default;

void cMAPI::status(const std::u16string& text) {
    Variant t(text);
    m_events.fire(u"StatusUpdate", t);
}

void cMAPI::emailError(const std::u16string& routine, std::int32_t number,
                       const std::u16string& description) {
    Variant r(routine);
    Variant n(number);
    Variant d(description);
    Variant s(kSource);
    m_events.fire(u"EmailError", r, n, d, s);
}

bool cMAPI::Logon() {
    try {
        letProperty(m_session, u"UserName", m_userName);
        letProperty(m_session, u"Password", m_password);
        try {
            call(m_session, u"SignOn");
        } catch (const RuntimeError& error) {
            if (error.number() != kMapiAlreadySignedOn) throw;
        }
        letProperty(m_messages, u"SessionID", getProperty(m_session, u"SessionID"));
        status(u"MailLogon: Success");
        return true;
    } catch (const RuntimeError& error) {
        emailError(u"Logon", error.number(), error.description());
        return false;
    }
}

bool cMAPI::Logoff() {
    try {
        call(m_session, u"SignOff");
        status(u"MailLogoff: Success");
        return true;
    } catch (const RuntimeError& error) {
        emailError(u"Logoff", error.number(), error.description());
        return false;
    }
}

bool cMAPI::AddAttachment(std::u16string& DispName, std::u16string& fileName) {
    nextMailCount(m_attachments.size());
    m_attachments.push_back({DispName, fileName});
    status(u"MailAddAttach: Added " + DispName);
    return true;
}

bool cMAPI::AddRecipient(std::u16string& DispName, std::u16string& Address, std::int16_t& RecipType) {
    nextMailCount(m_recipients.size());
    m_recipients.push_back({u"smtp:" + Address, DispName, RecipType});
    status(u"MailAddRecip: Added " + DispName);
    return true;
}

void cMAPI::RemoveAttachment(std::int16_t AttachNum) {
    if (m_attachments.empty()) return status(u"MailRemoveAttach: ERROR: No Attachments");
    if (AttachNum < 1 || static_cast<std::size_t>(AttachNum) > m_attachments.size())
        return status(u"MailRemoveAttach: ERROR: No such attachment");
    m_attachments.erase(m_attachments.begin() + (AttachNum - 1));
    status(u"MailRemoveAttach: Success");
}

void cMAPI::RemoveRecipient(std::int16_t RecipNum) {
    if (m_recipients.empty()) return status(u"MailRemoveRecip: ERROR: No Recipients");
    if (RecipNum < 1 || static_cast<std::size_t>(RecipNum) > m_recipients.size())
        return status(u"MailRemoveRecip: ERROR: No such recipient");
    m_recipients.erase(m_recipients.begin() + (RecipNum - 1));
    status(u"MailRemoveRecip: Success");
}

void cMAPI::ShowAddresses() {
    try {
        call(m_messages, u"Compose");
        for (std::size_t i = 0; i < m_recipients.size(); ++i) {
            letProperty(m_messages, u"RecipIndex", static_cast<std::int32_t>(i));
            letProperty(m_messages, u"RecipDisplayName", m_recipients[i].Name);
            letProperty(m_messages, u"RecipAddress", m_recipients[i].Address);
            letProperty(m_messages, u"RecipType", m_recipients[i].Type);
        }
        call(m_messages, u"Show", false);
        std::vector<MailRecip> chosen;
        const std::int32_t count = getProperty(m_messages, u"RecipCount").toLong();
        for (std::int32_t i = 0; i < count; ++i) {
            letProperty(m_messages, u"RecipIndex", i);
            chosen.push_back({getProperty(m_messages, u"RecipAddress").toString(),
                              getProperty(m_messages, u"RecipDisplayName").toString(),
                              getProperty(m_messages, u"RecipType").toInteger()});
        }
        m_recipients = std::move(chosen);
    } catch (const RuntimeError& error) {
        if (error.number() != kMapiUserAbort)
            emailError(u"ShowAdresses", error.number(), error.description());
    }
}

void cMAPI::ShowEmailConfig() {
    status(u"MailConfig: Running Applet");
    // The control panel's mail applet: where the platform has none, the shell reports it.
    const auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteA(0, nullptr, "control", "mlcfg32.cpl", nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        emailError(u"ShowEmailConfig", static_cast<std::int32_t>(result),
                   u"The mail configuration could not be started");
}

bool cMAPI::Reply() {
    if (m_lastSender.Address.empty() && m_lastSender.Name.empty()) {
        status(u"MailReply: FAILED");
        return false;
    }
    nextMailCount(m_recipients.size());
    m_recipients.push_back({m_lastSender.Address, m_lastSender.Name, 1});
    return true;
}

void cMAPI::compose(const std::u16string& subject, const std::u16string& message) {
    call(m_messages, u"Compose");
    letProperty(m_messages, u"MsgNoteText", message);
    letProperty(m_messages, u"MsgSubject", subject);
    for (std::size_t i = 0; i < m_recipients.size(); ++i) {
        letProperty(m_messages, u"RecipIndex", static_cast<std::int32_t>(i));
        letProperty(m_messages, u"RecipDisplayName", m_recipients[i].Name);
        letProperty(m_messages, u"RecipAddress", m_recipients[i].Address);
        letProperty(m_messages, u"RecipType", m_recipients[i].Type);
    }
    if (!m_attachments.empty()) {
        // The attachments sit in the blanks in front of the text.
        letProperty(m_messages, u"MsgNoteText", std::u16string(m_attachments.size() + 2, u' ') + message);
        for (std::size_t i = 0; i < m_attachments.size(); ++i) {
            letProperty(m_messages, u"AttachmentIndex", static_cast<std::int32_t>(i));
            letProperty(m_messages, u"AttachmentPosition", static_cast<std::int32_t>(i));
            letProperty(m_messages, u"AttachmentPathName", m_attachments[i].fileName);
            letProperty(m_messages, u"AttachmentName", m_attachments[i].Name);
        }
        status(u"MailSend: Added Attachments");
    } else {
        status(u"MailSend: No Attachments");
    }
    m_lastSender = {getProperty(m_messages, u"MsgOrigAddress").toString(),
                    getProperty(m_messages, u"MsgOrigDisplayName").toString(), 1};
    call(m_messages, u"Send", false);
    status(u"MailSend: Mail Sent");
}

std::int16_t cMAPI::SendEmail(std::u16string& Subject, std::u16string& Message) {
    m_subject = Subject;
    m_message = Message;
    if (m_recipients.empty()) {
        status(u"No Recipients");
        return 0;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            compose(Subject, Message);
            return 0;
        } catch (const RuntimeError& error) {
            emailError(u"SendEmail", error.number(), error.description());
            // A session that went stale is renewed once.
            if (error.number() != kMapiInvalidSession || attempt > 0 || !Logon()) return 0;
        }
    }
    return 0;
}

}  // namespace velmora
