// An ordered collection of FileObject entries, filled by a recursive search of a folder tree for a file
// pattern; FoundFile is raised for every entry found (its Cancel stops the search) and Completed when a
// search has ended. Results of successive searches accumulate.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/Enumerator.h"
#include "component/EventSource.h"
#include "files/FileObject.h"
#include "runtime/Collection.h"

namespace velmora {

class FilesObject : public Dispatchable<FilesObject> {
  public:
    static const ClassInfo& describe();
    EventSource* events() noexcept override { return &m_events; }

    const std::u16string& Path() const { return m_path; }
    void setPath(std::u16string value) { m_path = std::move(value); }
    void setFileSpec(std::u16string value) { m_fileSpec = std::move(value); }
    const std::u16string& FileSpec() const { return m_fileSpec; }
    bool Searching() const { return m_searching; }
    // By 1-based position or key: error 9 for a position outside 1..Count, 5 for an unknown key.
    Ref<FileObject> Item(Variant& vntIndexKey) const;
    std::int32_t Count() const { return m_items.Count(); }
    // An enumerator over the entries as they are now (Next gives each, then Nothing).
    ObjectRef NewEnum() const;
    Ref<FileObject> Add(std::u16string FileName, std::u16string sKey = {});
    void Remove(Variant& vntIndexKey);
    // Searches Path for FileSpec; false when a search is already running (which it then stops) or either
    // is empty.
    bool Find(std::u16string strPath = {}, std::u16string strFileSpec = {});

  private:
    void search(const std::u16string& folder);

    std::u16string m_path;
    std::u16string m_fileSpec;
    bool m_searching = false;
    Collection m_items;
    EventSource m_events{*this};
};

}  // namespace velmora
