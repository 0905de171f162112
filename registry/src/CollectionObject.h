// The platform's Collection as an object that late-bound callers can use: what EnumRegistryKeys and
// EnumRegistryValues return. Listed in the type description as "Collection"; not creatable by clients.
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/Collection.h"

namespace velmora {

class CollectionObject : public Dispatchable<CollectionObject> {
  public:
    static const ClassInfo& describe();

    void Add(const Variant& Item, const Variant& Key, const Variant& Before, const Variant& After) {
        m_items.Add(Item, Key, Before, After);
    }
    std::int32_t Count() const { return m_items.Count(); }
    Variant Item(const Variant& Index) const { return m_items.Item(Index); }
    void Remove(const Variant& Index) { m_items.Remove(Index); }

    Collection& items() noexcept { return m_items; }

  private:
    Collection m_items;
};

}  // namespace velmora
