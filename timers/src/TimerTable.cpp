#include "timers/TimerTable.h"

#include <limits>

#include "runtime/Error.h"
#include "ui/timers.h"

namespace velmora {
namespace {

constexpr std::int16_t kGrowth = 5;

void CALLBACK_timerProc(HWND, UINT, UINT_PTR idEvent, DWORD) {
    TimerTable::ofThisThread().tick(static_cast<std::int32_t>(idEvent));
}

}  // namespace

TimerTable& TimerTable::ofThisThread() {
    thread_local TimerTable table;
    return table;
}

TimerTable::~TimerTable() {
    // Released timers may end here; they must not find a half-destroyed table.
    std::vector<Record> records;
    records.swap(m_records);
    m_length = 0;
}

std::size_t TimerTable::freeRecord() {
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_length); ++i)
        if (m_records[i].id == 0) return i;
    if (m_length > std::numeric_limits<std::int16_t>::max() - kGrowth) raise(err::Overflow);
    m_length = static_cast<std::int16_t>(m_length + kGrowth);
    m_records.resize(static_cast<std::size_t>(m_length));
    return static_cast<std::size_t>(m_length - kGrowth);
}

void TimerTable::start(APITimer& timer, std::int32_t interval) {
    const UINT_PTR id = SetTimer(0, 0, static_cast<UINT>(interval), &CALLBACK_timerProc);
    if (id == 0) raise(kNoTimersAvailable, u"No timers available", u"Tickwork.APITimer");
    std::size_t index = 0;
    try {
        index = freeRecord();
    } catch (...) {
        KillTimer(0, id);  // a timer without a record would only be killed at its first tick
        throw;
    }
    Record& record = m_records[index];
    record.timer = Ref<APITimer>(&timer);
    record.id = static_cast<std::int32_t>(id);
    record.inTick = false;
    timer.m_timerId = record.id;
}

TimerTable::Record* TimerTable::find(std::int32_t id) {
    if (id == 0) return nullptr;
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_length); ++i)
        if (m_records[i].id == id) return &m_records[i];
    return nullptr;
}

void TimerTable::stop(APITimer& timer) {
    Record* record = find(timer.m_timerId);
    if (!record) return;
    KillTimer(0, static_cast<UINT_PTR>(record->id));
    record->id = 0;
    record->timer.reset();  // the caller holds the object while it clears its timer id
}

void TimerTable::tick(std::int32_t id) {
    Record* record = find(id);
    if (!record) {
        KillTimer(0, static_cast<UINT_PTR>(id));
        return;
    }
    if (record->inTick) return;  // a tick that arrives while the previous one runs is dropped
    const std::size_t index = static_cast<std::size_t>(record - m_records.data());
    record->inTick = true;
    const Ref<APITimer> timer = record->timer;  // alive through the tick even if the handler stops it
    try {
        timer->RaiseTick();
    } catch (...) {
        // A failing handler stops its timer for good, silently. The table may have grown meanwhile.
        KillTimer(0, static_cast<UINT_PTR>(id));
        if (Record* failed = find(id)) {
            failed->id = 0;
            failed->timer.reset();
        }
    }
    if (index < m_records.size()) m_records[index].inTick = false;
}

}  // namespace velmora
