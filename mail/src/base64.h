// Base64 as the SMTP client writes it: the standard alphabet with "=" padding, whole or broken into lines.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mail {

// Standard base64 of bytes; with breakEvery > 0 a CR LF follows every breakEvery characters of output,
// except after the last piece.
std::string base64(std::string_view bytes, int breakEvery = 0);

// An attachment's body: lines of 68 characters (17 groups of four), every line, the last shorter one
// too, ended by CR LF. Empty input gives no line at all.
std::string base64Lines(std::string_view bytes);

}  // namespace velmora::mail
