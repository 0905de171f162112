#include "help/ToolTips.h"

#include "component/Enumerator.h"
#include "controls.h"
#include "timers/APITimer.h"
#include "timers/ITick.h"

namespace velmora {

// The timer's callback: forwards ticks to the collection while it lives. It holds the collection by a
// plain pointer, which the collection clears as it goes, so timer and collection form no cycle.
class HoverSink : public Dispatchable<HoverSink, ITick> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<HoverSink>(u"HoverSink").inherit(ITick::describe()).build();
        return info;
    }
    explicit HoverSink(ToolTips* owner) : m_owner(owner) {}
    void Tick(ObjectRef&) override {
        if (m_owner) m_owner->tick();
    }
    void disconnect() noexcept { m_owner = nullptr; }

  private:
    ToolTips* m_owner;
};

namespace {

constexpr std::int32_t kTickMilliseconds = 1000;

}  // namespace

const ClassInfo& ToolTips::describe() {
    static const ClassInfo info =
        ClassBuilder<ToolTips>(u"ToolTips")
            .property(u"Delay", &ToolTips::Delay, &ToolTips::setDelay)
            .propertyGet(u"Count", &ToolTips::Count)
            .method(u"Add", &ToolTips::Add,
                    {u"Form", u"Control", u"ToolTipText", opt(u"Key", Variant(u"")),
                     opt(u"ToolTipTitle", Variant(u"")), opt(u"toolTipStyle", Variant(std::int32_t{SIMPLE})),
                     opt(u"ToolTipIcon", Variant(std::int32_t{NONE})),
                     opt(u"ToolTipBehavior", Variant(std::int32_t{NON_TRACKING}))})
            .propertyGet(u"NewEnum", &ToolTips::NewEnum)
            .method(u"Item", &ToolTips::Item, {u"Key"})
            .asDefault()
            .method(u"Remove", &ToolTips::Remove, {u"Key"})
            .build();
    return info;
}

ToolTips::ToolTips() : m_sink(makeObject<HoverSink>(this)) {
    auto timer = makeObject<APITimer>();
    timer->setITick(ObjectRef(m_sink));
    timer->setInterval(kTickMilliseconds);
    m_timer = ObjectRef(timer);
    // Without a GUI there is no timer to have; the tooltips then simply never show by hovering.
    try {
        timer->setEnabled(true);
    } catch (const RuntimeError&) {
    }
}

ToolTips::~ToolTips() {
    m_sink->disconnect();
    for (const Variant& item : m_items) {
        if (auto tip = item.toObject().as<ToolTip>()) tip->detach();
    }
    if (auto* timer = dynamic_cast<APITimer*>(m_timer.get())) timer->setEnabled(false);
}

Ref<ToolTip> ToolTips::Add(ObjectRef& Form, ObjectRef& Control, std::u16string ToolTipText,
                           std::u16string Key, std::u16string ToolTipTitle, std::int32_t toolTipStyle,
                           std::int32_t ToolTipIcon, std::int32_t ToolTipBehavior) {
    auto tip = makeObject<ToolTip>();
    tip->createWindow(Form, toolTipStyle);
    tip->attach(Control, ToolTipText, ToolTipTitle, ToolTipIcon, ToolTipBehavior);
    m_items.Add(Variant(ObjectRef(tip)), Key.empty() ? Variant::missing() : Variant(Key));
    return tip;
}

ObjectRef ToolTips::NewEnum() const {
    return ObjectRef(makeObject<Enumerator>(m_items));
}

Ref<ToolTip> ToolTips::Item(Variant Key) const {
    return m_items.Item(Key).toObject().as<ToolTip>();
}

void ToolTips::Remove(Variant& Key) {
    Ref<ToolTip> tip = Item(Key);
    if (tip) tip->detach();
    if (tip && tip == m_hovered) {
        m_hovered = nullptr;
        m_hovering = false;
        m_ticks = 0;
    }
    m_items.Remove(Key);
}

std::int32_t ToolTips::hoveredIndex() const noexcept {
    if (!m_hovering) return 0;
    std::int32_t index = 0;
    for (const Variant& item : m_items) {
        ++index;
        if (item.toObject().get() == m_hovered.get()) return index;
    }
    return 0;
}

void ToolTips::tick() {
    if (!m_hovering) {
        for (const Variant& item : m_items) {
            Ref<ToolTip> tip = item.toObject().as<ToolTip>();
            if (tip && help::mouseOver(tip->Ctl())) {
                m_hovered = tip;
                m_hovering = true;
                m_ticks = 1;
            }
        }
        return;
    }
    if (help::mouseOver(m_hovered->Ctl())) {
        if (m_ticks == m_delay) {
            m_hovered->setActivate(ACTIVATION_CENTER, 0, 0, true);
            m_ticks = 0;
        } else if (m_ticks < m_delay) {
            ++m_ticks;
        }
    } else {
        m_hovered->setActivate(ACTIVATION_CENTER, 0, 0, false);
        m_hovered = nullptr;
        m_hovering = false;
        m_ticks = 0;
    }
}

}  // namespace velmora
