// The platform's string functions on UTF-16 text: positions are 1-based and count code units.
// Argument errors are the platform's: 5 "Invalid procedure call or argument" for a start below 1, a
// negative length or count, and the like.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Variant.h"

namespace velmora {

enum VbCompareMethod : int {
    vbBinaryCompare = 0,  // code unit by code unit
    vbTextCompare = 1,    // ignoring case (simple case folding of Latin, Greek and Cyrillic letters)
};

std::int32_t Len(std::u16string_view s);
// The first / last `length` characters (all of them when longer than s); error 5 for a negative length.
std::u16string Left(std::u16string_view s, std::int32_t length);
std::u16string Right(std::u16string_view s, std::int32_t length);
// The characters from `start` on (empty past the end); error 5 for start < 1 or a negative length.
std::u16string Mid(std::u16string_view s, std::int32_t start);
std::u16string Mid(std::u16string_view s, std::int32_t start, std::int32_t length);
// The Mid statement: overwrites characters of target from start with those of replacement, at most
// `length` of them (all by default, -1), never changing target's length; error 5 for start < 1 or past
// the end of target, or a length below -1.
void MidAssign(std::u16string& target, std::int32_t start, std::u16string_view replacement,
               std::int32_t length = -1);

// The position of find in s from start, or 0; an empty find gives start, an empty s or a start past
// its end 0; error 5 for start < 1 or a compare other than 0 / 1.
std::int32_t InStr(std::int32_t start, std::u16string_view s, std::u16string_view find,
                   int compare = vbBinaryCompare);
std::int32_t InStr(std::u16string_view s, std::u16string_view find, int compare = vbBinaryCompare);
// The position of the last find that ends at or before start (-1: the end of s), or 0; error 5 for a
// start of 0 or below -1.
std::int32_t InStrRev(std::u16string_view s, std::u16string_view find, std::int32_t start = -1,
                      int compare = vbBinaryCompare);
// -1, 0 or 1 as a sorts before, equal to or after b.
int StrComp(std::u16string_view a, std::u16string_view b, int compare = vbBinaryCompare);

// Spaces (U+0020) only, as the platform trims.
std::u16string Trim(std::u16string_view s);
std::u16string LTrim(std::u16string_view s);
std::u16string RTrim(std::u16string_view s);
std::u16string LCase(std::u16string_view s);
std::u16string UCase(std::u16string_view s);
// StrConv(s, vbProperCase): the first letter of each word upper case, the others lower case.
std::u16string ProperCase(std::u16string_view s);

// Replace: the text from `start` on (the part before start is dropped, as the platform does) with at
// most `count` (-1: all) occurrences of find replaced; an empty find replaces nothing.
std::u16string Replace(std::u16string_view s, std::u16string_view find, std::u16string_view with,
                       std::int32_t start = 1, std::int32_t count = -1, int compare = vbBinaryCompare);
std::u16string Space(std::int32_t count);
// String(count, character): the first character of a text, or a character code (taken modulo 65536);
// error 5 for a negative count or an empty text.
std::u16string String(std::int32_t count, std::u16string_view character);
std::u16string String(std::int32_t count, std::int32_t code);
std::u16string StrReverse(std::u16string_view s);

// Split: an empty s gives no element; an empty delimiter gives s as one element; a limit of 0 gives no
// element and a positive limit puts the unsplit rest in the last element; error 5 for a limit below -1.
std::vector<std::u16string> Split(std::u16string_view s, std::u16string_view delimiter = u" ",
                                  std::int32_t limit = -1, int compare = vbBinaryCompare);
std::u16string Join(const std::vector<std::u16string>& parts, std::u16string_view delimiter = u" ");
// A String() array with lower bound 0 (no element: UBound -1), as Split returns to the language.
Variant stringArray(const std::vector<std::u16string>& parts);
// Join over a one-dimensional array: each element converted with CStr.
std::u16string Join(const Variant& array, std::u16string_view delimiter = u" ");

// Chr: codes 0..255 (the platform's "ANSI" codes; 128..255 give U+0080..U+00FF); error 5 otherwise.
std::u16string Chr(std::int32_t code);
// ChrW: -32768..65535 (negative codes as their 16-bit pattern); error 5 otherwise.
std::u16string ChrW(std::int32_t code);
// Asc: the code of the first character, 63 ("?") for a character outside 0..255; error 5 for empty text.
std::int32_t Asc(std::u16string_view s);
// AscW: the first code unit as the platform's 16-bit Integer (so U+FFFF is -1); error 5 for empty text.
std::int32_t AscW(std::u16string_view s);

// Hex / Oct of a number: whole numbers of their own width (an Integer -1 is "FFFF", a Long "FFFFFFFF",
// a Byte up to "FF"); others are rounded to a Long first (error 6 outside its range, 13 for text that is
// not a number, 94 for Null).
std::u16string Hex(const Variant& number);
std::u16string Oct(const Variant& number);
// Val: the leading number of a text, blanks anywhere ignored, '.' the decimal point, &H / &O literals
// (&HFFFF is -1, as an Integer literal); 0 when the text does not start with a number.
// Error 6 when the number is beyond a Double or an &H literal beyond 32 bits.
double Val(std::u16string_view s);
// Str: the text form of a number with a leading blank when it is not negative.
std::u16string Str(const Variant& number);

// Like: "?" one character, "*" any run, "#" one digit, "[a-z]" / "[!a-z]" character lists;
// error 93 "Invalid pattern string" for an unclosed "[".
bool Like(std::u16string_view s, std::u16string_view pattern, int compare = vbBinaryCompare);

// Case mapping of one code unit, shared with the comparisons.
char16_t lowerChar(char16_t c);
char16_t upperChar(char16_t c);

}  // namespace velmora
