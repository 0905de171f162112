// The tooltip control through its messages, checked against its own state, on real offscreen widgets.
#include <QApplication>
#include <QEnterEvent>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <string>

#include "testsupport/GuiTest.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"
#include "ui/commctrl.h"
#include "ui/messages.h"

using namespace velmora;

namespace {

class ToolTips : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        const INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&init));
        form = std::make_unique<QWidget>();
        form->resize(300, 200);
        button = new QPushButton("OK", form.get());
        button->setGeometry(40, 50, 80, 30);
        other = new QPushButton("Cancel", form.get());
        other->setGeometry(140, 50, 80, 30);
        form->show();
    }
    void TearDown() override {
        form.reset();
        GuiTest::TearDown();
    }

    HWND create(DWORD style) {
        return CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, style | WS_POPUP, 0, 0, 0, 0,
                               handleOf(form.get()), nullptr, nullptr, nullptr);
    }
    static TOOLINFOA tool(HWND tip, QWidget* control, const char* text, UINT flags = TTF_SUBCLASS) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.uFlags = flags | TTF_IDISHWND;
        info.hwnd = tip;
        info.uId = handleOf(control);
        info.lpszText = const_cast<char*>(text);
        return info;
    }
    static LRESULT send(HWND hwnd, UINT message, WPARAM wParam, const void* lParam) {
        return SendMessageA(hwnd, message, wParam, reinterpret_cast<LPARAM>(lParam));
    }
    static std::string textOf(HWND tip, TOOLINFOA info, WPARAM size = 1024) {
        char buffer[1024] = "untouched";
        info.lpszText = buffer;
        send(tip, TTM_GETTEXTA, size, &info);
        return buffer;
    }
    static ToolTipControl* control(HWND tip) { return dynamic_cast<ToolTipControl*>(widgetOf(tip)); }

    std::unique_ptr<QWidget> form;
    QPushButton* button = nullptr;
    QPushButton* other = nullptr;
};

}  // namespace

