// Tooltips on real offscreen widgets: the text rules, one registration per control, hover detection by
// window and by a windowless control's rectangle, the Delay tick rule, and what release leaves behind.
#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "FormObjects.h"
#include "testsupport/GuiTest.h"
#include "help/ToolTips.h"
#include "runtime/Error.h"
#include "timers/APITimer.h"
#include "ui/ToolTipControl.h"
#include "ui/WindowHandles.h"

using namespace velmora;
using test::FormObject;

namespace {

class ToolTipsTest : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        window = std::make_unique<QWidget>();
        window->setGeometry(100, 100, 400, 300);
        button = new QPushButton("Encrypt", window.get());
        button->setGeometry(20, 20, 100, 30);
        exit = new QPushButton("Exit", window.get());
        exit->setGeometry(140, 20, 100, 30);
        window->show();
        form = test::formObject(u"frmEncrypt", window.get());
        cmdEncrypt = test::controlObject(u"cmdEncrypt", button, form);
        cmdExit = test::controlObject(u"cmdExit", exit, form);
        lblPassword = test::labelObject(u"lblPassword", form, QRect(20, 100, 120, 20));
        tips = makeObject<ToolTips>();
    }
    void TearDown() override {
        // Cursor moves queue mouse events; a later application must not receive them.
        QCoreApplication::processEvents();
        tips.reset();
        window.reset();
        GuiTest::TearDown();
    }

    Ref<ToolTip> add(const Ref<FormObject>& control, std::u16string text, std::u16string key = u"",
                     std::int32_t behavior = NON_TRACKING) {
        ObjectRef f(form);
        ObjectRef c(control);
        return tips->Add(f, c, std::move(text), std::move(key), u"Title", BALLOON, INFO, behavior);
    }
    static ToolTipControl* controlOf(const Ref<ToolTip>& tip) {
        return dynamic_cast<ToolTipControl*>(widgetOf(tip->window()));
    }

    std::unique_ptr<QWidget> window;
    QPushButton* button = nullptr;
    QPushButton* exit = nullptr;
    Ref<FormObject> form, cmdEncrypt, cmdExit, lblPassword;
    Ref<ToolTips> tips;
};

}  // namespace

TEST_F(ToolTipsTest, AddMakesABalloonWindowWithTheToolTitleAndText) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"Encrypts the files");
    ASSERT_NE(tip->window(), 0u);
    ToolTipControl* control = controlOf(tip);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->style(), static_cast<DWORD>(BALLOON) | WS_POPUP);
    EXPECT_EQ(control->title(), "Title");
    EXPECT_EQ(control->titleIcon(), TTI_INFO);
    EXPECT_EQ(tip->Text(), u"Encrypts the files");
    EXPECT_EQ(tip->Ctl(), ObjectRef(cmdEncrypt));
    EXPECT_EQ(tip->ParentHwnd().toLong(), static_cast<std::int32_t>(handleOf(window.get())));
    EXPECT_EQ(tips->Count(), 1);

    tip->setText(u"Encrypts every file named");
    EXPECT_EQ(tip->Text(), u"Encrypts every file named");
    EXPECT_EQ(tip->longestText(), 25);
    tip->setDelay(INITIAL, 250);
    EXPECT_EQ(tip->Delay(INITIAL), 250);
    tip->setBackColor(0x00C0FFEE);
    EXPECT_EQ(tip->BackColor(), 0x00C0FFEE);
}

TEST_F(ToolTipsTest, AnEmptyTextShowsTheControlsName) {
    EXPECT_EQ(add(cmdExit, u"")->Text(), u"cmdExit");
}

TEST_F(ToolTipsTest, AControlAttachedTwiceIsOneTool) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"first");
    tip->attach(ObjectRef(cmdEncrypt), u"second", u"", NONE, NON_TRACKING);
    EXPECT_EQ(SendMessageA(tip->window(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tip->Text(), u"first");
}

TEST_F(ToolTipsTest, WithoutAFormThereIsNoWindowAndMembersDoNothing) {
    ObjectRef nothing;
    ObjectRef control(cmdEncrypt);
    Ref<ToolTip> tip = tips->Add(nothing, control, u"text", u"", u"", SIMPLE, NONE, NON_TRACKING);
    EXPECT_EQ(tip->window(), 0u);
    EXPECT_EQ(tip->Ctl(), control);  // remembered all the same
    EXPECT_EQ(tip->Text(), u"");
    EXPECT_EQ(tip->Delay(INITIAL), 0);
    tip->setActivate(ACTIVATION_CENTER, 0, 0, true);
    tip->setText(u"ignored");
    EXPECT_EQ(tip->BackColor(), 0);
}

TEST_F(ToolTipsTest, KeysItemsAndRemoval) {
    add(cmdEncrypt, u"one", u"encrypt");
    Ref<ToolTip> exitTip = add(cmdExit, u"two", u"exit");
    EXPECT_THROW(add(cmdExit, u"three", u"EXIT"), RuntimeError);  // keys are unique, case aside
    EXPECT_EQ(tips->Count(), 2);
    EXPECT_EQ(tips->Item(Variant(u"exit")), exitTip);
    EXPECT_EQ(tips->Item(Variant(std::int32_t{2})), exitTip);
    Variant key(u"exit");
    tips->Remove(key);
    EXPECT_EQ(tips->Count(), 1);
    EXPECT_EQ(SendMessageA(exitTip->window(), TTM_GETTOOLCOUNT, 0, 0), 0);  // detached
    EXPECT_THROW(tips->Item(Variant(u"exit")), RuntimeError);
}

TEST_F(ToolTipsTest, ActivatePlacesTheStemByDirection) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"Encrypts");
    RECT r{};
    ASSERT_TRUE(GetWindowRect(handleOf(button), &r));
    const int middle = (r.top + r.bottom) / 2;
    struct Case {
        std::int32_t direction;
        QPoint expected;
    } const cases[] = {{ACTIVATION_LEFT, {r.left, middle}},
                       {ACTIVATION_RIGHT, {r.right, middle}},
                       {ACTIVATION_CENTER, {(r.left + r.right) / 2, middle}},
                       {ACTIVATION_CUSTOM, {33, 44}}};
    for (const Case& c : cases) {
        tip->setActivate(c.direction, 44, 33, true);
        EXPECT_TRUE(controlOf(tip)->isVisible()) << c.direction;
        EXPECT_EQ(controlOf(tip)->anchor(), c.expected) << c.direction;
    }
    tip->setActivate(ACTIVATION_CENTER, 0, 0, false);
    EXPECT_FALSE(controlOf(tip)->isVisible());
}

