// The records SystemObject hands out (SYSTEM_INFO, MEMORYSTATUS) and the one it publishes
// (OSVERSIONINFO), with the platform's field names and order. Fields are 32-bit signed, so a saturated
// 0xFFFFFFFF reads -1, as it does for the original's callers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "platform/sysinfo.h"

namespace velmora {

// A record of N 32-bit fields, readable and writable as properties.
template <std::size_t N>
class LongFields {
  public:
    std::int32_t field(std::size_t index) const { return m_fields.at(index); }
    void setField(std::size_t index, std::int32_t value) { m_fields.at(index) = value; }

  protected:
    std::array<std::int32_t, N> m_fields{};
};

class SystemInfoRecord : public Dispatchable<SystemInfoRecord>, public LongFields<9> {
  public:
    static const ClassInfo& describe();
    SystemInfoRecord() = default;
    explicit SystemInfoRecord(const SYSTEM_INFO& info);
};

class MemoryStatusRecord : public Dispatchable<MemoryStatusRecord>, public LongFields<8> {
  public:
    static const ClassInfo& describe();
    MemoryStatusRecord() = default;
    explicit MemoryStatusRecord(const MEMORYSTATUS& status);
};

// Published for callers that make the platform's version query themselves.
class OSVersionInfoRecord : public Dispatchable<OSVersionInfoRecord>, public LongFields<5> {
  public:
    static const ClassInfo& describe();
    std::u16string csdVersion() const { return m_csdVersion; }
    void setCsdVersion(std::u16string value) { m_csdVersion = std::move(value); }

  private:
    std::u16string m_csdVersion;
};

}  // namespace velmora
