// Shared helpers of the Textkit tests.
#pragma once

#include <clocale>
#include <cstdint>
#include <string>

#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::test {

// The error number an action raises, 0 when it raises none.
template <class Action>
std::int32_t errorNumberOf(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

// Sets LC_NUMERIC for one scope and restores the previous setting.
class ScopedNumericLocale {
  public:
    explicit ScopedNumericLocale(const char* name) : m_previous(std::setlocale(LC_NUMERIC, nullptr)) {
        m_ok = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~ScopedNumericLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    bool ok() const { return m_ok; }

  private:
    std::string m_previous;
    bool m_ok = false;
};

}  // namespace velmora::test
