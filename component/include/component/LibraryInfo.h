// The type description of one library: its classes (creatable or not) and its enumerations, in the order
// they were declared.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "component/ClassInfo.h"
#include "component/EnumInfo.h"

namespace velmora {

class LibraryInfo {
  public:
    explicit LibraryInfo(std::u16string name) : m_name(std::move(name)) {}

    const std::u16string& name() const noexcept { return m_name; }
    const std::vector<const ClassInfo*>& classes() const noexcept { return m_classes; }
    const std::vector<EnumInfo>& enums() const noexcept { return m_enums; }

    // Lookups by name, case-insensitive; nullptr when absent.
    const ClassInfo* findClass(std::u16string_view name) const noexcept;
    const EnumInfo* findEnum(std::u16string_view name) const noexcept;

    // A second class or enumeration of the same name is a declaration fault (std::logic_error).
    void addClass(const ClassInfo& info);
    void addEnum(EnumInfo info);

  private:
    std::u16string m_name;
    std::vector<const ClassInfo*> m_classes;  // tables are static and outlive the description
    std::vector<EnumInfo> m_enums;
};

}  // namespace velmora
