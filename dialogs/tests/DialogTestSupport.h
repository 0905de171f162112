// An offscreen GUI application per test, a small owner window, and the library's shared settings reset.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <memory>

#include "SharedSettings.h"
#include "ui/GuiApplication.h"
#include "ui/WindowHandles.h"

namespace velmora::test {

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("VELMORA_SCREENSHOT_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_app = std::make_unique<GuiApplication>(m_argc, m_argv);
        sharedSettings() = SharedSettings{};
        m_owner = std::make_unique<QWidget>();
        m_owner->setWindowTitle(QStringLiteral("Owner"));
        m_owner->setGeometry(200, 150, 320, 200);
        m_owner->show();
    }
    void TearDown() override {
        m_owner.reset();
        m_app.reset();
        sharedSettings() = SharedSettings{};
    }

    std::int32_t ownerHandle() { return static_cast<std::int32_t>(handleOf(m_owner.get())); }

    std::unique_ptr<QWidget> m_owner;

  private:
    int m_argc = 1;
    char m_name[14] = "askpane_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<GuiApplication> m_app;
};

}  // namespace velmora::test
