// EmailObject: collects a message's sender, recipients and attachments and hands it to the sender that
// DeliveryType chooses (default mail program, SMTP, MAPI, Notes), creating a fresh one for each send and
// relaying its progress and failures as Status and EmailError. The lists only grow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ComObject.h"
#include "component/EventSource.h"
#include "mail/MailRecords.h"

namespace velmora {

class EmailObject : public Dispatchable<EmailObject> {
  public:
    static const ClassInfo& describe();

    EventSource* events() noexcept override { return &m_events; }

    std::int16_t AttachmentCount() const noexcept { return static_cast<std::int16_t>(m_attachments.size()); }
    std::int16_t RecipientCount() const noexcept { return static_cast<std::int16_t>(m_recipients.size()); }
    std::u16string DefaultEmail() const { return m_defaultEmail; }
    void setDefaultEmail(const std::u16string& value) { m_defaultEmail = value; }
    std::u16string DisplayName() const { return m_displayName; }
    void setDisplayName(const std::u16string& value) { m_displayName = value; }
    std::u16string smtpServer() const { return m_smtpServer; }
    void setSmtpServer(const std::u16string& value) { m_smtpServer = value; }
    std::int32_t DeliveryType() const noexcept { return m_deliveryType; }
    void setDeliveryType(std::int32_t value) noexcept { m_deliveryType = value; }
    std::u16string Password() const { return m_password; }
    void setPassword(const std::u16string& value) { m_password = value; }
    std::u16string UserName() const { return m_userName; }
    void setUserName(const std::u16string& value) { m_userName = value; }
    std::u16string MapiAccount() const { return m_mapiAccount; }
    void setMapiAccount(const std::u16string& value) { m_mapiAccount = value; }

    bool SendEmail(const std::u16string& strSubject, const std::u16string& strBody);
    void AddAttachment(const std::u16string& strFileName);
    void AddRecipient(const std::u16string& strEmailAddy, const std::u16string& strDisplayName,
                      std::int16_t RecpType);

    // Raised for the senders' events (also by the relay sink).
    void raiseStatus(Variant& text);
    void raiseEmailError(Variant& routine, Variant& number, Variant& description, Variant& source);

  private:
    bool sendSmtp(const std::u16string& subject, const std::u16string& body);
    bool sendDefault(const std::u16string& subject, const std::u16string& body);
    bool sendMapi(const std::u16string& subject, const std::u16string& body);
    bool sendNotes(const std::u16string& subject, const std::u16string& body);

    std::u16string m_defaultEmail;
    std::u16string m_displayName;
    std::u16string m_smtpServer;
    std::int32_t m_deliveryType = Default;
    std::u16string m_password;
    std::u16string m_userName;
    std::u16string m_mapiAccount;
    std::vector<std::u16string> m_attachments;
    std::vector<MailRecip> m_recipients;
    EventSource m_events{*this};
};

}  // namespace velmora
