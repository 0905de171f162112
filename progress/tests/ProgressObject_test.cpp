// ProgressObject and its window in this process: the update rules and their ignore conditions, the
// window's own closing, release, the clip, and the cost of one file's progress.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <chrono>
#include <string>

#include "component/calls.h"
#include "platform/library.h"
#include "platform/messagebox.h"
#include "progress/AnimationType.h"
#include "progress/ClipResources.h"
#include "progress/ProgressObject.h"
#include "progress/mAnimation.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/GuiTest.h"
#include "ui/WindowHandles.h"
#include "ui/windows.h"

using namespace velmora;

namespace {

class Progress : public test::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        registerClipResources(GetModuleHandleA(nullptr));
        object = makeObject<ProgressObject>();
    }
    void TearDown() override {
        object.reset();
        GuiTest::TearDown();
    }

    void initialize(std::u16string caption = u"Encrypting", std::int32_t min = 0, std::int32_t max = 100,
                    std::int32_t anim = 0, bool canCancel = false, bool onTop = false) {
        object->Initialize(caption, u"Starting", min, max, anim, canCancel, onTop);
        ASSERT_TRUE(object->initialised());
        ASSERT_NE(object->window(), nullptr);
    }
    frmProgressBar& form() { return *object->window(); }
    std::int32_t bar() { return form().ProgressBar1->Value(); }
    // Lets the window show what was written, as its next frame does.
    void showFrame() {
        ASSERT_TRUE(test::processUntil([&] { return !object->window() || !form().framePending(); }));
    }
    // The window is gone once its deferred deletion has run.
    static bool gone(HWND hWnd) {
        return test::processUntil([&] { return !IsWindow(hWnd); });
    }

    MessageBoxRecorder messages;
    Ref<ProgressObject> object;
};

}  // namespace

TEST_F(Progress, InitializeWithoutArgumentsShowsTheDefaultsAndTheFiveControls) {
    call(ObjectRef(object), u"Initialize");
    ASSERT_NE(object->window(), nullptr);
    frmProgressBar& w = form();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "Progress");
    EXPECT_EQ(w.lblProgressStatus->text(), "Initializing");
    EXPECT_EQ(w.ProgressBar1->Min(), 0);
    EXPECT_EQ(w.ProgressBar1->Max(), 100);
    EXPECT_FALSE(w.Animation1->isOpen());
    EXPECT_EQ(w.Button1->Caption(), "Cancel");
    EXPECT_FALSE(w.CanCancel());
    EXPECT_EQ(w.lblTimeRemaining->text(), "");
    EXPECT_EQ(object->Max(), 100);
    EXPECT_EQ(object->FormCaption(), u"Progress");
    EXPECT_TRUE(messages.messages().empty());

    struct Place {
        QWidget* control;
        int left, top, width, height;  // twips
    };
    const Place places[] = {{w.Animation1, 120, 120, 4695, 975},
                            {w.lblProgressStatus, 120, 1200, 4215, 255},
                            {w.ProgressBar1, 120, 1440, 4335, 255},
                            {w.Button1, 4560, 1440, 975, 375},
                            {w.lblTimeRemaining, 120, 1800, 4335, 255}};
    const int tx = twipsPerPixelX();
    const int ty = twipsPerPixelY();
    for (const Place& p : places) {
        SCOPED_TRACE(p.control->objectName().toStdString());
        EXPECT_EQ(p.control->geometry(), QRect(p.left / tx, p.top / ty, p.width / tx, p.height / ty));
        EXPECT_TRUE(w.rect().contains(p.control->geometry()));
    }
}

TEST_F(Progress, TheWarmUpAfterTheFirstObjectShowsNothingAndInitializeStillBuildsTheWindow) {
    ASSERT_TRUE(test::processUntil([] { return frmProgressBar::warmedUp(); }));
    for (const QWidget* widget : QApplication::topLevelWidgets()) EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(object->window(), nullptr);
    EXPECT_FALSE(object->initialised());
    initialize();
    EXPECT_TRUE(form().isVisible());
}

