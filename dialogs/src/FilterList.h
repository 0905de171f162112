// The file dialogs' filter text: pairs of description and pattern, each followed by a NUL character.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// filter + description NUL pattern NUL.
std::u16string appendFilterItem(std::u16string_view filter, std::u16string_view description,
                                std::u16string_view pattern);

// "description NUL pattern" of the 1-based pair, or empty when there is no such complete pair.
std::u16string filterPair(std::u16string_view filter, std::int32_t index);

// The text the platform's dialog reads: the complete pairs, each part NUL-terminated, and the closing
// NUL. A last part without its NUL is taken as complete; a description without a pattern is dropped.
std::string platformFilter(std::u16string_view filter);

}  // namespace velmora
