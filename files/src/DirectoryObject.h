// One directory path: whether it exists, creating a whole chain of folders, removing an empty folder, and
// copying or moving the tree through the shell.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class DirectoryObject : public Dispatchable<DirectoryObject> {
  public:
    static const ClassInfo& describe();

    std::u16string ComputerName() const;
    std::u16string Drive() const;
    void setPath(std::u16string value) { m_path = std::move(value); }
    const std::u16string& Path() const { return m_path; }
    // True when a search for the path finds any entry: a folder (also written with a final separator) or
    // a file.
    bool Exists() const;
    // Creates every missing folder along the path; error 100 "No path set" without a path.
    bool Create(std::u16string& strDirectoryPath);
    // Removes the folder when it is empty; error 100 "No path set" without a path.
    bool Delete(std::u16string& strDirectoryPath);
    // Shell copy / move of the tree; the shell's result (0 on success).
    std::int32_t Copy(std::u16string DestinationPath, std::u16string strDirPath = {}, bool blnConfirm = false,
                      bool blnSilent = true, bool blnRenameOnCollision = false,
                      bool blnSimpleProgress = false);
    std::int32_t Move(std::u16string DestinationPath, std::u16string strDirPath = {}, bool blnConfirm = false,
                      bool blnSilent = true, bool blnRenameOnCollision = false,
                      bool blnSimpleProgress = false);

  private:
    const std::u16string& pathFor(std::u16string& argument) const;
    std::int32_t transfer(unsigned operation, std::u16string& destination, std::u16string& source,
                          bool blnConfirm, bool blnSilent, bool blnRenameOnCollision, bool blnSimpleProgress);

    std::u16string m_path;
};

}  // namespace velmora
