// The record PHONENUMBER: a telephone number in parts. ParseNumber keeps its parts in one; the library's
// type description lists it as a record (PhoneNumberRecord), which callers cannot create.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

struct PHONENUMBER {
    std::int32_t DIALCODE = 0;
    std::int32_t AREACODE = 0;
    std::int32_t PREFIX = 0;
    std::u16string NUMBER;
};

// The record's fields as properties, so that the type description shows them in order.
class PhoneNumberRecord : public Dispatchable<PhoneNumberRecord> {
  public:
    static const ClassInfo& describe();

    std::int32_t dialCode() const { return m_record.DIALCODE; }
    void setDialCode(std::int32_t value) { m_record.DIALCODE = value; }
    std::int32_t areaCode() const { return m_record.AREACODE; }
    void setAreaCode(std::int32_t value) { m_record.AREACODE = value; }
    std::int32_t prefix() const { return m_record.PREFIX; }
    void setPrefix(std::int32_t value) { m_record.PREFIX = value; }
    std::u16string number() const { return m_record.NUMBER; }
    void setNumber(std::u16string value) { m_record.NUMBER = std::move(value); }

  private:
    PHONENUMBER m_record;
};

}  // namespace velmora
