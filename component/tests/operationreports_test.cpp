// The error path of long operations: what a handler and the event sinks are told, in which order, and
// that a failure never reaches the caller, not even one of the handler's own while it is told.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "component/CallbackSink.h"
#include "component/ClassBuilder.h"
#include "component/OperationReports.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::test {
namespace {

using Log = std::vector<std::string>;

class Reporting : public Dispatchable<Reporting> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<Reporting>(u"Reporting")
                .event(u"Progress", {arg(u"Percent", VarType::Long)})
                .event(u"Error", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String),
                                  arg(u"Source", VarType::String)})
                .build();
        return info;
    }
    EventSource* events() noexcept override { return &m_events; }

    EventSource m_events{*this};
    OperationReports m_reports{m_events};
};

ObjectRef recorder(Log& log, std::string prefix, bool failOnError = false) {
    return makeObject<CallbackSink>(
        [&log, prefix, failOnError](std::u16string_view name, std::span<Variant> args) {
            std::string line = prefix + toUtf8(name);
            for (const Variant& a : args)
                line += " " + (a.isString() ? toUtf8(a.stringRef()) : std::to_string(a.toLong()));
            log.push_back(line);
            if (failOnError && name == u"RaiseError") raise(err::ObjectRequired);
        });
}

TEST(OperationReports, FailuresEndInTheEmptyResultAfterHandlerThenEvent) {
    Ref<Reporting> object = makeObject<Reporting>();
    Log log;
    connectEvents(object, recorder(log, "event "));
    const ObjectRef handler = recorder(log, "");
    auto& reports = object->m_reports;

    EXPECT_EQ(reports.guarded(u"EncryptFile", handler, -1, [] { return 5; }), 5);
    EXPECT_EQ(reports.guarded(u"EncryptFile", handler, -1, []() -> int { raise(err::FileNotFound); }), -1);
    EXPECT_EQ(reports.guarded(u"Op", handler, -1, []() -> int { raise(5, u"own words", u"Elsewhere"); }), -1);
    EXPECT_EQ(reports.guarded(u"Op", ObjectRef(), -1, []() -> int { throw std::bad_alloc(); }), -1);
    reports.reportProgress(42, handler);
    EXPECT_EQ(log, (Log{"RaiseError 53 File not found Main:EncryptFile",
                        "event Error 53 File not found Main:EncryptFile", "RaiseError 5 own words Elsewhere",
                        "event Error 5 own words Elsewhere", "event Error 7 Out of memory Main:Op",
                        "RaiseProgress 42", "event Progress 42"}));
}

TEST(OperationReports, AHandlerFailingOnTheReportDoesNotReachTheCaller) {
    Ref<Reporting> object = makeObject<Reporting>();
    Log log;
    connectEvents(object, recorder(log, "event "));
    const int result = object->m_reports.guarded(u"DecryptFile", recorder(log, "", true), 0,
                                                 []() -> int { raise(err::PermissionDenied); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log, (Log{"RaiseError 70 Permission denied Main:DecryptFile",
                        "event Error 70 Permission denied Main:DecryptFile"}));
}

}  // namespace
}  // namespace velmora::test
