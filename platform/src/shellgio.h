// The desktop services the shell calls reach through GIO. Kept apart from the rest of the platform because
// GIO's headers must not meet other toolkits' headers in one translation unit.
#pragma once

#include <string>

namespace velmora::gio {

// ShellExecuteA results, spelled out here since GIO's headers and the Win32 ones cannot meet.
constexpr int kStarted = 42;
constexpr int kNoApplication = 31;  // SE_ERR_NOASSOC
constexpr int kCannotStart = 27;    // SE_ERR_ASSOCINCOMPLETE

// Moves a file or folder to the trash; false when GIO cannot (no trash on that volume, say).
bool trash(const std::string& nativePath);

// Opens a file or folder with the desktop's default application for its type, or a URL with the handler
// of its scheme: kStarted, kNoApplication or kCannotStart. A file's type is the one its name's glob
// gives in the shared MIME database (its extension), never one sniffed from its contents.
int openWithDefault(const std::string& nativePath, bool isFolder);
int openUri(const std::string& uri);

// Calls a method (ShowItems, ShowFolders, ShowItemProperties) of org.freedesktop.FileManager1 on the
// session bus for one file; false when no file manager answers.
bool askFileManager(const char* method, const std::string& nativePath);

// The shared MIME database's description of a name's type (from the name alone); empty when the database
// has no better answer than "unknown binary data".
std::string typeDescription(const std::string& fileName, bool isFolder);

}  // namespace velmora::gio
