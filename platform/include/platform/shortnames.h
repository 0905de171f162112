// Short (8.3) names. A name that is already a valid 8.3 name is its own short name. Others get a mangled
// one: upper case, spaces, dots and characters 8.3 names cannot hold dropped (other alphabets become '_'),
// the first 6 characters of the base, "~N", and the first 3 characters of the extension ("Program
// Files.text" -> "PROGRA~1.TEX"). N counts the names of a folder that share base and extension, in the
// order they were created, skipping real names; so numbers stay put when files are added, but may
// shift when one of the same kind is removed. Short names are derived, never stored: every call that
// takes a path accepts them and resolves them back to the long name.
#pragma once

#include "platform/win32types.h"

// The path with every component in its short form. The file must exist (ERROR_FILE_NOT_FOUND /
// ERROR_PATH_NOT_FOUND). Returns the length copied, or the buffer size needed (NUL included) when
// cchBuffer is too small; 0 on failure.
DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer);

// The path with every component in its long form (short names resolved); the same rules as above.
DWORD GetLongPathNameA(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer);
