// The dialog library's path splitting: drive, directory (with its trailing backslash), name, extension.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

struct PathParts {
    std::u16string drive;      // "C:" or empty
    std::u16string directory;  // "\dir\sub\" or empty
    std::u16string name;       // without extension
    std::u16string extension;  // with its dot
};

// A second character ':' makes the first two the drive. From the end, the first '.' before any '\'
// starts the extension, the first '\' ends the directory. A name without a dot and without an extension
// is the last directory component instead.
PathParts splitPath(std::u16string_view path);

// Appends '\' to a non-empty directory part that does not end with one.
std::u16string joinDirectory(std::u16string_view directory);

}  // namespace velmora
