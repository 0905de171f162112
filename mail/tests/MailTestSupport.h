// What the Postwire tests share: an offscreen application (the SMTP waits run its event loop), a folder
// of files to attach, and an EmailObject whose events are recorded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "component/CallbackSink.h"
#include "component/EventSource.h"
#include "runtime/Variant.h"
#include "runtime/text.h"
#include "testsupport/GuiTest.h"

namespace velmora::test {

struct RecordedEvent {
    std::string name;
    std::vector<std::string> args;  // each argument's text
};

// Connects a sink that records every event of source; the events stay readable after the source goes.
class EventLog {
  public:
    void attach(const ObjectRef& source) {
        connectEvents(source,
                      makeObject<CallbackSink>([this](std::u16string_view name, std::span<Variant> args) {
                          RecordedEvent event{toUtf8(name), {}};
                          for (const Variant& arg : args) event.args.push_back(toUtf8(arg.toString()));
                          m_events.push_back(std::move(event));
                      }));
    }
    const std::vector<RecordedEvent>& events() const noexcept { return m_events; }
    // The events of that name.
    std::vector<RecordedEvent> named(const std::string& name) const {
        std::vector<RecordedEvent> found;
        for (const RecordedEvent& event : m_events)
            if (event.name == name) found.push_back(event);
        return found;
    }
    bool hasStatus(const std::string& text) const {
        for (const RecordedEvent& event : m_events)
            if ((event.name == "Status" || event.name == "StatusUpdate") && event.args.at(0) == text)
                return true;
        return false;
    }

  private:
    std::vector<RecordedEvent> m_events;
};

class MailTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        folder = std::filesystem::path(std::getenv("TMPDIR")) /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(folder);
    }
    // A file of those bytes in the test's folder; its path.
    std::string writeFile(const std::string& name, const std::string& bytes) const {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path folder;
};

}  // namespace velmora::test
