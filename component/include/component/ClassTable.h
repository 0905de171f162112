// A library's creatable classes, each declared once with its class id, programmatic id, member table and
// creation function, plus the library's type description (those classes, interface-only classes and
// enumerations). The exported entry points and the registration walk this table.
//
//   // In one source file of the library:
//   namespace {
//   velmora::ClassTable makeClassTable() {
//       return velmora::ClassTable(u"Ciphercore")
//           .add<EncryptObject>(u"{4E3B7A10-2C1D-4F8E-9A6B-0D5C3E2F1A01}", u"Ciphercore.EncryptObject")
//           .add<EventHandler>(u"{4E3B7A10-2C1D-4F8E-9A6B-0D5C3E2F1A02}", u"Ciphercore.EventHandler")
//           .enumeration(u"EncryptingStatuses", {{u"Idle", 0}, {u"Encrypting", 3}, {u"Decrypting", 4}});
//   }
//   }  // namespace
//   VELMORA_EXPORT_CLASS_TABLE(makeClassTable)      // see LibraryExports.h
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "component/ClassInfo.h"
#include "component/EnumInfo.h"
#include "component/LibraryInfo.h"
#include "runtime/Object.h"

namespace velmora {

struct CoClass {
    std::u16string clsid;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    std::u16string progId;  // "Library.Class"
    const ClassInfo& (*describe)();
    ObjectRef (*create)();
};

// Whether text is a class id in registry form: braces, 8-4-4-4-12 hexadecimal digits.
bool isGuidText(std::u16string_view text) noexcept;

class ClassTable {
  public:
    explicit ClassTable(std::u16string libraryName) : m_library(std::move(libraryName)) {}

    // A creatable class: T is default-constructible and has static describe().
    template <class T>
    ClassTable& add(std::u16string clsid, std::u16string progId) {
        return add(CoClass{std::move(clsid), std::move(progId), &T::describe,
                           []() -> ObjectRef { return makeObject<T>(); }});
    }
    // A malformed class id, an empty programmatic id or one already in the table is a declaration fault
    // (std::logic_error).
    ClassTable& add(CoClass entry);
    // A class that is described but not created here (an interface that clients implement).
    ClassTable& describes(const ClassInfo& info);
    ClassTable& enumeration(std::u16string name, std::vector<EnumInfo::Value> values);

    const std::u16string& libraryName() const noexcept { return m_library.name(); }
    std::span<const CoClass> classes() const noexcept { return m_classes; }
    const LibraryInfo& library() const noexcept { return m_library; }

    // Case-insensitive lookups; nullptr when absent.
    const CoClass* findByClsid(std::u16string_view clsid) const noexcept;
    const CoClass* findByProgId(std::u16string_view progId) const noexcept;

  private:
    std::vector<CoClass> m_classes;
    LibraryInfo m_library;
};

}  // namespace velmora
