// Locale items of the user's default locale, from the C library's locale data of the LC_* / LANG
// variables (as a program started now would see them).
#pragma once

#include "platform/win32types.h"

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr DWORD ERROR_INVALID_FLAGS = 1004;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;  // "German (Germany)": language and territory, in English
constexpr LCTYPE LOCALE_SCOUNTRY = 0x0006;   // "Germany", in English
constexpr LCTYPE LOCALE_SCURRENCY = 0x0014;  // "€", "$"
constexpr LCTYPE LOCALE_IDATE = 0x0021;      // short-date order: "0" M-D-Y, "1" D-M-Y, "2" Y-M-D
constexpr LCTYPE LOCALE_ILDATE = 0x0022;     // long-date order, same codes

// Copies the item and its NUL into lpLCData and returns the characters written, NUL included. cchData 0:
// returns the size needed and writes nothing. 0 with ERROR_INSUFFICIENT_BUFFER when the buffer is too
// small (nothing written), ERROR_INVALID_FLAGS for an item not served here, ERROR_INVALID_PARAMETER for
// another locale than the two defaults or a null buffer with a size. In the "C" locale the items are
// the original's invariant ones: "Invariant Language (Invariant Country)", "Invariant Country", the
// generic currency sign "¤". The date order codes come from the locale's date format (D_FMT).
int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);
