// A list of recently used file names, most recent first, stored in the registry below HKEY_LOCAL_MACHINE
// as "mruMaxEntries" and "mru" (a NUL, every name followed by a NUL, then two more NULs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RegistryObject.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class MRUObject : public Dispatchable<MRUObject> {
  public:
    static const ClassInfo& describe();

    std::int16_t Count() const { return static_cast<std::int16_t>(m_entries.size()); }
    std::int16_t MaxEntries() const { return m_maxEntries; }
    void setMaxEntries(std::int16_t value) { m_maxEntries = value; }
    // The name at a position, 1 the most recent; error 9 outside the list.
    std::u16string Item(std::int16_t& intIndex) const;
    // Puts a name first. The list keeps at most MaxEntries - 1 names; false for an empty name and for a
    // new name when MaxEntries leaves no room (below 2).
    bool AddNew(std::u16string& strFileName);
    void Load(std::u16string& strKeyPath);
    // True when both values were written.
    bool Save(std::u16string& strKeyPath);

  private:
    static constexpr std::int16_t kDefaultMaxEntries = 10;

    Ref<RegistryObject> m_registry = makeObject<RegistryObject>();
    std::int16_t m_maxEntries = kDefaultMaxEntries;
    std::vector<std::u16string> m_entries;  // m_entries[0] is position 1
    std::u16string m_keyPath;
};

}  // namespace velmora
