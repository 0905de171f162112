#include "strings/ParsingObject.h"

#include <vector>

#include "runtime/Error.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {

// The piece counter is 16-bit: one more separator than this overflows it.
constexpr std::size_t kMaxSeparators = 32767;

Variant variantArray(std::vector<std::u16string>& pieces) {
    SafeArray array(VarType::Variant, {{0, static_cast<std::int32_t>(pieces.size())}});
    for (std::size_t i = 0; i < pieces.size(); ++i) array.items()[i] = Variant(std::move(pieces[i]));
    return Variant(std::move(array));
}

}  // namespace

const ClassInfo& ParsingObject::describe() {
    static const ClassInfo info =
        ClassBuilder<ParsingObject>(u"ParsingObject")
            .method(u"StrSplit", &ParsingObject::StrSplit, {u"Text", u"SplitOn", opt(u"Compare", 0)})
            .build();
    return info;
}

Variant ParsingObject::StrSplit(std::u16string Text, std::u16string& SplitOn, std::int32_t& Compare) {
    // An empty separator matches at every step without consuming anything, so the counter is bound to
    // overflow: fail at once instead of after 32,768 empty pieces.
    if (SplitOn.empty()) raise(err::Overflow);
    std::vector<std::u16string> pieces;
    std::int32_t from = 1;  // the remaining text starts here
    for (;;) {
        const std::int32_t at = InStr(from, Text, SplitOn, Compare);
        if (at == 0) break;
        if (pieces.size() == kMaxSeparators) raise(err::Overflow);
        pieces.push_back(Text.substr(from - 1, at - from));
        from = at + static_cast<std::int32_t>(SplitOn.size());
    }
    pieces.push_back(from > static_cast<std::int32_t>(Text.size()) ? std::u16string()
                                                                   : Text.substr(from - 1));
    return variantArray(pieces);
}

}  // namespace velmora
