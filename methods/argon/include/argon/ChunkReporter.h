// How a method's operation tells its caller of the chunks it has done: progress at most once per whole
// percent (0 once the key is derived, 100 after the last chunk), and the yield to the caller's message
// queue after every chunk.
#pragma once

#include <cstdint>

#include "argon/Streams.h"
#include "component/ComObject.h"
#include "component/OperationReports.h"
#include "system/SystemObject.h"

namespace velmora::argonbox {

class ChunkReporter final : public ChunkObserver {
  public:
    // system is made again when it has been released.
    ChunkReporter(OperationReports& reports, Ref<SystemObject>& system, const ObjectRef& handler) noexcept
        : m_reports(reports), m_system(system), m_handler(handler) {}

    void progressed(std::uint64_t done, std::uint64_t total) override;

  private:
    OperationReports& m_reports;
    Ref<SystemObject>& m_system;
    const ObjectRef& m_handler;
    std::int32_t m_last = -1;
};

}  // namespace velmora::argonbox
