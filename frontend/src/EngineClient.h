// The dialogs' side of the engine's callback interface: each notification is handed to the dialog's own
// handler, progress through a coalescer (one call to the progress window's process per value would slow
// a folder of small files down to the window's pace). The engine holds this object, the dialog holds the
// engine, and this object reaches the dialog only through the handlers, so no reference cycle keeps
// either alive.
#pragma once

#include <functional>

#include "common/ProgressCoalescer.h"
#include "component/ClassBuilder.h"
#include "engine/IEventHandler.h"

namespace velmora {

class EngineClient : public Dispatchable<EngineClient, IEventHandler> {
  public:
    using ProgressHandler = ProgressCoalescer::Pass;
    using ErrorHandler = std::function<void(std::int32_t number, const std::u16string& description,
                                            const std::u16string& source)>;

    static const ClassInfo& describe();

    EngineClient(ProgressHandler progress, ErrorHandler error,
                 std::function<ProgressCoalescer::Clock::time_point()> now = ProgressCoalescer::Clock::now)
        : m_progress(std::move(progress), std::move(now)), m_error(std::move(error)) {}

    void Progress(ObjectRef objEncrypt, std::int32_t Percent) override;
    bool Error(ObjectRef objEncrypt, std::int32_t Number, std::u16string Description,
               std::u16string Source) override;

    // Passes the progress value held back, if any (before the window closes).
    void flushProgress() { m_progress.flush(); }
    // The dialog is going: later notifications find nobody.
    void detach();
    // How many errors arrived since the last look (a refusal without one is the dialog's to explain).
    std::int32_t takeErrorCount();

  private:
    ProgressCoalescer m_progress;
    ErrorHandler m_error;
    std::int32_t m_errors = 0;
};

}  // namespace velmora
