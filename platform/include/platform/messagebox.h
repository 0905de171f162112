// MessageBoxA. Until a GUI is up the platform writes the caption and text to standard error and answers
// with the default button; the GUI layer installs a presenter that shows a real dialog, and tests install
// a MessageBoxRecorder.
#pragma once

#include "platform/win32types.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Buttons (the low four bits of uType).
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_CANCELTRYCONTINUE = 0x6;
constexpr UINT MB_TYPEMASK = 0xF;
// Icons.
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;
// Default button.
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFBUTTON4 = 0x300;
constexpr UINT MB_DEFMASK = 0xF00;
// Modality and placement.
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_HELP = 0x4000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_DEFAULT_DESKTOP_ONLY = 0x20000;
constexpr UINT MB_TOPMOST = 0x40000;
constexpr UINT MB_RIGHT = 0x80000;
constexpr UINT MB_RTLREADING = 0x100000;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// Shows a message and returns the button chosen. A null caption reads "Error", a null text is empty.
// 0 with ERROR_INVALID_PARAMETER for a button set (uType & MB_TYPEMASK) that does not exist.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

namespace velmora {

// Shows one message and returns the answer; text and caption are never null here.
using MessageBoxPresenter = std::function<int(HWND hwnd, const char* text, const char* caption, UINT type)>;

// Installs the presenter for every later MessageBoxA of the process and returns the one it replaces
// (an empty function restores the standard-error presenter).
MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter presenter);

// The answer of the default button of uType (MB_DEFBUTTONn, the first button when n is beyond the
// set); 0 for a button set that does not exist.
int defaultMessageBoxAnswer(UINT type);

// Records every message box while it lives, answering each from a queue of answers and, when the queue
// is empty, with the default button. Restores the previous presenter when it ends. Thread-safe.
class MessageBoxRecorder {
  public:
    struct Message {
        HWND hwnd;
        std::string text;
        std::string caption;
        UINT type;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // Queues the answer of a later message box (answers are used in order).
    void answer(int id);
    // The messages shown so far, oldest first.
    std::vector<Message> messages() const;

  private:
    int present(HWND hwnd, const char* text, const char* caption, UINT type);

    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    std::deque<int> m_answers;
    MessageBoxPresenter m_previous;
};

}  // namespace velmora
