// The pieces of a message and of the greeting that come from the caller's text, made safe to send: a
// display name that cannot close its quotes, line ends the data phase cannot misread, a greeting domain
// that is one, a date with its zone, an attachment's name without its folders.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace velmora::mail {

// A display name as a header's phrase: a quoted string with '"' and '\' escaped when the name is
// printable ASCII, otherwise encoded words (UTF-8, base64). Line breaks are blanks in either form.
std::string displayName(std::string_view utf8);

// The text of a quoted header parameter (a file name): '"' and '\' escaped, line breaks as blanks.
std::string quotedText(std::string_view utf8);

// Every bare CR and bare LF becomes CR LF, so that no line of the data ends any other way (a lone LF
// before "." CR LF would end the data early on a lenient server).
std::string withCrLf(std::string_view text);

// Whether text may follow HELO or EHLO: a domain name (letters, digits and hyphens in dot-separated
// labels of 1 to 63 characters, 253 at most in all) or an address literal ("[192.0.2.1]", "[IPv6:...]").
bool isGreetingDomain(std::string_view text);

// "Ddd, dd Mmm yyyy hh:mm:ss +hhmm" in local time, with English names whatever the locale.
std::string dateHeader(std::time_t when);

// The name part of a path: what follows the last "\" or "/" (the whole text when there is neither).
std::u16string fileTitle(const std::u16string& path);

}  // namespace velmora::mail
