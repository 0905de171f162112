#include "mail/EmailObject.h"

#include "component/CallbackSink.h"
#include "component/ClassBuilder.h"
#include "mail/cDefaultEmail.h"
#include "mail/cLotusNotes.h"
#include "mail/cMAPI.h"
#include "mail/cSMTP.h"

namespace velmora {
namespace {

// Passes a sender's events on as EmailObject's own, for as long as the send runs.
class Relay {
  public:
    Relay(EmailObject& owner, const ObjectRef& sender) : m_sender(sender) {
        m_cookie = connectEvents(
            sender, makeObject<CallbackSink>([&owner](std::u16string_view name, std::span<Variant> args) {
                if ((name == u"StatusUpdate" || name == u"Status") && args.size() == 1) {
                    owner.raiseStatus(args[0]);
                } else if (name == u"SMTPError" && args.size() == 3) {
                    Variant source(u"cSMTP");
                    owner.raiseEmailError(args[0], args[2], args[1], source);
                } else if (name == u"LotusError" && args.size() == 3) {
                    Variant source(u"cLotusMail");
                    owner.raiseEmailError(args[0], args[2], args[1], source);
                } else if (name == u"EmailError" && args.size() == 4) {
                    owner.raiseEmailError(args[0], args[1], args[2], args[3]);
                }
            }));
    }
    ~Relay() { disconnectEvents(m_sender, m_cookie); }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

  private:
    ObjectRef m_sender;
    EventSource::Cookie m_cookie = 0;
};

std::u16string joined(const std::vector<std::u16string>& items) {
    std::u16string text;
    for (std::size_t i = 0; i < items.size(); ++i) text += (i ? u"," : u"") + items[i];
    return text;
}

}  // namespace

const ClassInfo& EmailObject::describe() {
    using E = EmailObject;
    static const ClassInfo info =
        ClassBuilder<E>(u"EmailObject")
            .propertyGet(u"AttachmentCount", &E::AttachmentCount)
            .propertyGet(u"RecipientCount", &E::RecipientCount)
            .property(u"DefaultEmail", &E::DefaultEmail, &E::setDefaultEmail)
            .property(u"DisplayName", &E::DisplayName, &E::setDisplayName)
            .property(u"smtpServer", &E::smtpServer, &E::setSmtpServer)
            .property(u"DeliveryType", &E::DeliveryType, &E::setDeliveryType)
            .property(u"Password", &E::Password, &E::setPassword)
            .property(u"UserName", &E::UserName, &E::setUserName)
            .property(u"MapiAccount", &E::MapiAccount, &E::setMapiAccount)
            .method(u"SendEmail", &E::SendEmail, {u"strSubject", u"strBody"})
            .method(u"AddAttachment", &E::AddAttachment, {u"strFileName"})
            .method(u"AddRecipient", &E::AddRecipient, {u"strEmailAddy", u"strDisplayName", u"RecpType"})
            .event(u"Status", {arg(u"vsText", VarType::String)})
            .event(u"EmailError", {arg(u"Routine", VarType::String), arg(u"Number", VarType::Long),
                                   arg(u"Description", VarType::String), arg(u"Source", VarType::String)})
            .build();
    return info;
}

void EmailObject::raiseStatus(Variant& text) {
    m_events.fire(u"Status", text);
}

void EmailObject::raiseEmailError(Variant& routine, Variant& number, Variant& description, Variant& source) {
    m_events.fire(u"EmailError", routine, number, description, source);
}

void EmailObject::AddAttachment(const std::u16string& strFileName) {
    nextMailCount(m_attachments.size());
    m_attachments.push_back(strFileName);
}

void EmailObject::AddRecipient(const std::u16string& strEmailAddy, const std::u16string& strDisplayName,
                               std::int16_t RecpType) {
    nextMailCount(m_recipients.size());
    m_recipients.push_back({strEmailAddy, strDisplayName, RecpType});
}

bool EmailObject::SendEmail(const std::u16string& strSubject, const std::u16string& strBody) {
    switch (m_deliveryType) {
        case Default:
            return sendDefault(strSubject, strBody);
        case SMTP:
            return sendSmtp(strSubject, strBody);
        case MAPI:
            return sendMapi(strSubject, strBody);
        case LotusNotes:
            return sendNotes(strSubject, strBody);
        default:
            return false;
    }
}

bool EmailObject::sendSmtp(const std::u16string& subject, const std::u16string& body) {
    Ref<cSMTP> sender = makeObject<cSMTP>();
    Relay relay(*this, sender);
    sender->setFromEmail(m_defaultEmail);
    sender->setFromName(m_displayName);
    sender->setRemoteServer(m_smtpServer);
    if (!m_userName.empty()) {
        sender->setRequiresAuthentication(true);
        sender->setUserName(m_userName);
        sender->setPassword(m_password);
    }
    for (const std::u16string& path : m_attachments) sender->AddAttachment(path, Variant::missing());
    for (MailRecip recipient : m_recipients)
        sender->AddRecipient(recipient.Address, recipient.Name, recipient.Type);
    return sender->SendEmail(subject, body);
}

bool EmailObject::sendDefault(const std::u16string& subject, const std::u16string& body) {
    Ref<cDefaultEmail> sender = makeObject<cDefaultEmail>();
    Relay relay(*this, sender);
    std::vector<std::u16string> addresses;
    for (const MailRecip& recipient : m_recipients) addresses.push_back(recipient.Address);
    sender->SendEmail(joined(addresses), subject, body, joined(m_attachments));
    return false;
}

bool EmailObject::sendMapi(const std::u16string& subject, const std::u16string& body) {
    Ref<cMAPI> sender = makeObject<cMAPI>();
    Relay relay(*this, sender);
    if (!sender->Logon()) return false;
    for (std::u16string path : m_attachments) {
        std::u16string name = path;
        sender->AddAttachment(name, path);
    }
    for (const MailRecip& recipient : m_recipients) {
        std::u16string name = recipient.Name;
        std::u16string address = recipient.Address;
        std::int16_t type = 1;
        sender->AddRecipient(name, address, type);
    }
    std::u16string s = subject;
    std::u16string b = body;
    sender->SendEmail(s, b);
    return false;
}

bool EmailObject::sendNotes(const std::u16string& subject, const std::u16string& body) {
    Ref<cLotusNotes> sender = makeObject<cLotusNotes>();
    Relay relay(*this, sender);
    for (const std::u16string& path : m_attachments) sender->AttachmentAdd(path);
    const std::u16string first = m_recipients.empty() ? std::u16string() : m_recipients.front().Address;
    return sender->SendEmail(first, subject, body);
}

}  // namespace velmora
