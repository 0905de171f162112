// The records and the enumeration Postwire publishes: a recipient, an attachment, a whole message, and
// the choice of sender.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/EnumInfo.h"
#include "runtime/Variant.h"

namespace velmora {

enum EmailDeliveryType : std::int32_t {
    Default = 0,
    SMTP = 1,
    MAPI = 2,
    LotusNotes = 3,
};

std::vector<EnumInfo::Value> emailDeliveryTypeMembers();

struct MailRecip {
    std::u16string Address;
    std::u16string Name;
    std::int16_t Type = 0;
};

struct MailAttach {
    std::u16string Name;
    std::u16string fileName;
};

struct Mail {
    std::u16string ID;
    std::int16_t RecipCount = 0;
    std::vector<MailRecip> Recips;
    std::int16_t AttachCount = 0;
    std::vector<MailAttach> Attach;
    std::u16string Subject;
    std::u16string Text;
    MailRecip From;
    Date DateReceived{};
    bool Unread = false;
};

// The lists of a message only grow, and their counts are 16-bit: the count after one more entry, or
// error 6 (overflow) at the 32768th.
std::int16_t nextMailCount(std::size_t current);

}  // namespace velmora
