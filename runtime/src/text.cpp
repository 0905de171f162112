// UTF-8 <-> UTF-16 at the edges of the component interfaces.
#include "runtime/text.h"

#include "runtime/nativenames.h"

namespace velmora {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
// Lone low surrogates that stand for the bytes 0x80..0xFF of a name that is not valid UTF-8.
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}
}  // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= kEscapeFirst && c <= kEscapeLast) {
            out += static_cast<char>(c - 0xDC00);
            continue;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

namespace {
// Decodes UTF-8; a byte that starts no valid sequence becomes U+FFFD, or its escape when escapeBytes.
std::u16string decodeUtf8(std::string_view text, bool escapeBytes) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80         ? 0
                    : (lead >> 5) == 6  ? 1
                    : (lead >> 4) == 14 ? 2
                    : (lead >> 3) == 30 ? 3
                                        : -1;
        char32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool ok = extra >= 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= text.size()) {
                ok = false;
                break;
            }
            unsigned char cont = static_cast<unsigned char>(text[i + k]);
            if ((cont >> 6) != 2) {
                ok = false;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        // Reject overlong forms, surrogates and values past U+10FFFF.
        static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (!ok) {
            appendUtf16(out, escapeBytes ? 0xDC00 + lead : kReplacement);
            ++i;
            continue;
        }
        appendUtf16(out, c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}
}  // namespace

std::u16string fromUtf8(std::string_view text) {
    return decodeUtf8(text, false);
}

std::u16string fromNativeName(std::string_view bytes) {
    return decodeUtf8(bytes, true);
}

}  // namespace velmora