TEST_F(ToolTips, CreationNeedsTheRegisteredClassAndAValidRecord) {
    EXPECT_EQ(CreateWindowExA(0, "Button", nullptr, WS_POPUP, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    const INITCOMMONCONTROLSEX wrongSize{4, ICC_TAB_CLASSES};
    EXPECT_FALSE(InitCommonControlsEx(&wrongSize));
    EXPECT_FALSE(InitCommonControlsEx(nullptr));

    const HWND tip = create(TTS_BALLOON);
    ASSERT_NE(tip, 0u);
    ASSERT_NE(control(tip), nullptr);
    EXPECT_EQ(control(tip)->style() & TTS_BALLOON, TTS_BALLOON);
    EXPECT_FALSE(widgetOf(tip)->isVisible());
    // Only windows made here can be destroyed through DestroyWindow.
    EXPECT_FALSE(DestroyWindow(handleOf(button)));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DestroyWindow(tip));
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_FALSE(DestroyWindow(tip));
}

TEST_F(ToolTips, ToolsAreAddedCountedEnumeratedUpdatedAndDeleted) {
    const HWND tip = create(0);
    TOOLINFOA ok = tool(tip, button, "Start");
    TOOLINFOA cancel = tool(tip, other, nullptr);
    EXPECT_EQ(send(tip, TTM_ADDTOOLA, 0, &ok), TRUE);
    EXPECT_EQ(send(tip, TTM_ADDTOOLA, 0, &cancel), TRUE);
    EXPECT_EQ(send(tip, TTM_GETTOOLCOUNT, 0, nullptr), 2);

    TOOLINFOA seen{};
    seen.cbSize = TTTOOLINFOA_V2_SIZE;
    ASSERT_EQ(send(tip, TTM_ENUMTOOLSA, 1, &seen), TRUE);
    EXPECT_EQ(seen.uId, handleOf(other));
    EXPECT_EQ(seen.hwnd, tip);
    EXPECT_EQ(seen.uFlags, TTF_SUBCLASS | TTF_IDISHWND);
    EXPECT_EQ(send(tip, TTM_ENUMTOOLSA, 2, &seen), FALSE);

    EXPECT_EQ(textOf(tip, ok), "Start");
    EXPECT_EQ(textOf(tip, cancel), "");   // a null text reads as empty
    EXPECT_EQ(textOf(tip, ok, 3), "St");  // cut to the buffer, terminated
    EXPECT_EQ(textOf(tip, ok, 0), "untouched");

    TOOLINFOA renamed = ok;
    renamed.lpszText = const_cast<char*>("Begin");
    send(tip, TTM_UPDATETIPTEXTA, 0, &renamed);
    EXPECT_EQ(textOf(tip, ok), "Begin");

    send(tip, TTM_DELTOOLA, 0, &ok);
    EXPECT_EQ(send(tip, TTM_GETTOOLCOUNT, 0, nullptr), 1);
    EXPECT_EQ(textOf(tip, ok), "untouched");  // no such tool any more
    send(tip, TTM_DELTOOLA, 0, &ok);          // deleting again does nothing
    EXPECT_EQ(send(tip, TTM_GETTOOLCOUNT, 0, nullptr), 1);
}

TEST_F(ToolTips, BadRecordsAreRefused) {
    const HWND tip = create(0);
    TOOLINFOA info = tool(tip, button, "x");
    EXPECT_EQ(send(tip, TTM_ADDTOOLA, 0, nullptr), FALSE);
    info.cbSize = 44;  // the other platform's layout: not this one's
    EXPECT_EQ(send(tip, TTM_ADDTOOLA, 0, &info), FALSE);
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.lpszText = reinterpret_cast<LPSTR>(static_cast<std::intptr_t>(-1));  // text by callback: none here
    EXPECT_EQ(send(tip, TTM_ADDTOOLA, 0, &info), TRUE);
    EXPECT_EQ(textOf(tip, info), "");
    EXPECT_EQ(send(tip, TTM_ENUMTOOLSA, 0, nullptr), FALSE);
}

TEST_F(ToolTips, DelaysFollowThePlatformRules) {
    const HWND tip = create(0);
    struct Case {
        const char* what;
        WPARAM kind;
        int value;
        int initial, autoPop, reshow;
    } const cases[] = {
        {"defaults", TTDT_INITIAL, -1, 500, 5000, 100},
        {"automatic derives the others", TTDT_AUTOMATIC, 300, 300, 3000, 60},
        {"initial alone", TTDT_INITIAL, 40, 40, 3000, 60},
        {"auto-pop alone", TTDT_AUTOPOP, 1200, 40, 1200, 60},
        {"reshow alone", TTDT_RESHOW, 7, 40, 1200, 7},
        {"reshow back to its default", TTDT_RESHOW, -1, 40, 1200, 8},
        {"auto-pop back, from the initial delay it has", TTDT_AUTOPOP, -1, 40, 400, 8},
        {"automatic back to the defaults", TTDT_AUTOMATIC, -1, 500, 5000, 100},
    };
    for (const Case& c : cases) {
        SendMessageA(tip, TTM_SETDELAYTIME, c.kind, MAKELPARAM(c.value, 0));
        EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), c.initial) << c.what;
        EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), c.autoPop) << c.what;
        EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), c.reshow) << c.what;
        EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOMATIC, 0), c.autoPop) << c.what;
    }
}

TEST_F(ToolTips, ColoursAndTitle) {
    const HWND tip = create(TTS_BALLOON);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0), 0xE1FFFF);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0), 0);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, 0x00FF8000, 0);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, 0x000000FF, 0);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0), 0x00FF8000);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0), 0x000000FF);

    EXPECT_EQ(send(tip, TTM_SETTITLEA, TTI_WARNING, "Password"), TRUE);
    EXPECT_EQ(control(tip)->title(), "Password");
    EXPECT_EQ(control(tip)->titleIcon(), TTI_WARNING);
    const std::string longTitle(500, 'T');
    send(tip, TTM_SETTITLEA, TTI_INFO, longTitle.c_str());
    EXPECT_EQ(control(tip)->title().size(), kToolTipTitleMax);
    send(tip, TTM_SETTITLEA, 77, nullptr);  // an icon handle we cannot draw, no title
    EXPECT_EQ(control(tip)->title(), "");
    EXPECT_EQ(control(tip)->titleIcon(), TTI_NONE);
}

