// Event delivery: order, shared by-reference arguments, skipped sinks, errors, and connection changes
// made by handlers while a raise runs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SampleClasses.h"
#include "component/CallbackSink.h"
#include "runtime/Error.h"
#include "testsupport/Errors.h"

namespace velmora::test {
namespace {

using Log = std::vector<std::string>;

// Handles Progress(ByRef Percent As Long): logs what it saw, adds its step, then runs an optional action.
class ProgressSink : public Dispatchable<ProgressSink> {
  public:
    ProgressSink(Log* log, std::string tag, std::int32_t step)
        : m_log(log), m_tag(std::move(tag)), m_step(step) {}
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<ProgressSink>(u"ProgressSink")
                                          .method(u"Progress", &ProgressSink::progress, {u"Percent"})
                                          .build();
        return info;
    }
    void progress(std::int32_t& percent) {
        m_log->push_back(m_tag + std::to_string(percent));
        percent += m_step;
        if (m_then) m_then();
    }
    std::function<void()> m_then;

  private:
    Log* m_log;
    std::string m_tag;
    std::int32_t m_step;
};

class EventsTest : public ::testing::Test {
  protected:
    Ref<ProgressSink> connect(std::string tag, std::int32_t step, EventSource::Cookie* cookie = nullptr) {
        Ref<ProgressSink> sink = makeObject<ProgressSink>(&m_log, std::move(tag), step);
        const EventSource::Cookie c = m_source->m_events.connect(sink);
        if (cookie) *cookie = c;
        return sink;
    }
    Log m_log;
    Ref<Sample> m_source = makeObject<Sample>();
};

TEST_F(EventsTest, SinksRunInConnectionOrderAndShareByReferenceArguments) {
    connect("a", 1);
    connect("b", 10);
    EXPECT_EQ(m_source->report(5), 16);
    EXPECT_EQ(m_log, (Log{"a5", "b6"}));
}

TEST_F(EventsTest, NoSinkMeansNothingHappens) {
    EXPECT_EQ(m_source->report(5), 5);
}

TEST_F(EventsTest, SinkWithoutTheHandlerIsSkipped) {
    connect("a", 1);
    m_source->m_events.connect(makeObject<Other>());
    connect("b", 1);
    EXPECT_EQ(m_source->report(0), 2);
    EXPECT_EQ(m_log, (Log{"a0", "b1"}));
}

TEST_F(EventsTest, HandlerErrorStopsTheRaiseAndReachesTheRaiser) {
    connect("a", 1)->m_then = [] { raise(vbObjectError + 1, u"handler failed", u"ProgressSink:Progress"); };
    connect("b", 1);
    try {
        m_source->report(0);
        FAIL() << "the handler's error was swallowed";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), vbObjectError + 1);
        EXPECT_EQ(error.source(), u"ProgressSink:Progress");
    }
    EXPECT_EQ(m_log, (Log{"a0"}));
}

TEST_F(EventsTest, DisconnectingDuringARaiseIsSafe) {
    EventSource::Cookie first = 0;
    EventSource::Cookie second = 0;
    Ref<ProgressSink> a = connect("a", 0, &first);
    connect("b", 0, &second);
    connect("c", 0);
    // a drops itself (its last reference is the connection) and b, which is then not called.
    a->m_then = [&] {
        EXPECT_TRUE(m_source->m_events.disconnect(first));
        EXPECT_TRUE(m_source->m_events.disconnect(second));
    };
    a.reset();
    m_source->report(1);
    EXPECT_EQ(m_log, (Log{"a1", "c1"}));
    EXPECT_FALSE(m_source->m_events.disconnect(second));
    m_source->report(2);
    EXPECT_EQ(m_log, (Log{"a1", "c1", "c2"}));
}

TEST_F(EventsTest, SinkConnectedDuringARaiseWaitsForTheNextOne) {
    connect("a", 0)->m_then = [&] {
        if (m_source->m_events.sinkCount() == 1) connect("late", 0);
    };
    m_source->report(1);
    EXPECT_EQ(m_log, (Log{"a1"}));
    m_source->report(2);
    EXPECT_EQ(m_log, (Log{"a1", "a2", "late2"}));
}

TEST_F(EventsTest, RaiserReleasedByAHandlerLivesUntilTheRaiseEnds) {
    LiveCount live;
    Ref<Sample> source = makeObject<Sample>(&live);
    int liveInHandler = -1;
    auto dropSource = makeObject<CallbackSink>([&](std::u16string_view, std::span<Variant>) {
        source.reset();
        liveInHandler = live.value;
    });
    auto after =
        makeObject<CallbackSink>([&](std::u16string_view, std::span<Variant>) { m_log.push_back("after"); });
    source->m_events.connect(dropSource);
    source->m_events.connect(after);
    Variant percent = 1;
    Sample* raw = source.get();
    raw->m_events.fire(u"Progress", percent);
    EXPECT_EQ(liveInHandler, 1);
    EXPECT_EQ(m_log, (Log{"after"}));
    EXPECT_EQ(live.value, 0);
}

TEST_F(EventsTest, CallbackSinkSeesNameAndArgumentsAndCanChangeThem) {
    std::vector<std::u16string> names;
    auto sink = makeObject<CallbackSink>([&](std::u16string_view name, std::span<Variant> args) {
        names.emplace_back(name);
        args[0] = args[0].toLong() * 2;
    });
    const EventSource::Cookie cookie = connectEvents(m_source, sink);
    EXPECT_EQ(m_source->report(21), 42);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Progress"}));

    std::int32_t typed = 4;
    m_source->m_events.fire(u"Progress", byRef(typed));
    EXPECT_EQ(typed, 8);

    EXPECT_TRUE(disconnectEvents(m_source, cookie));
    EXPECT_EQ(m_source->report(21), 21);
}

TEST_F(EventsTest, ConnectingNeedsASourceWithEventsAndASink) {
    auto numberOf = [](const std::function<void()>& action) { return errorNumberOf(action); };
    auto sink = makeObject<CallbackSink>(nullptr);
    EXPECT_EQ(numberOf([&] { connectEvents(ObjectRef(), sink); }), err::ObjectNotSet);
    EXPECT_EQ(numberOf([&] { connectEvents(makeObject<Other>(), sink); }), err::NoSuchMember);
    EXPECT_EQ(numberOf([&] { connectEvents(m_source, ObjectRef()); }), err::ObjectNotSet);
}

}  // namespace
}  // namespace velmora::test
