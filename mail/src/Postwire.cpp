#include "mail/Postwire.h"

#include "mail/EmailObject.h"
#include "mail/MailRecords.h"
#include "mail/cDefaultEmail.h"
#include "mail/cLotusNotes.h"
#include "mail/cMAPI.h"
#include "mail/cSMTP.h"

namespace velmora::postwire {

const ClassTable& classTable() {
    // The senders are described but not creatable: EmailObject makes one for each send.
    static const ClassTable table = ClassTable(kLibraryName)
                                        .add<EmailObject>(kClsidEmailObject, u"Postwire.EmailObject")
                                        .describes(cSMTP::describe())
                                        .describes(cMAPI::describe())
                                        .describes(cLotusNotes::describe())
                                        .describes(cDefaultEmail::describe())
                                        .enumeration(u"EmailDeliveryType", emailDeliveryTypeMembers());
    return table;
}

}  // namespace velmora::postwire
