// The timer table of the calling thread, shared by all its APITimers: records numbered from 1, each
// holding a counted reference to a running timer, its platform id (0: free) and whether its tick runs.
// It grows by 5 records when full; its length is 16-bit, so growing past 32,767 is an overflow (6).
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/Object.h"
#include "runtime/exports.h"
#include "timers/APITimer.h"

namespace velmora {

class VELMORA_API TimerTable {
  public:
    static TimerTable& ofThisThread();

    ~TimerTable();

    // Starts a platform timer for the object and records it; raises kNoTimersAvailable or 6.
    void start(APITimer& timer, std::int32_t interval);
    // Kills the object's platform timer and frees its record; the caller clears the object's timer id.
    void stop(APITimer& timer);
    // The platform's timer callback.
    void tick(std::int32_t id);

    std::int16_t length() const noexcept { return m_length; }
    // The id in record index (1-based); 0 for a free record.
    std::int32_t idAt(std::int16_t index) const { return m_records.at(index - 1).id; }

  private:
    struct Record {
        Ref<APITimer> timer;
        std::int32_t id = 0;
        bool inTick = false;
    };
    std::size_t freeRecord();
    Record* find(std::int32_t id);

    std::vector<Record> m_records;
    std::int16_t m_length = 0;
};

}  // namespace velmora
