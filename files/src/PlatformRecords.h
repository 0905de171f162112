// The platform records the library's type description publishes, with the platform's field names and
// order: FILETIME, SYSTEMTIME, OFSTRUCT, BY_HANDLE_FILE_INFORMATION and SECURITY_ATTRIBUTES. A record
// object holds one value per field; late-bound callers read and write the fields as properties.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "component/ComObject.h"
#include "platform/win32types.h"

namespace velmora {

class RecordObject : public ComObject {
  public:
    RecordObject(const ClassInfo& info, std::size_t fieldCount);
    const ClassInfo& classInfo() const override { return m_info; }

    Variant& field(std::size_t index) { return m_fields.at(index); }

  private:
    const ClassInfo& m_info;
    std::vector<Variant> m_fields;
};

// The record descriptions, in the order the library lists them.
std::span<const ClassInfo* const> platformRecords();

// A FILETIME record holding the time; and the time of a FILETIME record (any object with the two
// fields), of its 8-byte memory image, or of a number of 100-ns ticks. False for anything else.
ObjectRef makeFileTimeRecord(const FILETIME& time);
bool fileTimeOf(const Variant& value, FILETIME& time);

}  // namespace velmora
