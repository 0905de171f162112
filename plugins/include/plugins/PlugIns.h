// The ordered collection of plug-ins: entries numbered from 1 in the order added, optionally keyed.
// Load walks a plug-in folder tree breadth-first and adds and loads every ".dll" and ".exe" file in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/Enumerator.h"
#include "plugins/PlugIn.h"
#include "runtime/Collection.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API PlugIns : public Dispatchable<PlugIns> {
  public:
    static const ClassInfo& describe();

    // By 1-based position or key: error 9 for a position outside 1..Count, 5 for an unknown key.
    Ref<PlugIn> Item(Variant& vntIndexKey) const;
    // An enumerator over the entries as they are now (Next gives each, then Nothing).
    ObjectRef NewEnum() const;
    std::int32_t Count() const noexcept { return m_items.Count(); }
    void Clear();
    // Appends an unloaded entry; error 457 for a key already in use.
    Ref<PlugIn> Add(std::u16string& PlugInFile, ObjectRef& obj, std::u16string& sKey);
    // Appends every plug-in found under the folder; the first error ends the scan and is raised, and the
    // entries added until then stay.
    void Load(std::u16string& PlugInDir);
    void Remove(Variant& vntIndexKey);

  private:
    Collection m_items;
};

}  // namespace velmora