TEST_F(ToolTipsTest, TheTipShowsOnTheSixthTickAfterTheFirstAndEverySeventhWhileTheMouseStays) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"Encrypts");
    add(cmdExit, u"Leaves");
    ASSERT_EQ(tips->Delay(), 6);
    QCursor::setPos(button->mapToGlobal(QPoint(10, 10)));
    tips->tick();  // finds the mouse over the control
    ASSERT_EQ(tips->hoveredIndex(), 1);
    std::vector<int> shownAt;
    for (int t = 1; t <= 20; ++t) {
        tips->tick();
        if (!controlOf(tip)->isVisible()) continue;
        shownAt.push_back(t);
        tip->setActivate(ACTIVATION_CENTER, 0, 0, false);
    }
    EXPECT_EQ(shownAt, (std::vector<int>{6, 13, 20}));

    QCursor::setPos(exit->mapToGlobal(QPoint(10, 10)));
    tips->tick();  // left: hidden and forgotten
    EXPECT_EQ(tips->hoveredIndex(), 0);
    EXPECT_FALSE(controlOf(tip)->isVisible());
    tips->tick();
    EXPECT_EQ(tips->hoveredIndex(), 2);
}

TEST_F(ToolTipsTest, AWindowlessLabelIsFoundByItsRectangleEdgesIncluded) {
    Ref<ToolTip> tip = add(lblPassword, u"Your password");
    EXPECT_EQ(SendMessageA(tip->window(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tip->Text(), u"Your password");
    struct Case {
        QPoint at;  // in the form
        bool over;
    } const cases[] = {{{20, 100}, true},  {{140, 120}, true},  {{80, 110}, true},
                       {{19, 100}, false}, {{141, 110}, false}, {{80, 121}, false}};
    for (const Case& c : cases) {
        QCursor::setPos(window->mapToGlobal(c.at));
        Ref<ToolTips> fresh = makeObject<ToolTips>();
        ObjectRef f(form), l(lblPassword);
        fresh->Add(f, l, u"x", u"", u"", SIMPLE, NONE, NON_TRACKING);
        fresh->tick();
        EXPECT_EQ(fresh->hoveredIndex() == 1, c.over) << c.at.x() << "," << c.at.y();
    }
    std::int32_t oneTick = 1;
    tips->setDelay(oneTick);
    QCursor::setPos(window->mapToGlobal(QPoint(30, 105)));
    tips->tick();
    tips->tick();
    EXPECT_TRUE(controlOf(tip)->isVisible());  // its stem points into the label
    const QPoint anchor = controlOf(tip)->anchor();
    EXPECT_EQ(anchor, window->mapToGlobal(QPoint(80, 110)));
}

TEST_F(ToolTipsTest, ReleaseDetachesDestroysAndStopsTheTimer) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"Encrypts");
    Ref<APITimer> timer = tips->timer().as<APITimer>();
    ASSERT_TRUE(timer);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000);
    const HWND handle = tip->window();
    tips.reset();
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(SendMessageA(handle, TTM_GETTOOLCOUNT, 0, 0), 0);  // the tool went
    tip.reset();
    EXPECT_FALSE(IsWindow(handle));  // and the window with its last reference
}

TEST_F(ToolTipsTest, AFormClosedWhileItsTipShowsLeavesNothingBehind) {
    Ref<ToolTip> tip = add(cmdEncrypt, u"Encrypts");
    tip->setActivate(ACTIVATION_CENTER, 0, 0, true);
    const HWND handle = tip->window();
    window.reset();
    EXPECT_FALSE(IsWindow(handle));
    tips->tick();  // the controls are gone: nothing hovers, nothing breaks
    EXPECT_EQ(tips->hoveredIndex(), 0);
    tip->setActivate(ACTIVATION_CENTER, 0, 0, true);
    EXPECT_EQ(tip->Text(), u"");
}
