// Collection: positions, keys and the platform's errors.
#include "runtime/Collection.h"

#include <algorithm>

#include "runtime/Error.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

bool isNumber(const Variant& v) {
    if (v.isArray()) return false;
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Byte:
        case VarType::Boolean:
        case VarType::Date:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::size_t Collection::findKey(std::u16string_view foldedKey) const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_hasKey[i] && m_keys[i] == foldedKey) return i;
    return npos;
}

std::size_t Collection::positionOf(const Variant& indexOrKey) const {
    if (indexOrKey.isString()) {
        std::size_t at = findKey(LCase(indexOrKey.stringRef()));
        if (at == npos) raise(err::InvalidProcedureCall);
        return at;
    }
    if (!isNumber(indexOrKey)) raise(err::InvalidProcedureCall);
    std::int32_t index = indexOrKey.toLong();
    if (index < 1 || index > Count()) raise(err::SubscriptOutOfRange);
    return static_cast<std::size_t>(index - 1);
}

namespace {

template <class List>
void reserveOneMore(List& list) {
    if (list.size() == list.capacity()) list.reserve(std::max<std::size_t>(8, list.size() * 2));
}

}  // namespace

void Collection::Add(const Variant& item, const Variant& key, const Variant& before, const Variant& after) {
    bool hasKey = !key.isMissing();
    std::u16string folded;
    if (hasKey) {
        if (!key.isString()) raise(err::TypeMismatch);
        folded = LCase(key.stringRef());
        if (findKey(folded) != npos) raise(err::KeyAlreadyAssociated);
    }
    if (!before.isMissing() && !after.isMissing()) raise(err::InvalidProcedureCall);
    std::size_t at = m_items.size();
    if (!before.isMissing())
        at = positionOf(before);
    else if (!after.isMissing())
        at = positionOf(after) + 1;
    // Reserve first, so that a failing allocation leaves the three lists alike; growing geometrically keeps
    // a run of adds linear.
    reserveOneMore(m_items);
    reserveOneMore(m_keys);
    reserveOneMore(m_hasKey);
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), item);
    m_keys.insert(m_keys.begin() + static_cast<std::ptrdiff_t>(at), std::move(folded));
    m_hasKey.insert(m_hasKey.begin() + static_cast<std::ptrdiff_t>(at), hasKey);
}

Variant Collection::Item(const Variant& indexOrKey) const {
    return m_items[positionOf(indexOrKey)];
}

void Collection::Remove(const Variant& indexOrKey) {
    auto at = static_cast<std::ptrdiff_t>(positionOf(indexOrKey));
    m_items.erase(m_items.begin() + at);
    m_keys.erase(m_keys.begin() + at);
    m_hasKey.erase(m_hasKey.begin() + at);
}

}  // namespace velmora