TEST_F(ToolTips, TrackingShowsMovesAndHidesTheBalloonAtThePosition) {
    const HWND tip = create(TTS_BALLOON);
    TOOLINFOA info = tool(tip, button, "Starts the encryption", TTF_TRACK);
    send(tip, TTM_ADDTOOLA, 0, &info);
    send(tip, TTM_SETTITLEA, TTI_INFO, "Encrypt");
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(120, 90));
    send(tip, TTM_TRACKACTIVATE, TRUE, &info);
    ToolTipControl* c = control(tip);
    ASSERT_TRUE(c->isVisible());
    EXPECT_TRUE(c->trackingShown());
    EXPECT_EQ(c->anchor(), QPoint(120, 90));
    // The stem hangs from the anchor: the window starts there and spans it.
    EXPECT_EQ(c->geometry().top(), 90);
    EXPECT_LE(c->geometry().left(), 120);
    EXPECT_GE(c->geometry().right(), 120);

    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(200, 40));
    EXPECT_EQ(c->anchor(), QPoint(200, 40));
    EXPECT_EQ(c->geometry().top(), 40);

    send(tip, TTM_TRACKACTIVATE, FALSE, &info);
    EXPECT_FALSE(c->isVisible());
    EXPECT_EQ(c->shownTool(), nullptr);
    TOOLINFOA unknown = tool(tip, other, "");
    send(tip, TTM_TRACKACTIVATE, TRUE, &unknown);  // not a tool: nothing
    EXPECT_FALSE(c->isVisible());
}

TEST_F(ToolTips, RestingMouseShowsTheTipAfterTheInitialDelayUntilAutoPopOrLeave) {
    const HWND tip = create(TTS_BALLOON);
    TOOLINFOA info = tool(tip, button, "Starts the encryption");
    send(tip, TTM_ADDTOOLA, 0, &info);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 30);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 150);
    ToolTipControl* c = control(tip);

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(button, &enter);
    EXPECT_FALSE(c->isVisible());  // not before the initial delay
    ASSERT_TRUE(test::processUntil([&] { return c->isVisible(); }));
    EXPECT_FALSE(c->trackingShown());
    EXPECT_EQ(c->shownTool()->id, handleOf(button));
    ASSERT_TRUE(test::processUntil([&] { return !c->isVisible(); }));  // auto-pop

    QApplication::sendEvent(button, &enter);
    ASSERT_TRUE(test::processUntil([&] { return c->isVisible(); }));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(c->isVisible());

    // Switched off, the control shows nothing by itself.
    SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
    QApplication::sendEvent(button, &enter);
    EXPECT_FALSE(test::processUntil([&] { return c->isVisible(); }, std::chrono::milliseconds(150)));
}

TEST_F(ToolTips, AToolWindowThatGoesTakesItsTipAndTheOwnerTakesTheControl) {
    const HWND tip = create(TTS_BALLOON);
    TOOLINFOA info = tool(tip, other, "Closes the window");
    send(tip, TTM_ADDTOOLA, 0, &info);
    send(tip, TTM_TRACKACTIVATE, TRUE, &info);
    ASSERT_TRUE(control(tip)->isVisible());
    delete other;
    other = nullptr;
    EXPECT_FALSE(control(tip)->isVisible());
    EXPECT_EQ(send(tip, TTM_GETTOOLCOUNT, 0, nullptr), 1);  // the record stays until it is deleted

    form.reset();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(ToolTips, EmptyAndHugeTextsStayWithinBounds) {
    const HWND tip = create(TTS_BALLOON);
    const std::string huge(200000, 'w');
    TOOLINFOA info = tool(tip, button, huge.c_str(), TTF_TRACK);
    send(tip, TTM_ADDTOOLA, 0, &info);
    send(tip, TTM_TRACKACTIVATE, TRUE, &info);
    ToolTipControl* c = control(tip);
    EXPECT_LE(c->width(), ToolTipControl::kMaxTipWidth + 40);
    EXPECT_EQ(textOf(tip, info).size(), 1023u);  // the whole text is kept; the buffer cuts it
    TOOLINFOA empty = info;
    empty.lpszText = const_cast<char*>("");
    send(tip, TTM_UPDATETIPTEXTA, 0, &empty);
    EXPECT_TRUE(c->isVisible());
    EXPECT_GT(c->width(), 0);
}
