// A real component library for the creation and objcall tests: one class with a by-reference method,
// an event, an object property and a member that raises.
#include "component/ClassBuilder.h"
#include "component/ClassTable.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/LibraryExports.h"
#include "component/calls.h"
#include "runtime/Error.h"

namespace {

using namespace velmora;

class Counter : public Dispatchable<Counter> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<Counter>(u"Counter")
                                          .property(u"Total", &Counter::total, &Counter::setTotal)
                                          .method(u"Add", &Counter::add, {u"Value", opt(u"Step", 1)})
                                          .method(u"Echo", &Counter::echo, {u"Value"})
                                          .method(u"Fail", &Counter::fail, {u"Number"})
                                          .propertySet(u"Listener", &Counter::setListener)
                                          .method(u"Notify", &Counter::notify, {u"Text"})
                                          .event(u"Changed", {arg(u"Total", VarType::Long)})
                                          .build();
        return info;
    }

    EventSource* events() noexcept override { return &m_events; }

    std::int32_t total() const { return m_total; }
    void setTotal(std::int32_t value) { m_total = value; }

    // Adds Step to the total, hands the new total back through Value and announces it.
    std::int32_t add(std::int32_t& value, std::int32_t step) {
        m_total += step;
        value = m_total;
        m_events.fire(u"Changed", m_total);
        return m_total;
    }

    Variant echo(const Variant& value) { return value; }

    void fail(std::int32_t number) { raise(number, u"Failed on purpose", u"Counter:Fail"); }

    void setListener(ObjectRef listener) { m_listener = std::move(listener); }
    void notify(const std::u16string& text) { call(m_listener, u"Notify", text); }

  private:
    std::int32_t m_total = 0;
    ObjectRef m_listener;
    EventSource m_events{*this};
};

ClassTable makeClassTable() {
    return ClassTable(u"Countlib")
        .add<Counter>(u"{6F1C2B3A-9D4E-4A5B-8C7D-0E1F2A3B4C5D}", u"Countlib.Counter");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
