// Release behaviour: the last reference destroys an object, references an object hands out to itself
// keep it alive, and a late-bound call keeps its target alive while it runs.
#include <gtest/gtest.h>

#include "SampleClasses.h"
#include "component/calls.h"

namespace velmora::test {
namespace {

TEST(LifetimeTest, LastReferenceDestroysTheObject) {
    LiveCount live;
    Ref<Sample> first = makeObject<Sample>(&live);
    Ref<Sample> second = first;
    EXPECT_EQ(live.value, 1);
    first.reset();
    EXPECT_EQ(live.value, 1);
    second.reset();
    EXPECT_EQ(live.value, 0);
}

TEST(LifetimeTest, ReferenceAnObjectHandsOutToItselfKeepsItAlive) {
    LiveCount live;
    Ref<Sample> sample = makeObject<Sample>(&live);
    Variant self = call(sample, u"Self");
    EXPECT_EQ(self.toObject(), ObjectRef(sample));
    EXPECT_EQ(sample->refCount(), 2);
    sample.reset();
    EXPECT_EQ(live.value, 1);
    self = Variant();
    EXPECT_EQ(live.value, 0);
}

TEST(LifetimeTest, ArgumentsAndPropertiesHoldTheirObjects) {
    LiveCount live;
    Ref<Sample> holder = makeObject<Sample>(&live);
    {
        Ref<Sample> partner = makeObject<Sample>(&live);
        setProperty(holder, u"Partner", partner);
    }
    EXPECT_EQ(live.value, 2);
    holder.reset();  // releases its partner with it
    EXPECT_EQ(live.value, 0);
}

// Drops the caller's variable from inside a call, as a handler that releases its source does.
class Dropper : public Dispatchable<Dropper> {
  public:
    Dropper(LiveCount* live, ObjectRef* variable) : m_live(live), m_variable(variable) { ++m_live->value; }
    ~Dropper() override { --m_live->value; }
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<Dropper>(u"Dropper").method(u"Drop", &Dropper::drop).build();
        return info;
    }
    std::int32_t drop() {
        m_variable->reset();
        return m_live->value;  // touches this after the release: must still be alive
    }

  private:
    LiveCount* m_live;
    ObjectRef* m_variable;
};

TEST(LifetimeTest, CallByNameKeepsItsTargetAliveUntilTheCallReturns) {
    LiveCount live;
    ObjectRef variable;
    variable = makeObject<Dropper>(&live, &variable);
    std::vector<Variant> none;
    EXPECT_EQ(callByName(variable, u"Drop", InvokeMethod, none), Variant(1));
    EXPECT_EQ(live.value, 0);
}

}  // namespace
}  // namespace velmora::test
