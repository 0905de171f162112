// Text crosses component interfaces as UTF-16; the platform's "ANSI code page" is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// UTF-16 to UTF-8; a lone U+DC80..U+DCFF gives back the byte it escapes (nativenames.h), others U+FFFD.
std::string toUtf8(std::u16string_view text);
// UTF-8 to UTF-16; an invalid byte sequence becomes U+FFFD, so no input is rejected.
std::u16string fromUtf8(std::string_view text);
// Short form for literals and test code: u8"..." / "..." to UTF-16.
inline std::u16string operator""_u(const char* text, std::size_t length) {
    return fromUtf8(std::string_view(text, length));
}

}  // namespace velmora
