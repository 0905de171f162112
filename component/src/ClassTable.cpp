// A library's class table.
#include "component/ClassTable.h"

#include <cctype>
#include <stdexcept>

#include "component/names.h"
#include "runtime/text.h"

namespace velmora {

bool isGuidText(std::u16string_view text) noexcept {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != u'{' || text.back() != u'}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const char16_t c = text[i];
        const bool dashPosition = i == 9 || i == 14 || i == 19 || i == 24;
        const bool hex = c < 128 && std::isxdigit(static_cast<unsigned char>(c));
        if (dashPosition ? c != u'-' : !hex) return false;
    }
    return true;
}

ClassTable& ClassTable::add(CoClass entry) {
    const std::string where = toUtf8(libraryName() + u": " + entry.progId);
    if (!isGuidText(entry.clsid))
        throw std::logic_error(where + ": class id is not {8-4-4-4-12} hexadecimal");
    if (entry.progId.empty()) throw std::logic_error(where + ": no programmatic id");
    if (findByClsid(entry.clsid)) throw std::logic_error(where + ": class id used twice");
    if (findByProgId(entry.progId)) throw std::logic_error(where + ": programmatic id used twice");
    if (!entry.describe || !entry.create)
        throw std::logic_error(where + ": no member table or creation function");
    m_library.addClass(entry.describe());
    m_classes.push_back(std::move(entry));
    return *this;
}

ClassTable& ClassTable::describes(const ClassInfo& info) {
    m_library.addClass(info);
    return *this;
}

ClassTable& ClassTable::enumeration(std::u16string name, std::vector<EnumInfo::Value> values) {
    m_library.addEnum(EnumInfo{std::move(name), std::move(values)});
    return *this;
}

const CoClass* ClassTable::findByClsid(std::u16string_view clsid) const noexcept {
    for (const CoClass& entry : m_classes)
        if (namesEqual(entry.clsid, clsid)) return &entry;
    return nullptr;
}

const CoClass* ClassTable::findByProgId(std::u16string_view progId) const noexcept {
    for (const CoClass& entry : m_classes)
        if (namesEqual(entry.progId, progId)) return &entry;
    return nullptr;
}

}  // namespace velmora
