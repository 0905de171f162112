// The shell calls the suite makes: whole-file operations (SHFileOperationA), opening documents with their
// program (ShellExecuteA) and type names (SHGetFileInfoA). Paths are suite paths (see paths.h).
#pragma once

#include <string>

#include "platform/win32types.h"

using DWORD_PTR = std::uintptr_t;

// Operations.
constexpr UINT FO_MOVE = 0x1;
constexpr UINT FO_COPY = 0x2;
constexpr UINT FO_DELETE = 0x3;
constexpr UINT FO_RENAME = 0x4;

using FILEOP_FLAGS = WORD;
constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x1;
constexpr FILEOP_FLAGS FOF_CONFIRMMOUSE = 0x2;
constexpr FILEOP_FLAGS FOF_SILENT = 0x4;
constexpr FILEOP_FLAGS FOF_RENAMEONCOLLISION = 0x8;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x10;
constexpr FILEOP_FLAGS FOF_WANTMAPPINGHANDLE = 0x20;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x40;
constexpr FILEOP_FLAGS FOF_FILESONLY = 0x80;
constexpr FILEOP_FLAGS FOF_SIMPLEPROGRESS = 0x100;
constexpr FILEOP_FLAGS FOF_NOCONFIRMMKDIR = 0x200;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x400;

// Results of SHFileOperationA besides the Win32 error codes (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_SHARING_VIOLATION, ERROR_ALREADY_EXISTS, ...).
constexpr int DE_SAMEFILE = 0x71;
constexpr int DE_OPCANCELLED = 0x75;
constexpr int DE_DESTSUBTREE = 0x76;
constexpr int DE_INVALIDFILES = 0x7C;
constexpr int DE_ROOTDIR = 0x7E;
constexpr int DE_ERROR_MAX = 0xB7;  // the trash cannot take the item
constexpr DWORD ERROR_CANCELLED = 1223;

// pFrom and pTo are lists of names, each ended by a NUL, the list by a second NUL.
struct SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom;
    LPCSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTA = SHFILEOPSTRUCTA*;

// Copies, moves, renames or deletes files and whole folder trees, name by name, stopping at the first
// failure; 0 on success, else the Win32 or DE_ code of that failure. Copy and move: a destination that is
// an existing folder receives the source inside it, any other destination is the new name. A file that
// would be replaced is, after a confirmation (MessageBoxA, Yes/No, No by default) unless
// FOF_NOCONFIRMATION, or kept with a new name under FOF_RENAMEONCOLLISION; refusing gives ERROR_CANCELLED
// and sets fAnyOperationsAborted. Replaced files are written beside the target and renamed over it.
// Rename never replaces (ERROR_ALREADY_EXISTS). Delete with FOF_ALLOWUNDO moves the items to the
// freedesktop trash (GIO, or the volume's trash folder where GIO cannot), else removes them for good
// (read-only files too, as the shell does once the deletion is confirmed). Share modes are honoured:
// a file one of our handles holds without delete sharing is ERROR_SHARING_VIOLATION. No progress or
// error windows are shown.
int SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp);

// ShellExecuteA results up to 32 are errors.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_NOASSOC = 31;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// Runs a verb on a file, folder or URL and returns a value above 32 on success.
// "open" (or no verb): the program our registry associates with the extension (HKCR\.ext -> type ->
// shell\open\command; folders use HKCR\Folder), with %1 replaced by the path and %* by lpParameters,
// started in lpDirectory; else the desktop's default application for the MIME type its name's glob gives
// (decided by the extension alone, never by the contents: an unknown extension is SE_ERR_NOASSOC); a URL (mailto:,
// http:, ...) goes to the desktop's handler for its scheme. "properties" and "explore" ask the desktop's
// file manager (org.freedesktop.FileManager1 on the session bus) and fall back to opening the folder.
// Errors: SE_ERR_FNF for a missing file, SE_ERR_PNF for a missing folder, SE_ERR_NOASSOC when no
// program takes the file, SE_ERR_ASSOCINCOMPLETE when the associated program cannot start.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                        INT nShowCmd);

constexpr UINT SHGFI_ICON = 0x100;
constexpr UINT SHGFI_DISPLAYNAME = 0x200;
constexpr UINT SHGFI_TYPENAME = 0x400;
constexpr UINT SHGFI_ATTRIBUTES = 0x800;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x10;

struct SHFILEINFOA {
    void* hIcon;
    int iIcon;
    DWORD dwAttributes;
    CHAR szDisplayName[MAX_PATH];
    CHAR szTypeName[80];
};

// SHGFI_TYPENAME: the type name registered in our registry for the extension (HKCR\.ext -> type -> its
// default value), else the shared MIME database's description, else "EXT File" ("File" without an
// extension; "File Folder" for FILE_ATTRIBUTE_DIRECTORY). With SHGFI_USEFILEATTRIBUTES the file need not
// exist. SHGFI_DISPLAYNAME gives the last name of the path. Returns non-zero on success; 0 for a null path,
// a missing file without SHGFI_USEFILEATTRIBUTES, or flags it does not serve.
DWORD_PTR SHGetFileInfoA(LPCSTR pszPath, DWORD dwFileAttributes, SHFILEINFOA* psfi, UINT cbFileInfo,
                         UINT uFlags);

namespace velmora {

// Moves a file or folder (native path) to the freedesktop trash of its volume: through GIO, else into the
// home trash or the volume's "$topdir/.Trash-$uid" with its .trashinfo record. ERROR_SUCCESS or the
// Win32 error of the failure.
DWORD moveToTrash(const std::string& nativePath);

}  // namespace velmora
