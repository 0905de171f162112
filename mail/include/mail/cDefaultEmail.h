// cDefaultEmail: hands a message to the desktop's mail program as a mail link (ShellExecuteA). The link is
// a valid "mailto:" URI with the addresses, and the subject and body percent-encoded as its query; mail
// links carry no attachments, so any named ones are reported through EmailError and the link opens
// without them. A link that no program takes is reported the same way.
#pragma once

#include <string>

#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora {

class cDefaultEmail : public Dispatchable<cDefaultEmail> {
  public:
    static const ClassInfo& describe();

    EventSource* events() noexcept override { return &m_events; }

    // MailAddress and MailAttach are lists joined by ",".
    Variant SendEmail(const std::u16string& MailAddress, const std::u16string& MailSubject,
                      const std::u16string& MailBody, const std::u16string& MailAttach);

    // The link SendEmail opens.
    static std::string mailLink(const std::u16string& addresses, const std::u16string& subject,
                                const std::u16string& body);

  private:
    void emailError(const std::u16string& routine, std::int32_t number, const std::u16string& description,
                    const std::u16string& source);

    EventSource m_events{*this};
};

}  // namespace velmora
