#include "platform/messagebox.h"

#include <cstdio>

namespace velmora {

namespace {

int presentOnStandardError(HWND, const char* text, const char* caption, UINT type) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
    return defaultMessageBoxAnswer(type);
}

std::mutex& presenterLock() {
    static std::mutex lock;
    return lock;
}

MessageBoxPresenter& currentPresenter() {
    static MessageBoxPresenter presenter;
    return presenter;
}

}  // namespace

MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter presenter) {
    std::lock_guard lock(presenterLock());
    std::swap(currentPresenter(), presenter);
    return presenter;
}

int defaultMessageBoxAnswer(UINT type) {
    static const std::vector<int> kButtons[] = {
        {IDOK},        {IDOK, IDCANCEL},    {IDABORT, IDRETRY, IDIGNORE},       {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO}, {IDRETRY, IDCANCEL}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
    };
    const UINT set = type & MB_TYPEMASK;
    if (set >= std::size(kButtons)) return 0;
    const auto& buttons = kButtons[set];
    const std::size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

MessageBoxRecorder::MessageBoxRecorder()
    : m_previous(setMessageBoxPresenter([this](HWND hwnd, const char* text, const char* caption, UINT type) {
          return present(hwnd, text, caption, type);
      })) {}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageBoxPresenter(std::move(m_previous));
}

void MessageBoxRecorder::answer(int id) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(id);
}

std::vector<MessageBoxRecorder::Message> MessageBoxRecorder::messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

int MessageBoxRecorder::present(HWND hwnd, const char* text, const char* caption, UINT type) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({hwnd, text, caption, type});
    if (m_answers.empty()) return defaultMessageBoxAnswer(type);
    const int id = m_answers.front();
    m_answers.pop_front();
    return id;
}

}  // namespace velmora

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    if (velmora::defaultMessageBoxAnswer(uType) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    velmora::MessageBoxPresenter presenter;
    {
        std::lock_guard lock(velmora::presenterLock());
        presenter = velmora::currentPresenter();
    }
    const char* text = lpText ? lpText : "";
    const char* caption = lpCaption ? lpCaption : "Error";
    return presenter ? presenter(hWnd, text, caption, uType)
                     : velmora::presentOnStandardError(hWnd, text, caption, uType);
}
