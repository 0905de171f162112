// ToolTips: the tooltips of one window. Add creates a ToolTip per control; a one-second APITimer asks
// every tick whether the mouse rests on one of the controls and shows its tooltip after Delay ticks, then
// again every Delay + 1 ticks while the mouse stays, and hides it when the mouse leaves. Releasing the
// collection detaches every tool and stops the timer (the timer reaches the collection through a link the
// collection cuts, so a released collection never ticks on).
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "help/HelpEnums.h"
#include "help/ToolTip.h"
#include "runtime/Collection.h"
#include "runtime/exports.h"

namespace velmora {

class APITimer;
class HoverSink;

class VELMORA_API ToolTips : public Dispatchable<ToolTips> {
  public:
    static const ClassInfo& describe();

    ToolTips();
    ~ToolTips() override;

    std::int32_t Delay() const noexcept { return m_delay; }
    void setDelay(std::int32_t& value) { m_delay = value; }
    std::int32_t Count() const noexcept { return m_items.Count(); }
    // Error 457 for a key already in use (the new tooltip is not kept).
    Ref<ToolTip> Add(ObjectRef& Form, ObjectRef& Control, std::u16string ToolTipText, std::u16string Key,
                     std::u16string ToolTipTitle, std::int32_t toolTipStyle, std::int32_t ToolTipIcon,
                     std::int32_t ToolTipBehavior);
    ObjectRef NewEnum() const;
    // By 1-based position or key: 9 for a position outside 1..Count, 5 for an unknown key.
    Ref<ToolTip> Item(Variant Key) const;
    void Remove(Variant& Key);

    // One timer tick of the hover detection (what the timer's ITick.Tick calls).
    void tick();
    const ObjectRef& timer() const noexcept { return m_timer; }
    // The entry the mouse rests on (0: none) and the ticks counted for it.
    std::int32_t hoveredIndex() const noexcept;
    std::int32_t hoverTicks() const noexcept { return m_ticks; }

  private:
    Collection m_items;
    std::int32_t m_delay = 6;
    Ref<ToolTip> m_hovered;
    bool m_hovering = false;
    std::int32_t m_ticks = 0;
    Ref<HoverSink> m_sink;
    ObjectRef m_timer;
};

}  // namespace velmora
