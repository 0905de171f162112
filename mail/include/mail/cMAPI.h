// cMAPI: sends through the platform's Simple MAPI session and message controls, reached by class name
// (postwire::kMapiSessionClass, kMapiMessagesClass). Where the platform has no such controls, creating a
// cMAPI fails with error 429, as on a machine without them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ComObject.h"
#include "component/EventSource.h"
#include "mail/MailRecords.h"

namespace velmora {

class cMAPI : public Dispatchable<cMAPI> {
  public:
    static const ClassInfo& describe();

    cMAPI();
    ~cMAPI() override;

    EventSource* events() noexcept override { return &m_events; }

    std::u16string UserName() const { return m_userName; }
    void setUserName(const std::u16string& value) { m_userName = value; }
    std::u16string Password() const { return m_password; }
    void setPassword(const std::u16string& value) { m_password = value; }

    bool Logon();
    bool Logoff();
    bool AddAttachment(std::u16string& DispName, std::u16string& fileName);
    bool AddRecipient(std::u16string& DispName, std::u16string& Address, std::int16_t& RecipType);
    void RemoveAttachment(std::int16_t AttachNum);
    void RemoveRecipient(std::int16_t RecipNum);
    void ShowAddresses();
    void ShowEmailConfig();
    bool Reply();
    std::int16_t SendEmail(std::u16string& Subject, std::u16string& Message);

    const std::vector<MailRecip>& recipients() const noexcept { return m_recipients; }

  private:
    void status(const std::u16string& text);
    void emailError(const std::u16string& routine, std::int32_t number, const std::u16string& description);
    void compose(const std::u16string& subject, const std::u16string& message);

    std::u16string m_userName;
    std::u16string m_password;
    std::vector<MailRecip> m_recipients;
    std::vector<MailAttach> m_attachments;
    std::u16string m_subject;
    std::u16string m_message;
    MailRecip m_lastSender;
    ObjectRef m_session;
    ObjectRef m_messages;
    EventSource m_events{*this};
};

}  // namespace velmora
