// Shared helpers of the Textkit tests.
#pragma once

#include <clocale>
#include <cstdint>
#include <string>

#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora::test {

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
