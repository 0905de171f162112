// The Postwire type library: EmailObject with the identifiers clients bind to, the sender classes it
// describes but does not let clients create, and EmailDeliveryType.
#pragma once

#include "component/ClassTable.h"

namespace velmora::postwire {

inline constexpr char16_t kLibraryName[] = u"Postwire";
inline constexpr char16_t kHelpString[] = u"Zu - Email Message";

inline constexpr char16_t kClsidEmailObject[] = u"{9319FD71-5A32-4FC9-9A80-97322A646EB8}";
inline constexpr char16_t kIidEmailObject[] = u"{9A493E69-8AA5-4113-9EFC-D4747411571B}";  // _EmailObject
inline constexpr char16_t kIidEmailObjectEvents[] =
    u"{7271EF13-7B06-4011-AB83-B4ECD55930BB}";  // __EmailObject

// Class names of the platform components the MAPI and Notes senders drive.
inline constexpr char16_t kMapiSessionClass[] = u"SimpleMAPI.MAPISession";
inline constexpr char16_t kMapiMessagesClass[] = u"SimpleMAPI.MAPIMessages";
inline constexpr char16_t kNotesSessionClass[] = u"Notes.Notessession";

const ClassTable& classTable();

}  // namespace velmora::postwire