TEST_F(Progress, UpdatesBeforeInitializeAndAfterTerminateAreIgnored) {
    const auto updateAll = [&] {
        object->setMax(500);
        object->setMin(5);
        object->setValue(7);
        object->setStatusText(u"early");
        object->setFormCation(u"early");
        std::int32_t step = 3;
        object->AddValue(step);
    };
    updateAll();
    EXPECT_EQ(object->Max(), 0);
    EXPECT_EQ(object->Min(), 0);
    EXPECT_EQ(object->value(), 0);
    EXPECT_EQ(object->StatusText(), u"");
    EXPECT_EQ(object->FormCaption(), u"");
    object->setCloseOnComplete(true);  // the one member taken at any time
    EXPECT_TRUE(object->CloseOnComplete());

    initialize();
    object->setValue(40);
    object->Terminate();
    updateAll();
    EXPECT_EQ(object->Max(), 100);
    EXPECT_EQ(object->Min(), 0);
    EXPECT_EQ(object->Animation(), 0);
    EXPECT_EQ(object->StatusText(), u"");
    EXPECT_EQ(object->FormCaption(), u"");
    EXPECT_EQ(object->value(), 40);  // kept through Terminate
    EXPECT_TRUE(object->CloseOnComplete());
    EXPECT_EQ(object->window(), nullptr);
}

