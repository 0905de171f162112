#include "platform/messagebox.h"

#include <gtest/gtest.h>

namespace {

using velmora::MessageBoxRecorder;

TEST(MessageBox, DefaultAnswerFollowsButtonSetAndDefaultButton) {
    const struct {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_ICONERROR | MB_DEFBUTTON2, IDOK},  // beyond the set: the first button
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
        {0x7, 0},
        {0xF, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velmora::defaultMessageBoxAnswer(c.type), c.answer) << std::hex << c.type;
}

TEST(MessageBox, WithoutGuiWritesToStandardErrorAndAnswersTheDefault) {
    testing::internal::CaptureStderr();
    const int answer = MessageBoxA(0, "Could not register", "DLL/OCX Register", MB_YESNO | MB_DEFBUTTON2);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDNO);
    EXPECT_NE(output.find("DLL/OCX Register"), std::string::npos);
    EXPECT_NE(output.find("Could not register"), std::string::npos);

    EXPECT_EQ(MessageBoxA(0, "x", "y", 0x9), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(MessageBox, RecorderCapturesMessagesAndAnswersFromItsQueue) {
    MessageBoxRecorder recorder;
    recorder.answer(IDNO);
    recorder.answer(IDRETRY);
    EXPECT_EQ(MessageBoxA(42, "first", "Title", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(0, "second", nullptr, MB_RETRYCANCEL | MB_ICONSTOP), IDRETRY);
    EXPECT_EQ(MessageBoxA(7, nullptr, "Third", MB_OKCANCEL | MB_DEFBUTTON2),
              IDCANCEL);  // queue empty: default

    const auto messages = recorder.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].hwnd, 42u);
    EXPECT_EQ(messages[0].text, "first");
    EXPECT_EQ(messages[0].caption, "Title");
    EXPECT_EQ(messages[0].type, MB_YESNO);
    EXPECT_EQ(messages[1].caption, "Error");
    EXPECT_EQ(messages[1].type, MB_RETRYCANCEL | MB_ICONSTOP);
    EXPECT_EQ(messages[2].text, "");
}

TEST(MessageBox, NestedRecordersRestoreThePresenterBefore) {
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder inner;
        MessageBoxA(0, "inner", "t", MB_OK);
        EXPECT_EQ(inner.messages().size(), 1u);
    }
    MessageBoxA(0, "outer", "t", MB_OK);
    ASSERT_EQ(outer.messages().size(), 1u);
    EXPECT_EQ(outer.messages()[0].text, "outer");
}

}  // namespace
