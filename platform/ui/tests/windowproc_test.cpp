// Window procedures on real (offscreen) widgets: the chain of subclassers, the messages the platform sends
// through it (F1, context menus, context-help clicks, destruction) and the handles' error cases.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWhatsThis>
#include <QWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/GuiTest.h"
#include "ui/WindowHandles.h"
#include "ui/commctrl.h"
#include "ui/messages.h"
#include "ui/windowproc.h"

using namespace velmora;

namespace {

class WindowProcedures : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        seen().clear();
        previous().clear();
    }

    struct Seen {
        int procedure;
        HWND hWnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        HELPINFO help{};
    };
    static std::vector<Seen>& seen() {
        static std::vector<Seen> all;
        return all;
    }
    // What each numbered procedure passes on to, per window.
    static std::map<std::pair<int, HWND>, LONG_PTR>& previous() {
        static std::map<std::pair<int, HWND>, LONG_PTR> all;
        return all;
    }
    static LONG_PTR& before(int procedure, HWND hWnd) { return previous()[std::make_pair(procedure, hWnd)]; }
    // The messages procedure N answers itself with N instead of passing them on.
    static std::vector<UINT>& answered() {
        static std::vector<UINT> all;
        return all;
    }

    template <int N>
    static LRESULT recorder(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Seen s{N, hWnd, message, wParam, lParam};
        if (message == WM_HELP) s.help = *reinterpret_cast<const HELPINFO*>(lParam);
        seen().push_back(s);
        if (N == 1 && std::find(answered().begin(), answered().end(), message) != answered().end()) return N;
        return CallWindowProcA(reinterpret_cast<WNDPROC>(previous()[{N, hWnd}]), hWnd, message, wParam,
                               lParam);
    }

    template <int N>
    static void subclass(HWND hWnd) {
        const LONG_PTR before =
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recorder<N>));
        ASSERT_NE(before, 0);
        previous()[{N, hWnd}] = before;
    }

    static std::vector<int> order(UINT message) {
        std::vector<int> procedures;
        for (const Seen& s : seen())
            if (s.message == message) procedures.push_back(s.procedure);
        return procedures;
    }
};

// A widget that notes what Qt itself delivered to it.
class Noting : public QWidget {
  public:
    using QWidget::QWidget;
    int keys = 0;
    int menus = 0;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keys;
        QWidget::keyPressEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        ++menus;
        event->ignore();
    }
};

void pressF1(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

void requestMenu(QWidget* target, QPoint local) {
    QContextMenuEvent menu(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
    QApplication::sendEvent(target, &menu);
}

}  // namespace

TEST_F(WindowProcedures, SettingReturnsThePreviousAndTheNewestHearsFirst) {
    QWidget form;
    const HWND h = handleOf(&form);
    const LONG_PTR original = GetWindowLongPtrA(h, GWLP_WNDPROC);
    ASSERT_NE(original, 0) << "every window has a procedure";
    EXPECT_EQ(GetWindowLongA(h, GWL_WNDPROC), static_cast<LONG>(original)) << "the same value in 32 bits";

    subclass<1>(h);
    subclass<2>(h);
    subclass<3>(h);
    EXPECT_EQ(before(1, h), original);
    EXPECT_NE(before(2, h), original);
    EXPECT_EQ(SendMessageA(h, WM_USER + 7, 11, 22), 0) << "the class procedure of a plain window answers 0";
    EXPECT_EQ(order(WM_USER + 7), (std::vector<int>{3, 2, 1}));
    for (const Seen& s : seen()) {
        EXPECT_EQ(s.hWnd, h);
        EXPECT_EQ(s.wParam, 11u);
        EXPECT_EQ(s.lParam, 22);
    }

    // Procedure 3 leaves through the 32-bit call, restoring what it replaced.
    const LONG mine = GetWindowLongA(h, GWL_WNDPROC);
    EXPECT_EQ(SetWindowLongA(h, GWL_WNDPROC, static_cast<LONG>(before(3, h))), mine);
    seen().clear();
    answered() = {WM_USER + 8};
    EXPECT_EQ(SendMessageA(h, WM_USER + 8, 0, 0), 1) << "procedure 1 answers without passing on";
    EXPECT_EQ(order(WM_USER + 8), (std::vector<int>{2, 1}));
    answered().clear();
}

TEST_F(WindowProcedures, AControlsOwnHandlingIsTheEndOfTheChain) {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    QWidget form;
    const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, handleOf(&form), 0,
                                     nullptr, nullptr);
    ASSERT_NE(tip, 0u);
    subclass<1>(tip);
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = tip;
    tool.uId = handleOf(&form);
    char text[] = "tip";
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1) << "passed on to the control";
    answered() = {TTM_GETTOOLCOUNT};
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1) << "answered by the subclasser (1 as well)";
    answered().clear();
    seen().clear();
    // A pointer that cannot be read is refused before any procedure sees it.
    EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, 0x10), 0);
    EXPECT_EQ(GetLastError(), ERROR_NOACCESS);
    EXPECT_TRUE(seen().empty());
}

