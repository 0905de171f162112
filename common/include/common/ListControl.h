// A drop-down list as the shared list-filling routine sees it; each program's forms adapt their control.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

class ListControl {
  public:
    // Appends an entry and returns its 0-based index.
    virtual std::int32_t addItem(std::u16string_view text) = 0;
    // Keeps a number with the entry at index.
    virtual void setItemData(std::int32_t index, std::int32_t value) = 0;

  protected:
    ~ListControl() = default;
};

}  // namespace velmora
