// A small org.freedesktop.FileManager1 service on the session bus, serving on a thread of its own and
// recording every call as "Method uri". Kept apart from the Win32 headers, which GIO's clash with.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace velmora::test {

class FileManagerStandIn {
  public:
    // Owns the bus name before it returns; throws std::runtime_error when it cannot.
    FileManagerStandIn();
    ~FileManagerStandIn();
    std::vector<std::string> calls() const;

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace velmora::test
