// One plug-in file and its main object. Loading registers the file with the component registry and
// creates "<file name less extension>.Main"; unloading (also on release) drops the object and
// unregisters the file again.
#pragma once

#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API PlugIn : public Dispatchable<PlugIn> {
  public:
    static const ClassInfo& describe();

    PlugIn() = default;
    ~PlugIn() override;

    const ObjectRef& obj() const noexcept { return m_obj; }
    void setObj(ObjectRef value) { m_obj = std::move(value); }
    bool Loaded() const noexcept { return m_loaded; }
    const std::u16string& PlugInFile() const noexcept { return m_plugInFile; }
    // Stores the path and derives Title from its file name (error 5 for a name under four characters).
    void setPlugInFile(const std::u16string& value);
    const std::u16string& Title() const noexcept { return m_title; }

    // Errors: 1 for no file at all; 5 for a path without a folder; the creation error of a main object
    // that cannot be created (the file then stays registered). True once loaded.
    bool Load(std::u16string& sPlugInFile);
    void Unload();

  private:
    std::u16string m_plugInFile;
    std::u16string m_title;
    ObjectRef m_obj;
    bool m_loaded = false;
};

}  // namespace velmora
