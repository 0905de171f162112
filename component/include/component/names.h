// Member, class and programmatic names compare case-insensitively, as late binding does.
// Folding covers ASCII and Latin-1 letters: every name the suite declares is written in those.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

constexpr char16_t foldNameChar(char16_t c) noexcept {
    const bool upperAscii = c >= u'A' && c <= u'Z';
    const bool upperLatin1 = c >= 0xC0 && c <= 0xDE && c != 0xD7;
    return (upperAscii || upperLatin1) ? static_cast<char16_t>(c + 32) : c;
}

// Inline: every late-bound call hashes and compares its member name.
inline bool namesEqual(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && foldNameChar(a[i]) != foldNameChar(b[i])) return false;
    return true;
}

// FNV-1a over the folded code units. Transparent, so a container lookup by string_view allocates nothing.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view name) const noexcept {
        std::size_t hash = 14695981039346656037ull;
        for (char16_t c : name) {
            hash ^= foldNameChar(c);
            hash *= 1099511628211ull;
        }
        return hash;
    }
};

struct NameEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return namesEqual(a, b); }
};

}  // namespace velmora
