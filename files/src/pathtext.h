// The name properties shared by FileObject and DirectoryObject. They work on the path text alone (no file
// is touched), and both "\" and "/" separate, so drive, UNC, relative and POSIX paths all answer.
#pragma once

#include <string>
#include <string_view>

namespace velmora::pathtext {

// Text after the last separator; the whole path when it has none.
std::u16string title(std::u16string_view path);
// Text after the last "." of the whole path, lower-cased; empty when there is none or it ends the path.
std::u16string extension(std::u16string_view path);
// The path up to and including its last separator; empty when it has none.
std::u16string directory(std::u16string_view path);
// The last folder of directory() with the separators on both sides; empty with fewer than two separators.
std::u16string parentDirectory(std::u16string_view path);
// "C:" (through the first ":"), "OTH_COMPUTER" for "\\server...", else "NO_DRIVE".
std::u16string drive(std::u16string_view path);
// This computer's name for a path with ":", the server of "\\server\...", else "NO_DRIVE".
std::u16string computerName(std::u16string_view path);

}  // namespace velmora::pathtext
