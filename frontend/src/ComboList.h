// A dialog's drop-down list as the shared list-filling routine fills it: the item value rides along as
// the entry's user data.
#pragma once

#include <QComboBox>

#include "common/ListControl.h"

namespace velmora {

class ComboList final : public ListControl {
  public:
    explicit ComboList(QComboBox& combo) : m_combo(combo) {}

    std::int32_t addItem(std::u16string_view text) override;
    void setItemData(std::int32_t index, std::int32_t value) override;

    // The item value of the selected entry; error 9 (as the list's ItemData) when none is selected.
    static std::int32_t selectedItemData(const QComboBox& combo);

  private:
    QComboBox& m_combo;
};

}  // namespace velmora
