// Names the operating system hands over as bytes (program arguments, directory entries) need not be valid
// UTF-8. fromNativeName decodes them so that toUtf8 gives the same bytes back: valid UTF-8 is decoded as
// usual, and each byte 0x80..0xFF that is not part of a valid sequence becomes the lone surrogate
// U+DC00 + byte (U+DC80..U+DCFF), which toUtf8 turns back into that byte. Valid UTF-8 never yields a lone
// surrogate, so the mapping is one to one; the escapes show as U+FFFD-like boxes to a reader.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::u16string fromNativeName(std::string_view bytes);

}  // namespace velmora
