// cLotusNotes: sends through an installed Notes client by automation (postwire::kNotesSessionClass).
// The session and the user's mail database are opened when the object is created; without a Notes
// client that fails with error 429.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora {

class cLotusNotes : public Dispatchable<cLotusNotes> {
  public:
    static const ClassInfo& describe();

    cLotusNotes();
    ~cLotusNotes() override;

    EventSource* events() noexcept override { return &m_events; }

    std::int16_t AttachmentCount() const noexcept { return static_cast<std::int16_t>(m_attachments.size()); }
    void AttachmentAdd(const std::u16string& strFileName);
    // Error 9 for a position outside 1..AttachmentCount.
    void AttachmentRemove(std::int16_t intINdex);
    bool SendEmail(const std::u16string& strSendTo, const std::u16string& strSubject,
                   const std::u16string& strMessage);

  private:
    void statusEvent(const std::u16string& text);

    std::vector<std::u16string> m_attachments;
    ObjectRef m_session;
    ObjectRef m_database;
    EventSource m_events{*this};
};

}  // namespace velmora
