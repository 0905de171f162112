// Window handles, placement, effects, metrics, and Hookline registrations on real (offscreen) widgets.
#include <sys/mman.h>
#include <unistd.h>

#include <QScreen>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/queue.h"
#include "testsupport/GuiTest.h"
#include "ui/AnimationControl.h"
#include "ui/Hookline.h"
#include "ui/WindowHandles.h"
#include "ui/windows.h"

using namespace velmora;

namespace {

class Windows : public test::GuiTest {};

struct Seen {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records what it is called with; may adjust size-limit queries and detach itself after a call.
class Recorder : public ISubclass {
  public:
    std::int32_t ISubclass_MsgResponse() override { return m_response; }
    void setISubclass_MsgResponse(std::int32_t response) override { m_response = response; }
    LRESULT iSubclass_WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({hWnd, iMsg, wParam, lParam});
        if (iMsg == WM_GETMINMAXINFO && limits) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {120, 80};
            info->ptMaxTrackSize = {300, 200};
        }
        if (detachAfterFirst) Hookline::DetachMessage(this, hWnd, iMsg);
        return 0;
    }
    std::size_t count(UINT message) const {
        return std::count_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.message == message; });
    }

    std::vector<Seen> seen;
    bool limits = false;
    bool detachAfterFirst = false;

  private:
    std::int32_t m_response = emrPreprocess;
};

}  // namespace

TEST_F(Windows, HandlesAreStableDistinctAndDieWithTheirWidget) {
    auto a = std::make_unique<QWidget>();
    QWidget b;
    const HWND ha = handleOf(a.get());
    EXPECT_NE(ha, 0u);
    EXPECT_EQ(handleOf(a.get()), ha);
    EXPECT_NE(handleOf(&b), ha);
    EXPECT_EQ(widgetOf(ha), a.get());
    EXPECT_TRUE(IsWindow(ha));
    a.reset();
    EXPECT_FALSE(IsWindow(ha));
    RECT rect{};
    POINT point{};
    SetLastError(0);
    EXPECT_FALSE(GetWindowRect(ha, &rect));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    for (HWND stale : {ha, HWND{0}, HWND{0xDEADBEEF}}) {
        EXPECT_FALSE(ScreenToClient(stale, &point));
        EXPECT_FALSE(ShowWindow(stale, SW_SHOW));
        EXPECT_FALSE(SetWindowPos(stale, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
        EXPECT_FALSE(SetLayeredWindowAttributes(stale, 0, 128, LWA_ALPHA));
    }
    EXPECT_EQ(handleOf(nullptr), 0u);
    EXPECT_EQ(widgetOf(0), nullptr);
}

TEST_F(Windows, PlacementShowingAndTheTopmostBand) {
    QWidget window;
    const HWND h = handleOf(&window);
    EXPECT_EQ(ShowWindow(h, SW_SHOW), FALSE) << "was hidden";
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(SetWindowPos(h, 0, 40, 50, 200, 100, SWP_NOZORDER));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(h, &rect));
    EXPECT_EQ(rect.right - rect.left, window.frameGeometry().width());
    EXPECT_EQ(rect.bottom - rect.top, window.frameGeometry().height());
    POINT point{window.geometry().x() + 7, window.geometry().y() + 9};
    ASSERT_TRUE(ScreenToClient(h, &point));
    EXPECT_EQ(point.x, 7);
    EXPECT_EQ(point.y, 9);

    const QRect before = window.geometry();
    ASSERT_TRUE(SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(window.isVisible()) << "changing the band keeps the window shown";
    EXPECT_EQ(window.geometry().size(), before.size()) << "neither moved nor sized";
    ASSERT_TRUE(SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ShowWindow(h, SW_HIDE), TRUE);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Windows, OpacityNeedsTheLayeredStyle) {
    QWidget window;
    const HWND h = handleOf(&window);
    EXPECT_FALSE(SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_TRUE(SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA));
    EXPECT_NEAR(window.windowOpacity(), 128 / 255.0, 0.01);
}

TEST_F(Windows, ScreenMetricsAndPointQueries) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen->geometry().width());
    EXPECT_EQ(twipsPerPixelX(), static_cast<int>(std::lround(1440 / screen->logicalDotsPerInchX())));
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.right - work.left, 0);
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &work, 0));

    QWidget window;
    window.setGeometry(100, 100, 200, 150);
    window.show();
    processWaitingMessages();
    QCursor::setPos(150, 150);
    processWaitingMessages();  // deliver the move it queued while this application lives
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 150);
    EXPECT_EQ(WindowFromPoint({150, 150}), handleOf(&window));
    EXPECT_EQ(WindowFromPoint({5000, 5000}), 0u);
}