TEST_F(Progress, RangeWritesOutsideTheirConditionsAreIgnored) {
    struct Case {
        const char* what;
        std::int32_t min, max;  // initial range
        bool writeMax;
        std::int32_t written;
        std::int32_t wantMin, wantMax;
    };
    const Case cases[] = {
        {"Max below Min", 60, 100, true, 50, 60, 100}, {"Max equal to Min", 60, 100, true, 60, 60, 100},
        {"negative Max", 0, 100, true, -1, 0, 100},    {"Max above Min", 60, 100, true, 61, 60, 61},
        {"negative Min", 0, 100, false, -5, 0, 100},   {"Min equal to Max", 0, 100, false, 100, 0, 100},
        {"Min below Max", 0, 100, false, 99, 99, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        initialize(u"Range", c.min, c.max);
        if (c.writeMax)
            object->setMax(c.written);
        else
            object->setMin(c.written);
        EXPECT_EQ(object->Min(), c.wantMin);
        EXPECT_EQ(object->Max(), c.wantMax);
        EXPECT_EQ(form().ProgressBar1->Min(), c.wantMin);
        EXPECT_EQ(form().ProgressBar1->Max(), c.wantMax);
        object->Terminate();
    }
}

TEST_F(Progress, ValueMovesTheBarOnlyInsideTheRangeAndOnlyWhenItChanged) {
    initialize();
    object->setValue(50);
    showFrame();
    EXPECT_EQ(bar(), 50);
    // An unchanged value is not passed on: the bar keeps what it shows.
    form().ProgressBar1->setValue(10);
    object->setValue(50);
    showFrame();
    EXPECT_EQ(bar(), 10);
    object->setValue(100);  // the maximum does not fill the bar
    showFrame();
    EXPECT_EQ(bar(), 10);
    EXPECT_EQ(object->value(), 100);
    object->setValue(-1);
    showFrame();
    EXPECT_EQ(bar(), 10);
    EXPECT_EQ(object->value(), -1);
    object->setValue(99);
    showFrame();
    EXPECT_EQ(bar(), 99);
}

// A client writing per small file: everything reads back at once, the window shows the latest with its
// next frame, and a range change or AddValue works from the latest value, never a stale one.
TEST_F(Progress, WritesReadBackAtOnceAndTheWindowShowsTheLatestWithItsNextFrame) {
    initialize();
    for (int i = 1; i <= 300; ++i) {
        object->setStatusText(u"file " + fromUtf8(std::to_string(i)));
        object->setValue(i % 90);
    }
    EXPECT_EQ(object->StatusText(), u"file 300");
    EXPECT_EQ(form().Task(), u"file 300");
    EXPECT_EQ(form().value(), 300 % 90);
    showFrame();
    EXPECT_EQ(form().lblProgressStatus->text(), "file 300");
    EXPECT_EQ(bar(), 300 % 90);

    object->setValue(60);
    object->setMax(50);  // the 60 was shown on the old range first
    EXPECT_EQ(bar(), 60);
    object->setMax(100);
    object->setValue(20);
    std::int32_t step = 30;
    object->AddValue(step);
    EXPECT_EQ(bar(), 50);
    EXPECT_EQ(object->value(), 50);
}

TEST_F(Progress, StatusTextAndCaptionReachTheWindowOnlyWhenTheyChange) {
    initialize(u"Encrypting");
    object->setStatusText(u"file1.txt");
    showFrame();
    EXPECT_EQ(form().lblProgressStatus->text(), "file1.txt");
    form().lblProgressStatus->setText("changed behind its back");
    object->setStatusText(u"file1.txt");
    showFrame();
    EXPECT_EQ(form().lblProgressStatus->text(), "changed behind its back");

    object->setFormCation(u"");
    EXPECT_EQ(form().windowTitle(), "Progress");
    EXPECT_EQ(object->FormCaption(), u"Progress");
    object->setFormCation(u"Decrypting");
    EXPECT_EQ(form().windowTitle(), "Decrypting");
    object->Terminate();

    initialize(u"");
    object->setFormCation(u"");
    EXPECT_EQ(object->FormCaption(), u"");
    EXPECT_EQ(form().windowTitle(), "");
}

TEST_F(Progress, AddValueReachingTheMaximumClosesTheWindowButTheObjectStaysInitialised) {
    initialize();
    const HWND hWnd = handleOf(object->window());
    std::int32_t step = 30;
    for (int i = 0; i < 3; ++i) object->AddValue(step);
    EXPECT_EQ(bar(), 90);
    EXPECT_NE(object->window(), nullptr);
    object->AddValue(step);
    EXPECT_EQ(object->value(), 120);
    EXPECT_EQ(object->window(), nullptr);
    EXPECT_TRUE(gone(hWnd));
    EXPECT_TRUE(object->initialised());
    // Later updates no longer show and do not fail.
    object->setValue(5);
    object->setStatusText(u"after");
    object->AddValue(step);
    EXPECT_EQ(object->value(), 35);
    EXPECT_EQ(object->StatusText(), u"after");
}

TEST_F(Progress, AddValueOverflowFailsWithErrorSixAndChangesNothing) {
    initialize(u"Big", 0, 100);
    object->setValue(2147483600);
    std::int32_t step = 100;
    try {
        object->AddValue(step);
        FAIL() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
    EXPECT_EQ(object->value(), 2147483600);
    EXPECT_NE(object->window(), nullptr);  // the window did not take the step either
    // Through late binding the same error reaches the caller.
    Variant lateStep(std::int32_t{100});
    try {
        call(ObjectRef(object), u"AddValue", lateStep);
        FAIL() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
}

TEST_F(Progress, TerminateUnloadsAndALaterInitializeBuildsAFreshWindow) {
    initialize(u"First", 0, 100, FileCopy);
    const HWND first = handleOf(object->window());
    object->Terminate();
    EXPECT_TRUE(gone(first));
    initialize(u"Second");
    EXPECT_NE(handleOf(object->window()), first);
    EXPECT_EQ(form().windowTitle(), "Second");
}

TEST_F(Progress, ReleaseTerminatesAndAUserCloseLeavesTheObjectUsable) {
    initialize();
    const HWND hWnd = handleOf(object->window());
    object.reset();
    EXPECT_TRUE(gone(hWnd));

    object = makeObject<ProgressObject>();
    initialize();
    const HWND second = handleOf(object->window());
    form().close();  // the title bar's close button
    EXPECT_TRUE(gone(second));
    EXPECT_TRUE(object->initialised());
    object->setValue(10);
    object->setStatusText(u"still fine");
    EXPECT_EQ(object->value(), 10);
}

TEST_F(Progress, TheChosenClipPlaysAndAnUnknownOneShowsNothing) {
    initialize(u"Copy", 0, 100, FileCopy);
    EXPECT_EQ(object->Animation(), FileCopy);
    ASSERT_TRUE(form().Animation1->isPlaying());
    EXPECT_EQ(form().Animation1->clip()->width(), 260);
    object->Terminate();

    initialize(u"Unknown", 0, 100, 999);
    EXPECT_EQ(object->Animation(), 999);
    EXPECT_FALSE(form().Animation1->isOpen());
    EXPECT_TRUE(messages.messages().empty());
}

// A client's number is a clip identifier, never a text pointer: values outside the identifiers (negative,
// True, huge) take the path of a clip that cannot be opened, and the window goes on without animation.
TEST_F(Progress, AnAnimationValueOutsideTheClipIdentifiersNeverCrashesTheServer) {
    int round = 0;
    const auto initializeWith = [&](Variant value) {
        Variant canCancel(false), onTop(false);
        const std::size_t before = messages.messages().size();
        call(ObjectRef(object), u"Initialize", u"Hostile", u"Starting", 0, 100, value, canCancel, onTop);
        EXPECT_TRUE(object->initialised());
        EXPECT_TRUE(form().isVisible());
        EXPECT_FALSE(form().Animation1->isOpen());
        // Still answering (a new value each round: the object keeps its value through Terminate).
        const std::int32_t answer = 10 + ++round;
        object->setValue(answer);
        showFrame();
        EXPECT_EQ(form().ProgressBar1->Value(), answer);
        object->Terminate();
        const auto shown = messages.messages();
        return std::vector<MessageBoxRecorder::Message>(shown.begin() + static_cast<std::ptrdiff_t>(before),
                                                        shown.end());
    };
    for (const std::int32_t anim : {-1, -116, 65536, 100000, 0x7FFFFFFF, std::int32_t(0x80000000)}) {
        SCOPED_TRACE(anim);
        const auto shown = initializeWith(Variant(anim));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Invalid procedure call or argument");
        EXPECT_EQ(shown[0].type & MB_TYPEMASK, MB_OK);
    }
    // A Boolean converts to its number: True is -1 (no identifier), False is 0 (no clip, nothing shown).
    EXPECT_EQ(initializeWith(Variant(true)).size(), 1u);
    EXPECT_EQ(initializeWith(Variant(false)).size(), 0u);
    // An identifier without a clip shows nothing, as before.
    EXPECT_EQ(initializeWith(Variant(std::int32_t{117})).size(), 0u);
}

TEST_F(Progress, AnErrorStartingTheClipIsShownInAnOkMessageBox) {
    StartAnimation(nullptr, FileCopy);
    const auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Object variable or With block variable not set");
    EXPECT_EQ(shown[0].type & MB_TYPEMASK, MB_OK);
}

TEST_F(Progress, CanCancelAndAlwaysOnTopReachTheWindow) {
    initialize(u"Options", 0, 100, 0, true, true);
    EXPECT_TRUE(form().CanCancel());
    EXPECT_TRUE(GetWindowLongA(handleOf(object->window()), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Progress, OneFilesProgressTakesWellUnderFiftyMilliseconds) {
    initialize(u"Timing", 0, 100, FileCopy);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
        object->setValue(i);
        object->setStatusText(u"file " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(50));
    RecordProperty("in_process_us",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
}

// What users see: the window with the FileCopy clip half-way, saved for the documentation.
TEST_F(Progress, ScreenshotWithTheFileCopyClipMidRun) {
    initialize(u"Encrypting", 0, 100, FileCopy);
    object->setStatusText(u"Z:\\home\\user\\Documents\\report.odt");
    object->setValue(45);
    showFrame();
    AnimationControl& clip = *form().Animation1;
    clip.Stop();
    clip.Play(1, 8, 8);  // frame 8 of 17: the sheet at the top of its arc
    const QImage shot = form().grab().toImage();
    ASSERT_FALSE(shot.isNull());
    // The clip is in the picture where the control is.
    const QRect where = clip.geometry();
    EXPECT_EQ(shot.copy(where.x(), where.y(), 260, 40).convertToFormat(QImage::Format_RGB32),
              clip.picture().convertToFormat(QImage::Format_RGB32));
    QDir().mkpath(VELMORA_DOCS_DIR "/screenshots");
    EXPECT_TRUE(shot.save(VELMORA_DOCS_DIR "/screenshots/progress-filecopy.png"));
}
