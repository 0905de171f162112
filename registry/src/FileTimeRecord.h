// The platform record FILETIME as the library's type description lists it: two 32-bit halves of a count
// of 100-ns ticks. Not creatable; it documents the record for callers of the registry calls.
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class FileTimeRecord : public Dispatchable<FileTimeRecord> {
  public:
    static const ClassInfo& describe();

    std::int32_t lowDateTime() const { return m_low; }
    void setLowDateTime(std::int32_t value) { m_low = value; }
    std::int32_t highDateTime() const { return m_high; }
    void setHighDateTime(std::int32_t value) { m_high = value; }

  private:
    std::int32_t m_low = 0;
    std::int32_t m_high = 0;
};

}  // namespace velmora