TEST_F(Windows, HooklineHandlersSeeTheMessagesAndTheWindowStillHandlesThem) {
    QWidget window;
    window.setGeometry(10, 10, 200, 150);
    const HWND h = handleOf(&window);
    Recorder moves;
    Recorder sizes;
    sizes.limits = true;
    ASSERT_TRUE(Hookline::AttachMessage(&moves, h, WM_MOVE));
    EXPECT_FALSE(Hookline::AttachMessage(&moves, h, WM_MOVE)) << "already there";
    EXPECT_FALSE(Hookline::AttachMessage(nullptr, h, WM_MOVE));
    EXPECT_FALSE(Hookline::AttachMessage(&moves, 0xDEADBEEF, WM_MOVE));
    ASSERT_TRUE(Hookline::AttachMessage(&sizes, h, WM_GETMINMAXINFO));
    window.show();
    processWaitingMessages();

    window.move(60, 70);
    processWaitingMessages();
    ASSERT_GE(moves.count(WM_MOVE), 1u);
    const Seen& move = moves.seen.back();
    EXPECT_EQ(move.hWnd, h);
    EXPECT_EQ(move.lParam, MAKELPARAM(window.x(), window.y()));
    EXPECT_EQ(window.pos(), QPoint(60, 70)) << "the window moved all the same";
    EXPECT_EQ(moves.count(WM_GETMINMAXINFO), 0u) << "only the registered message";

    // The size-limit query: the handler's limits are the window's.
    EXPECT_GE(sizes.count(WM_GETMINMAXINFO), 1u);
    EXPECT_EQ(window.minimumSize(), QSize(120, 80));
    EXPECT_EQ(window.maximumSize(), QSize(300, 200));
    window.resize(1000, 1000);
    processWaitingMessages();
    EXPECT_EQ(window.size(), QSize(300, 200));

    ASSERT_TRUE(Hookline::DetachMessage(&moves, h, WM_MOVE));
    EXPECT_FALSE(Hookline::DetachMessage(&moves, h, WM_MOVE));
    const std::size_t before = moves.seen.size();
    window.move(80, 90);
    processWaitingMessages();
    EXPECT_EQ(moves.seen.size(), before);
    Hookline::DetachAll(&sizes);
    EXPECT_FALSE(Hookline::DetachMessage(&sizes, h, WM_GETMINMAXINFO));
}

TEST_F(Windows, HooklineHandlersMayDetachThemselvesAndEndWithTheWindow) {
    auto window = std::make_unique<QWidget>();
    const HWND h = handleOf(window.get());
    Recorder once;
    once.detachAfterFirst = true;
    Recorder destroy;
    ASSERT_TRUE(Hookline::AttachMessage(&once, h, WM_SIZE));
    ASSERT_TRUE(Hookline::AttachMessage(&destroy, h, WM_DESTROY));
    window->show();
    window->resize(300, 300);
    processWaitingMessages();
    window->resize(310, 310);
    processWaitingMessages();
    EXPECT_EQ(once.count(WM_SIZE), 1u);
    window.reset();
    ASSERT_EQ(destroy.count(WM_DESTROY), 1u);
    EXPECT_EQ(destroy.seen.back().hWnd, h);
    EXPECT_FALSE(Hookline::DetachMessage(&destroy, h, WM_DESTROY)) << "gone with the window";
}

// A number from another process in a pointer parameter: refused, never followed.
TEST_F(Windows, PointerParametersOfMessagesAreCheckedBeforeTheWindowSeesThem) {
    AnimationControl control;
    const HWND hWnd = handleOf(&control);
    // A page given back is unmapped whatever the process's layout (0x7FFFFFFF is readable shadow memory
    // under the address sanitizer).
    const long pageSize = sysconf(_SC_PAGESIZE);
    void* given = mmap(nullptr, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(given, MAP_FAILED);
    ASSERT_EQ(munmap(given, pageSize), 0);
    for (const LPARAM bad :
         {LPARAM{-1}, LPARAM{-116}, LPARAM{65536}, LPARAM{100000}, reinterpret_cast<LPARAM>(given)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(SendMessageA(hWnd, ACM_OPENA, 0, bad), 0) << bad;
        EXPECT_EQ(GetLastError(), ERROR_NOACCESS) << bad;
    }
    // Identifiers and real text pass: an unknown clip or a missing file is simply not opened.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SendMessageA(hWnd, ACM_OPENA, 0, 117), FALSE);
    EXPECT_NE(GetLastError(), ERROR_NOACCESS);
    const char* missing = "/no/such/clip.avi";
    EXPECT_EQ(SendMessageA(hWnd, ACM_OPENA, 0, reinterpret_cast<LPARAM>(missing)), FALSE);
    EXPECT_NE(GetLastError(), ERROR_NOACCESS);
    // Messages that take numbers are not checked.
    EXPECT_EQ(SendMessageA(hWnd, ACM_STOP, 0, -1), TRUE);
}
