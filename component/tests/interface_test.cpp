// A class that implements another class's interface: the interface's table reaches the implementation's
// overrides, and the implementation may add members of its own after the inherited ones.
#include <gtest/gtest.h>

#include <vector>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/calls.h"

namespace velmora::test {
namespace {

// The default implementation does nothing, as a callback interface's default class does.
class Callback : public Dispatchable<Callback> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<Callback>(u"Callback")
                .method(u"Progress", &Callback::progress, {u"objSource", u"Percent"})
                .method(u"Error", &Callback::error, {u"Number", u"Description"})
                .build();
        return info;
    }
    virtual void progress(ObjectRef, std::int32_t) {}
    virtual bool error(std::int32_t, const std::u16string&) { return false; }
};

class Dialog : public Dispatchable<Dialog, Callback> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<Dialog>(u"Dialog")
                                          .inherit(Callback::describe())
                                          .propertyGet(u"Seen", &Dialog::seen)
                                          .build();
        return info;
    }
    void progress(ObjectRef, std::int32_t percent) override { m_seen.push_back(percent); }
    bool error(std::int32_t number, const std::u16string&) override { return number != 0; }
    std::int32_t seen() const { return static_cast<std::int32_t>(m_seen.size()); }

    std::vector<std::int32_t> m_seen;
};

TEST(InterfaceTest, InterfaceMembersReachTheImplementation) {
    const Ref<Dialog> dialog = makeObject<Dialog>();
    const Ref<Callback> asCallback = dialog;
    call(asCallback, u"Progress", Variant::nothing(), 40);
    EXPECT_EQ(dialog->m_seen, std::vector<std::int32_t>{40});
    EXPECT_TRUE(call(asCallback, u"Error", 5, u"bad").toBool());
    EXPECT_EQ(getProperty(dialog, u"Seen").toLong(), 1);
    EXPECT_EQ(dialog->typeName(), u"Dialog");

    // Inherited members keep the interface's order, ahead of the class's own.
    const auto members = Dialog::describe().members();
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, u"Progress");
    EXPECT_EQ(members[1].name, u"Error");
    EXPECT_EQ(members[2].name, u"Seen");

    // The default class answers the same calls and does nothing.
    EXPECT_FALSE(call(makeObject<Callback>(), u"Error", 5, u"bad").toBool());
}

}  // namespace
}  // namespace velmora::test
