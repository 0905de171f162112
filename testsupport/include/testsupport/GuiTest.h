// A fresh offscreen GUI application per test, and waits that give up after generous bounds.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "ui/GuiApplication.h"

namespace velmora::test {

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_app = std::make_unique<GuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[9] = "ui_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<GuiApplication> m_app;
};

// Runs the event loop until done() holds or the bound passes; true when it held.
inline bool processUntil(const std::function<bool()>& done,
                         std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// A window and a balloon beside it drawn together on white, as a user sees them, saved as a picture for
// the documentation; true when it was written.
inline bool saveWithBalloon(QWidget& window, QWidget& balloon, const QString& path) {
    const QRect both = window.geometry().united(balloon.geometry()).adjusted(-8, -8, 8, 8);
    QImage shot(both.size(), QImage::Format_ARGB32);
    shot.fill(Qt::white);
    QPainter painter(&shot);
    window.render(&painter, window.geometry().topLeft() - both.topLeft());
    balloon.render(&painter, balloon.geometry().topLeft() - both.topLeft(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return shot.save(path);
}

}  // namespace velmora::test
