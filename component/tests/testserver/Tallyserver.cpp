// A real component server for the out-of-process tests: one class with by-reference arguments, object
// arguments and results, an event and a callback to a client object.
#include <algorithm>

#include "component/ClassBuilder.h"
#include "component/ClassTable.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/LocalServer.h"
#include "component/calls.h"
#include "runtime/Error.h"

namespace {

using namespace velmora;

class Tally : public Dispatchable<Tally> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<Tally>(u"Tally")
                                          .property(u"Total", &Tally::total, &Tally::setTotal)
                                          .method(u"Add", &Tally::add, {u"Value", opt(u"Step", 1)})
                                          .method(u"Echo", &Tally::echo, {u"Value"})
                                          .method(u"Reverse", &Tally::reverse, {u"Data"})
                                          .method(u"Fail", &Tally::fail, {u"Number"})
                                          .propertySet(u"Listener", &Tally::setListener)
                                          .method(u"Notify", &Tally::notify, {u"Text"})
                                          .method(u"Ask", &Tally::ask, {u"Question"})
                                          .method(u"Child", &Tally::child)
                                          .method(u"Combined", &Tally::combined, {u"Other"})
                                          .event(u"Changed", {arg(u"Total", VarType::Long)})
                                          .build();
        return info;
    }

    EventSource* events() noexcept override { return &m_events; }

    std::int32_t total() const { return m_total; }
    // A count: a negative total is refused (as a member's own validation refuses a value).
    void setTotal(std::int32_t value) {
        if (value < 0) raise(380, u"Invalid property value", u"Tally:Total");
        m_total = value;
    }

    // Adds Step, hands the new total back through Value and announces it; a sink may change the
    // announced total, and what it sets is kept.
    std::int32_t add(std::int32_t& value, std::int32_t step) {
        m_total += step;
        m_events.fire(u"Changed", byRef(m_total));
        value = m_total;
        return m_total;
    }

    Variant echo(const Variant& value) { return value; }

    void reverse(std::vector<std::uint8_t>& data) { std::reverse(data.begin(), data.end()); }

    void fail(std::int32_t number) { raise(number, u"Failed on purpose", u"Tally:Fail"); }

    void setListener(ObjectRef listener) { m_listener = std::move(listener); }
    Variant notify(const std::u16string& text) { return call(m_listener, u"Notify", text); }

    // Asks the listener, which answers through its by-reference second argument.
    Variant ask(const std::u16string& question) {
        Variant answer;
        call(m_listener, u"Answer", question, answer);
        return answer;
    }

    Ref<Tally> child() {
        auto made = makeObject<Tally>();
        made->m_total = m_total + 1;
        return made;
    }

    // Other must be a Tally of this process: one handed out earlier comes back as itself.
    std::int32_t combined(Ref<Tally> other) {
        if (!other) raise(err::ObjectNotSet);
        return m_total + other->m_total;
    }

  private:
    std::int32_t m_total = 0;
    ObjectRef m_listener;
    EventSource m_events{*this};
};

ClassTable makeClassTable() {
    return ClassTable(u"Tallyserver")
        .add<Tally>(u"{3C9A1E52-7B4D-4F06-A1C8-5D2E9F0B6A37}", u"Tallyserver.Tally");
}

}  // namespace

int main(int argc, char** argv) {
    static const ClassTable table = makeClassTable();
    return runLocalServer(table, argc, argv);
}
