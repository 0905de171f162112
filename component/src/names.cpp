// Case-insensitive names for member and class lookups.
#include "component/names.h"

namespace velmora {

bool namesEqual(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldNameChar(a[i]) != foldNameChar(b[i])) return false;
    return true;
}

std::size_t NameHash::operator()(std::u16string_view name) const noexcept {
    // FNV-1a over the folded code units: names are short, and this runs on every late-bound call.
    std::size_t hash = 14695981039346656037ull;
    for (char16_t c : name) {
        hash ^= foldNameChar(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace velmora
