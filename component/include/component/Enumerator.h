// What a collection's NewEnum returns: the entries at the time it was asked for, one by one; Next gives
// Nothing after the last one.
#pragma once

#include <vector>

#include "component/ComObject.h"
#include "runtime/Collection.h"

namespace velmora {

class Enumerator : public Dispatchable<Enumerator> {
  public:
    static const ClassInfo& describe();
    explicit Enumerator(std::vector<Variant> items = {}) : m_items(std::move(items)) {}
    explicit Enumerator(const Collection& items) : m_items(items.begin(), items.end()) {}

    Variant Next();
    void Reset() { m_next = 0; }

  private:
    std::vector<Variant> m_items;
    std::size_t m_next = 0;
};

}  // namespace velmora
