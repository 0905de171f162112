// The dialogs' side of the engine's callback interface: each notification is handed to the dialog's own
// handler. The engine holds this object, the dialog holds the engine, and this object reaches the dialog
// only through the handlers, so no reference cycle keeps either alive.
#pragma once

#include <functional>

#include "component/ClassBuilder.h"
#include "engine/IEventHandler.h"

namespace velmora {

class EngineClient : public Dispatchable<EngineClient, IEventHandler> {
  public:
    using ProgressHandler = std::function<void(std::int32_t percent)>;
    using ErrorHandler = std::function<void(std::int32_t number, const std::u16string& description,
                                            const std::u16string& source)>;

    static const ClassInfo& describe();

    EngineClient(ProgressHandler progress, ErrorHandler error)
        : m_progress(std::move(progress)), m_error(std::move(error)) {}

    void Progress(ObjectRef objEncrypt, std::int32_t Percent) override;
    bool Error(ObjectRef objEncrypt, std::int32_t Number, std::u16string Description,
               std::u16string Source) override;

    // The dialog is going: later notifications find nobody.
    void detach();
    // How many errors arrived since the last look (a refusal without one is the dialog's to explain).
    std::int32_t takeErrorCount();

  private:
    ProgressHandler m_progress;
    ErrorHandler m_error;
    std::int32_t m_errors = 0;
};

}  // namespace velmora
