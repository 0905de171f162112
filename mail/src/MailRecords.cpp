#include "mail/MailRecords.h"

#include "runtime/Error.h"

namespace velmora {

std::vector<EnumInfo::Value> emailDeliveryTypeMembers() {
    return {{u"Default", Default}, {u"SMTP", SMTP}, {u"MAPI", MAPI}, {u"LotusNotes", LotusNotes}};
}

std::int16_t nextMailCount(std::size_t current) {
    if (current >= 32767) raise(err::Overflow);
    return static_cast<std::int16_t>(current + 1);
}

}  // namespace velmora
