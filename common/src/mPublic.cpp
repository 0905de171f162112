// Procedures both programs' dialogs share.
#include "common/mPublic.h"

namespace velmora::mPublic {

bool fillList(ListControl& list, std::u16string_view text, std::int16_t itemValue) {
    list.setItemData(list.addItem(text), itemValue);
    return true;
}

}  // namespace velmora::mPublic
