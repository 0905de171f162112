// A library's type description.
#include "component/LibraryInfo.h"

#include <stdexcept>

#include "component/names.h"
#include "runtime/text.h"

namespace velmora {

const ClassInfo* LibraryInfo::findClass(std::u16string_view name) const noexcept {
    for (const ClassInfo* info : m_classes)
        if (namesEqual(info->name(), name)) return info;
    return nullptr;
}

const EnumInfo* LibraryInfo::findEnum(std::u16string_view name) const noexcept {
    for (const EnumInfo& info : m_enums)
        if (namesEqual(info.name, name)) return &info;
    return nullptr;
}

void LibraryInfo::addClass(const ClassInfo& info) {
    if (findClass(info.name()))
        throw std::logic_error(toUtf8(m_name + u"." + info.name()) + ": declared twice");
    m_classes.push_back(&info);
}

void LibraryInfo::addEnum(EnumInfo info) {
    if (findEnum(info.name)) throw std::logic_error(toUtf8(m_name + u"." + info.name) + ": declared twice");
    m_enums.push_back(std::move(info));
}

}  // namespace velmora
