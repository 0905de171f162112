#include "ComboList.h"

#include "runtime/Error.h"

namespace velmora {

std::int32_t ComboList::addItem(std::u16string_view text) {
    m_combo.addItem(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    return m_combo.count() - 1;
}

void ComboList::setItemData(std::int32_t index, std::int32_t value) {
    m_combo.setItemData(index, value);
}

std::int32_t ComboList::selectedItemData(const QComboBox& combo) {
    if (combo.currentIndex() < 0) raise(err::SubscriptOutOfRange);
    return combo.currentData().toInt();
}

}  // namespace velmora
