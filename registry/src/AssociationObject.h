// Registers a file type with the shell: extension, type name, open command and icon, in the classes root.
#pragma once

#include <string>

#include "RegistryObject.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class AssociationObject : public Dispatchable<AssociationObject> {
  public:
    static const ClassInfo& describe();

    // Writes the association; false (with a message when PromptOnError) when the program is missing, the
    // extension is unusable or a write fails. Extension gains its ".", Action becomes the command key
    // and Switch gets its leading blank, in the caller's variables.
    bool CreateFileAss(std::u16string& Extension, std::u16string& FileType, std::u16string& FileTypeName,
                       std::u16string& Action, std::u16string& AppPath, std::u16string& Switch, bool& SetIcon,
                       std::u16string& DefaultIcon, bool& PromptOnError, bool& CreateNewContextMenu);

  private:
    void writeDefault(const std::u16string& key, const std::u16string& name, const std::u16string& value);
    void report(const std::u16string& message) const;

    Ref<RegistryObject> m_registry = makeObject<RegistryObject>();
    bool m_promptOnError = false;
};

}  // namespace velmora