TEST_F(WindowProcedures, F1SendsHelpToTheFocusAndOnUpToTheSubclassedForm) {
    Noting form;
    auto* edit = new QLineEdit(&form);
    const HWND h = handleOf(&form);
    form.show();
    edit->setFocus();

    pressF1(edit);
    EXPECT_TRUE(seen().empty());
    EXPECT_EQ(form.keys, 1) << "nobody asked for help: F1 stays an ordinary key";

    subclass<1>(h);
    const HWND field = handleOf(edit);
    ASSERT_TRUE(SetWindowContextHelpId(field, 1010));
    EXPECT_EQ(GetWindowContextHelpId(field), 1010u);
    pressF1(edit);
    ASSERT_EQ(order(WM_HELP), (std::vector<int>{1}));
    const HELPINFO info = seen().front().help;
    EXPECT_EQ(seen().front().hWnd, h);
    EXPECT_EQ(info.cbSize, 28u);
    EXPECT_EQ(info.iContextType, HELPINFO_WINDOW);
    EXPECT_EQ(info.hItemHandle, field) << "the control where F1 was pressed";
    EXPECT_EQ(info.dwContextId, 1010u);
    EXPECT_EQ(form.keys, 1) << "F1 became WM_HELP, not a key";

    // Sent to the control itself: its procedures first, then its class procedure hands it to the form.
    seen().clear();
    subclass<2>(field);
    EXPECT_EQ(SendMessageA(field, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(order(WM_HELP), (std::vector<int>{2, 1}));
}

TEST_F(WindowProcedures, ContextMenusReachTheProcedureBeforeQtsOwnHandling) {
    QWidget form;
    auto* panel = new Noting(&form);
    panel->setGeometry(10, 10, 50, 50);
    const HWND h = handleOf(&form);
    form.show();

    requestMenu(panel, {5, 6});
    EXPECT_EQ(panel->menus, 1);
    EXPECT_TRUE(seen().empty());

    subclass<1>(h);
    requestMenu(panel, {5, 6});
    EXPECT_EQ(panel->menus, 2) << "the panel's own handling ran, and passed it up to the form";
    ASSERT_EQ(order(WM_CONTEXTMENU), (std::vector<int>{1}));
    EXPECT_EQ(seen().front().hWnd, h);
    EXPECT_EQ(seen().front().wParam, handleOf(panel)) << "names the window clicked";
    const QPoint global = panel->mapToGlobal(QPoint(5, 6));
    EXPECT_EQ(seen().front().lParam, MAKELPARAM(global.x(), global.y()));

    // Consumed at the panel's own procedure: Qt's handling does not follow, the form hears nothing.
    seen().clear();
    subclass<1>(handleOf(panel));
    answered() = {WM_CONTEXTMENU};
    requestMenu(panel, {5, 6});
    EXPECT_EQ(panel->menus, 2);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen().front().hWnd, handleOf(panel));
    answered().clear();
}

TEST_F(WindowProcedures, DestructionEndsWithNcDestroyThroughEverySubclasser) {
    auto form = std::make_unique<QWidget>();
    const HWND h = handleOf(form.get());
    subclass<1>(h);
    subclass<2>(h);
    form.reset();
    std::vector<std::pair<int, UINT>> calls;
    for (const Seen& s : seen()) calls.emplace_back(s.procedure, s.message);
    EXPECT_EQ(calls, (std::vector<std::pair<int, UINT>>{
                         {2, WM_DESTROY}, {1, WM_DESTROY}, {2, WM_NCDESTROY}, {1, WM_NCDESTROY}}));
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_WNDPROC), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SetWindowLongPtrA(h, GWLP_WNDPROC, before(1, h)), 0);
}

TEST_F(WindowProcedures, BadHandlesAndIndexesAreRefused) {
    QWidget form;
    const HWND h = handleOf(&form);
    struct Case {
        const char* what;
        HWND window;
        int index;
        LONG_PTR value;
        DWORD error;
    };
    const Case cases[] = {
        {"unknown window", 0xDEADBEEF, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recorder<1>), 1400},
        {"no window", 0, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recorder<1>), 1400},
        {"null procedure", h, GWLP_WNDPROC, 0, ERROR_INVALID_PARAMETER},
        {"small number", h, GWLP_WNDPROC, 0x1234, ERROR_INVALID_PARAMETER},
        {"handle never given", h, GWLP_WNDPROC, -2, ERROR_INVALID_PARAMETER},
        {"other index", h, GWL_STYLE, reinterpret_cast<LONG_PTR>(&recorder<1>), ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(SetWindowLongPtrA(c.window, c.index, c.value), 0) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    EXPECT_EQ(SetWindowLongA(h, GWL_WNDPROC, 0x12345678), 0) << "no address fits 32 bits";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_EQ(CallWindowProcA(reinterpret_cast<WNDPROC>(LONG_PTR{-3}), h, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_WNDPROC),
              GetWindowLongPtrA(handleOf(new QWidget(&form)), GWLP_WNDPROC))
        << "nothing changed: both still have the class procedure";
}

TEST_F(WindowProcedures, ContextHelpModeTurnsTheNextClickIntoHelp) {
    QWidget form;
    auto* button = new QWidget(&form);
    button->setGeometry(20, 20, 40, 20);
    const HWND h = handleOf(&form);
    form.show();
    subclass<1>(h);
    EXPECT_EQ(DefWindowProcA(h, WM_SYSCOMMAND, SC_CONTEXTHELP, 0), 0);
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());

    const QPoint local(4, 5);
    const QPoint global = button->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QApplication::sendEvent(button, &release);
    ASSERT_EQ(order(WM_HELP), (std::vector<int>{1}));
    EXPECT_EQ(seen().front().help.hItemHandle, handleOf(button));
    EXPECT_EQ(seen().front().help.MousePos.x, global.x());
    EXPECT_EQ(seen().front().help.MousePos.y, global.y());
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode()) << "one click, then the mode ends";
}
