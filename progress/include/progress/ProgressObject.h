// ProgressObject: puts up and drives the progress window on behalf of a client. Updates are taken only
// between Initialize and Terminate, and unchanged values are not passed on to the window (each write
// crosses a process boundary).
#pragma once

#include <QPointer>
#include <cstdint>
#include <string>

#include "component/ComObject.h"
#include "component/EventSource.h"
#include "progress/frmProgressBar.h"

namespace velmora {

class ProgressObject : public Dispatchable<ProgressObject> {
  public:
    static const ClassInfo& describe();

    ProgressObject();
    ~ProgressObject() override;

    EventSource* events() noexcept override { return &m_events; }

    bool CloseOnComplete() const noexcept { return m_closeOnComplete; }
    void setCloseOnComplete(bool close) noexcept { m_closeOnComplete = close; }
    void setMax(std::int32_t max);
    std::int32_t Max() const noexcept { return m_max; }
    void setMin(std::int32_t min);
    std::int32_t Min() const noexcept { return m_min; }
    void setValue(std::int32_t value);
    std::int32_t value() const noexcept { return m_value; }
    void setStatusText(const std::u16string& text);
    std::u16string StatusText() const { return m_statusText; }
    void setFormCation(const std::u16string& caption);
    std::u16string FormCaption() const { return m_formCaption; }
    std::int32_t Animation() const noexcept { return m_animation; }

    void Initialize(const std::u16string& formCaption, const std::u16string& strProgStatus,
                    std::int32_t progMin, std::int32_t progMax, std::int32_t anim, bool& canCancel,
                    bool& alwaysOnTop);
    void Terminate();
    void AddValue(std::int32_t& lngStep);

    // The window while it is loaded (tests and the server's own checks).
    frmProgressBar* window() const;
    bool initialised() const noexcept { return m_initialised; }

  private:
    std::int32_t m_value = 0;
    std::int32_t m_min = 0;
    std::int32_t m_max = 0;
    std::u16string m_statusText;
    std::u16string m_formCaption;
    bool m_closeOnComplete = false;
    bool m_initialised = false;
    std::int32_t m_animation = 0;
    QPointer<frmProgressBar> m_window;
    EventSource m_events{*this};
};

}  // namespace velmora
