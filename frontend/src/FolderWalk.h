// The encrypt dialog's walk through a folder tree: breadth-first, each folder listed completely before any
// of its files is handed on, so renaming a file never puts it in the walk's way a second time. Hidden and
// system entries are left out, as are symbolic links: a link is never followed into another folder, and a
// linked file is never replaced by the encryption of its target.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velmora::FolderWalk {

using FileHandler = std::function<void(const std::u16string& path)>;
// A folder of the tree that could not be listed, with the Win32 error of the attempt; or an entry whose name
// holds a '\' (which the suite's paths read as a separator, so that no suite path names it), as the
// folder's path, "\" and the name, with ERROR_INVALID_NAME. Such an entry is never handed on.
using FolderFailure = std::function<void(const std::u16string& folder, std::uint32_t win32Error)>;

// Every file of the tree under root (a suite path), each as folder + "\" + name.
void walk(const std::u16string& root, const FileHandler& onFile, const FolderFailure& onFailure);

// Whether path names a symbolic link (not what it points to).
bool isSymbolicLink(const std::u16string& path);

}  // namespace velmora::FolderWalk
