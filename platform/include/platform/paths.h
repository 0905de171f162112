// Suite paths on Linux. The suite writes Win32 paths ("C:\dir\file.txt"); the file system wants POSIX ones.
// Both '\' and '/' separate. "X:" drives map to folders: Z: is "/", C: is $VELMORA_DRIVE_C (default
// $XDG_DATA_HOME/velmora/drive_c), any other letter X is $VELMORA_DRIVE_X when set. POSIX paths a user
// types ("/home/me/a.txt", "notes.txt") work as they are. UNC paths ("\\server\share\...") are understood
// as text but never found on disk. Text is UTF-8 (the platform's "ANSI code page").
#pragma once

#include <string>
#include <string_view>

#include "platform/win32types.h"

namespace velmora {

// True for '\' and '/'.
constexpr bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// True for "\\server\share..." (either separator), including "\\?\UNC\server\share...".
bool isUncPath(std::string_view path);

// The folder drive C: stands for; created (with its parents) on first use.
std::string driveCRoot();

// The folder for per-user lock files: $XDG_RUNTIME_DIR/velmora, or /tmp/velmora-<uid> where that variable
// is unset. Created with mode 0700 on demand; a folder that another user owns (or that others may write)
// is refused, and then the result is empty.
std::string runtimeFolder();

// The user's private temporary folder: "temp" inside runtimeFolder(), created with mode 0700 and refused
// (empty result) when it is a link or another user's. Memory-backed and emptied at logout where
// $XDG_RUNTIME_DIR exists; otherwise under /tmp/velmora-<uid>.
std::string privateTempFolder();

// Suite path -> POSIX path. "C:\a\b" -> "<drive C>/a/b", "Z:\tmp" -> "/tmp", "a\b" -> "a/b" (relative stays
// relative), "\x" -> "/x", "\\?\C:\x" -> as "C:\x". Empty for UNC paths, unmapped drives and empty input.
std::string toNativePath(std::string_view suitePath);

// POSIX path -> drive path with '\': "/tmp/x" -> "Z:\tmp\x", "<drive C>/a" -> "C:\a". A relative path is
// taken from the current folder first; "." and ".." are resolved as text. A final '/' is kept.
std::string toSuitePath(std::string_view posixPath);

// Checks path text before any file-system call. ERROR_SUCCESS, or the Win32 error: ERROR_PATH_NOT_FOUND
// for an empty path, ERROR_FILENAME_EXCED_RANGE for a component over 255 bytes or a path over 4095 bytes,
// ERROR_BAD_NETPATH for UNC paths, ERROR_PATH_NOT_FOUND for an unmapped drive. Unlike Win32, every other
// byte a Linux name may hold (<>"|:*?, control characters) is a name's byte; '*' and '?' are wildcards
// only in a search's last component (find.h), so allowWildcards no longer changes anything.
DWORD checkSuitePath(std::string_view suitePath, bool allowWildcards = false);

// The folder holding a POSIX path's last component (a final '/' ignored): "/a/b" and "/a/b/" -> "/a",
// "/a" -> "/", "name" -> ".".
std::string containingFolder(const std::string& nativePath);

// checkSuitePath, then toNativePath; on failure sets the last error and returns false.
bool suiteToNative(std::string_view suitePath, std::string& nativePath, bool allowWildcards = false);

}  // namespace velmora
