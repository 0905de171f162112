// EnhancedForm on real (offscreen) windows and the stand-in screen: the shadow's layers pixel by pixel,
// size limits through Hookline, twips, translucency by system level, and nothing before a handle.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "progress/EnhancedForm.h"
#include "testsupport/GuiTest.h"
#include "ui/WindowHandles.h"

using namespace velmora;

namespace {

class Enhanced : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        m_window = std::make_unique<QWidget>();
        window().setGeometry(100, 100, 200, 120);
        window().show();
        hWnd = handleOf(&window());
    }
    void TearDown() override {
        m_window.reset();
        GuiTest::TearDown();
    }
    QWidget& window() { return *m_window; }

    HWND hWnd = 0;

  private:
    std::unique_ptr<QWidget> m_window;
};

constexpr QRgb kGrey = 0xFFC8C8C8;  // 200 in each part

int scaled(int level) {
    return 200 * level >> 8;
}

QImage greyScreen() {
    QImage screen(400, 300, QImage::Format_RGB32);
    screen.fill(kGrey);
    return screen;
}

int changedPixels(const QImage& image) {
    int changed = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) changed += image.pixel(x, y) != kGrey;
    return changed;
}

}  // namespace

TEST_F(Enhanced, TheShadowsFourLayersDarkenTheLinesBelowAndRightOfTheWindow) {
    setScreenImage(greyScreen());
    // 40 x 20: the shadow starts a tenth in, at left 14 and top 12.
    EnhancedForm::paintShadow(RECT{10, 10, 50, 30}, GetDC(0));
    const QImage shot = screenImage();
    struct Pixel {
        int x, y, level;
    };
    const Pixel expected[] = {
        {14, 30, 60},  {49, 30, 60},  {50, 12, 60},  {50, 29, 60},   // layer 1: bottom and right lines
        {13, 30, 120}, {12, 30, 180}, {11, 30, 240},                 // its softened bottom-left end
        {50, 11, 120}, {50, 10, 180}, {50, 9, 240},                  // and top-right end
        {15, 31, 120}, {50, 31, 120}, {51, 13, 120}, {50, 30, 120},  // layer 2 with its inner corner
        {14, 31, 180}, {13, 31, 240}, {51, 12, 180}, {51, 11, 240},  // layer 2's ends
        {16, 32, 180}, {51, 31, 180}, {15, 32, 240}, {52, 13, 240},  // layer 3
        {17, 33, 240}, {53, 15, 240}, {52, 32, 240},                 // layer 4
        {10, 30, 256}, {14, 29, 256}, {49, 11, 256}, {30, 20, 256},  // untouched: beyond, above, inside
        {16, 33, 256}, {54, 33, 256},
    };
    for (const Pixel& p : expected) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        const int want = p.level == 256 ? 200 : scaled(p.level);
        EXPECT_EQ(qRed(shot.pixel(p.x, p.y)), want);
        EXPECT_EQ(qBlue(shot.pixel(p.x, p.y)), want);
    }
    // Each pixel is painted once: 60 + 59 + 57 + 55 of them.
    EXPECT_EQ(changedPixels(shot), 231);
}

TEST_F(Enhanced, ALowWindowKeepsItsTopForTheShadow) {
    setScreenImage(greyScreen());
    EnhancedForm::paintShadow(RECT{10, 10, 50, 15}, GetDC(0));
    const QImage shot = screenImage();
    EXPECT_EQ(qRed(shot.pixel(50, 10)), scaled(60));
    EXPECT_EQ(qRed(shot.pixel(50, 9)), scaled(120));
}

