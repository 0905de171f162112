#include "MRUObject.h"

#include <algorithm>

#include "platform/win32types.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {

// What Load makes of the stored capacity: 0, a missing value and anything that is no 16-bit number
// give the default.
std::int16_t storedCapacity(const std::u16string& text, std::int16_t fallback) {
    const double value = Val(text);
    if (value == 0 || value < -32768 || value > 32767) return fallback;
    return static_cast<std::int16_t>(value);
}

}  // namespace

const ClassInfo& MRUObject::describe() {
    static const ClassInfo info =
        ClassBuilder<MRUObject>(u"MRUObject")
            .propertyGet(u"Count", &MRUObject::Count)
            .property(u"MaxEntries", &MRUObject::MaxEntries, &MRUObject::setMaxEntries)
            .propertyGet(u"Item", &MRUObject::Item, {u"intIndex"})
            .asDefault()
            .method(u"AddNew", &MRUObject::AddNew, {u"strFileName"})
            .method(u"Load", &MRUObject::Load, {u"strKeyPath"})
            .method(u"Save", &MRUObject::Save, {u"strKeyPath"})
            .build();
    return info;
}

std::u16string MRUObject::Item(std::int16_t& intIndex) const {
    if (intIndex < 1 || intIndex > Count()) raise(err::SubscriptOutOfRange);
    return m_entries[static_cast<std::size_t>(intIndex - 1)];
}

bool MRUObject::AddNew(std::u16string& strFileName) {
    const auto found = std::find(m_entries.begin(), m_entries.end(), strFileName);
    if (found != m_entries.end()) {
        std::rotate(m_entries.begin(), found, found + 1);
        return true;
    }
    if (strFileName.empty()) return false;
    // With fewer than two places there is no room for a new name: refuse it rather than drop it silently.
    if (m_maxEntries < 2) return false;
    if (Count() + 1 >= m_maxEntries && !m_entries.empty()) m_entries.pop_back();
    m_entries.insert(m_entries.begin(), strFileName);
    return true;
}

void MRUObject::Load(std::u16string& strKeyPath) {
    m_keyPath = strKeyPath;
    std::int32_t root = HKeyLocalMachine;
    m_maxEntries =
        storedCapacity(m_registry->GetKeyValue(root, strKeyPath, u"mruMaxEntries"), kDefaultMaxEntries);
    const std::u16string stored = m_registry->GetKeyValue(root, strKeyPath, u"mru");
    m_entries.clear();
    if (stored == u"Error") return;  // not a list this object wrote (a multi-string has no text form)
    for (std::u16string& name : Split(stored, std::u16string_view(u"\0", 1)))
        if (!name.empty()) m_entries.push_back(std::move(name));
}

// Reports whether the list reached the registry: a caller that saves wants to know.
bool MRUObject::Save(std::u16string& strKeyPath) {
    std::int32_t root = HKeyLocalMachine;
    std::vector<std::u16string> positions{u""};  // the unused position 0 leads the stored form
    positions.insert(positions.end(), m_entries.begin(), m_entries.end());
    const bool capacityWritten =
        m_registry->SetKeyValue(root, strKeyPath, u"mruMaxEntries", Variant(m_maxEntries)) == ERROR_SUCCESS;
    Variant list = stringArray(positions);
    const bool listWritten = m_registry->SetKeyValue(root, strKeyPath, u"mru",
                                                     Variant(m_registry->ToMultiSZ(list))) == ERROR_SUCCESS;
    return capacityWritten && listWritten;
}

}  // namespace velmora
