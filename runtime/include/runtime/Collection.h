// The platform's Collection: an ordered list of Variants, 1-based, with optional unique text keys
// compared case-insensitively. Lookups by key scan the list: the suite's collections are small.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Variant.h"

namespace velmora {

class Collection {
  public:
    using const_iterator = std::vector<Variant>::const_iterator;

    // Add(item, key, before, after): key is a String or omitted (Variant::missing()); before / after name
    // an existing element by 1-based position (a number) or by key (a String), at most one of them.
    // Errors: 457 for a key already present; 5 for both before and after, an unknown before/after key or
    // an argument of another type; 9 for a before/after position outside 1..Count; 13 for a key that is
    // not text.
    void Add(const Variant& item, const Variant& key = Variant::missing(),
             const Variant& before = Variant::missing(), const Variant& after = Variant::missing());
    // The element at a 1-based position (a number, rounded as CLng rounds) or with a key (a String):
    // 9 for a position outside 1..Count, 5 for an unknown key or an argument of another type.
    Variant Item(const Variant& indexOrKey) const;
    // Removes the element Item would return, with the same errors.
    void Remove(const Variant& indexOrKey);
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(m_items.size()); }

    // For Each over the elements in order. Adding or removing while iterating invalidates the iterators.
    const_iterator begin() const noexcept { return m_items.begin(); }
    const_iterator end() const noexcept { return m_items.end(); }

  private:
    // The 0-based position an index or key names; error as Item describes.
    std::size_t positionOf(const Variant& indexOrKey) const;
    // The 0-based position of a key, or npos.
    std::size_t findKey(std::u16string_view foldedKey) const;

    std::vector<Variant> m_items;
    std::vector<std::u16string> m_keys;  // folded to lower case; parallel to m_items
    std::vector<bool> m_hasKey;
};

}  // namespace velmora