TEST_F(Enhanced, TheShadowFollowsTheWindowWhileItIsOn) {
    EnhancedForm form;
    form.sethWnd(hWnd);
    setScreenImage(greyScreen());
    form.setShadow(true);
    EXPECT_GT(changedPixels(screenImage()), 0);

    setScreenImage(greyScreen());
    window().move(20, 30);
    ASSERT_TRUE(test::processUntil([] { return changedPixels(screenImage()) > 0; }));

    form.setShadow(false);
    setScreenImage(greyScreen());
    window().move(60, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(changedPixels(screenImage()), 0);
}

TEST_F(Enhanced, EnforceSizeKeepsTheWindowWithinItsLimits) {
    EnhancedForm form;
    form.sethWnd(hWnd);
    form.setMinWidth(150 * twipsPerPixelX());
    form.setMinHeight(100 * twipsPerPixelY());
    form.setMaxWidth(300 * twipsPerPixelX());
    form.setMaxHeight(200 * twipsPerPixelY());
    form.setEnforceSize(true);

    window().resize(1000, 900);
    ASSERT_TRUE(test::processUntil([&] { return window().width() <= 300; }));
    EXPECT_EQ(window().size(), QSize(300, 200));
    window().resize(10, 10);
    ASSERT_TRUE(test::processUntil([&] { return window().width() >= 150; }));
    EXPECT_EQ(window().size(), QSize(150, 100));
}

TEST_F(Enhanced, SizesAreWrittenInTwipsAndReadInPixels) {
    EnhancedForm form;
    EXPECT_EQ(form.MinWidth(), 0);
    EXPECT_EQ(form.MaxWidth(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(form.MaxHeight(), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_EQ(twipsPerPixelX(), 15);
    form.setMinWidth(1500);
    EXPECT_EQ(form.MinWidth(), 100);
    form.setMinWidth(1508);  // 100.53 pixels
    EXPECT_EQ(form.MinWidth(), 101);
    form.setMaxHeight(1507);  // 100.47 pixels
    EXPECT_EQ(form.MaxHeight(), 100);
}

TEST_F(Enhanced, NothingHappensBeforeTheWindowIsGiven) {
    EnhancedForm form;
    form.setAlwaysOnTop(true);
    form.setVisible(false);
    form.setTranslucent(10);
    form.setEnforceSize(true);
    EXPECT_FALSE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(window().isVisible());
    EXPECT_DOUBLE_EQ(window().windowOpacity(), 1.0);

    form.sethWnd(hWnd);
    form.setAlwaysOnTop(true);
    EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    form.setAlwaysOnTop(false);
    EXPECT_FALSE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    form.setVisible(false);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(Enhanced, TranslucencyNeedsLevelFive) {
    struct Case {
        int level;
        bool applies;
    };
    for (const Case c : {Case{4, false}, Case{3, false}, Case{5, true}, Case{8, true}}) {
        SCOPED_TRACE(c.level);
        QWidget other;
        other.show();
        EnhancedForm form(c.level);
        form.sethWnd(handleOf(&other));
        form.setTranslucent(128);
        EXPECT_EQ(static_cast<bool>(GetWindowLongA(handleOf(&other), GWL_EXSTYLE) & WS_EX_LAYERED),
                  c.applies);
        EXPECT_NEAR(other.windowOpacity(), c.applies ? 128 / 255.0 : 1.0, 0.01);
    }
}

TEST_F(Enhanced, OperatingSystemLevels) {
    struct Case {
        DWORD major, minor, platform;
        int level;
    };
    const Case cases[] = {
        {4, 0, VER_PLATFORM_WIN32_WINDOWS, 0},  {4, 0, VER_PLATFORM_WIN32_NT, 4},
        {4, 10, VER_PLATFORM_WIN32_WINDOWS, 1}, {4, 90, VER_PLATFORM_WIN32_WINDOWS, 2},
        {3, 51, VER_PLATFORM_WIN32_NT, 3},      {5, 0, VER_PLATFORM_WIN32_NT, 5},
        {5, 1, VER_PLATFORM_WIN32_NT, 6},       {5, 2, VER_PLATFORM_WIN32_NT, 8},
        {10, 0, VER_PLATFORM_WIN32_NT, 8},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA v{};
        v.dwMajorVersion = c.major;
        v.dwMinorVersion = c.minor;
        v.dwPlatformId = c.platform;
        EXPECT_EQ(EnhancedForm::operatingSystemLevel(v), c.level) << c.major << "." << c.minor;
    }
    OSVERSIONINFOA here{};
    here.dwOSVersionInfoSize = sizeof here;
    ASSERT_TRUE(GetVersionExA(&here));
    EXPECT_GE(EnhancedForm::operatingSystemLevel(here), 5);  // this system has layered windows
}

TEST_F(Enhanced, ResizeToMaxAndTheAlwaysPreprocessingResponse) {
    EnhancedForm form;
    form.sethWnd(hWnd);
    form.setMaxWidth(250 * twipsPerPixelX());
    form.setMaxHeight(150 * twipsPerPixelY());
    RECT before{};
    GetWindowRect(hWnd, &before);
    form.ResizeToMax();
    RECT after{};
    GetWindowRect(hWnd, &after);
    EXPECT_EQ(after.left, before.left + 1);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(window().size(), QSize(250, 150));

    form.setISubclass_MsgResponse(emrConsume);
    EXPECT_EQ(form.ISubclass_MsgResponse(), emrPreprocess);
}
