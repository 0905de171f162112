#include "MessageBoxDialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/messagebox.h"
#include "ui/WindowHandles.h"
#include "ui/application.h"

namespace velmora {
namespace {

struct ButtonSpec {
    int id;
    const char* caption;
    const char* name;
};

// The buttons of each set (uType & MB_TYPEMASK), in order.
const std::vector<ButtonSpec>& buttonsOf(UINT type) {
    static const std::vector<ButtonSpec> kSets[] = {
        {{IDOK, "OK", "IDOK"}},
        {{IDOK, "OK", "IDOK"}, {IDCANCEL, "Cancel", "IDCANCEL"}},
        {{IDABORT, "&Abort", "IDABORT"}, {IDRETRY, "&Retry", "IDRETRY"}, {IDIGNORE, "&Ignore", "IDIGNORE"}},
        {{IDYES, "&Yes", "IDYES"}, {IDNO, "&No", "IDNO"}, {IDCANCEL, "Cancel", "IDCANCEL"}},
        {{IDYES, "&Yes", "IDYES"}, {IDNO, "&No", "IDNO"}},
        {{IDRETRY, "&Retry", "IDRETRY"}, {IDCANCEL, "Cancel", "IDCANCEL"}},
        {{IDCANCEL, "Cancel", "IDCANCEL"},
         {IDTRYAGAIN, "&Try Again", "IDTRYAGAIN"},
         {IDCONTINUE, "&Continue", "IDCONTINUE"}},
    };
    return kSets[type & MB_TYPEMASK];
}

QMessageBox::Icon iconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int showMessageBoxDialog(HWND hWnd, const char* text, const char* caption, UINT type) {
    if (!onGuiThread()) {
        std::fprintf(stderr, "[%s] %s\n", caption, text);
        return defaultMessageBoxAnswer(type);
    }
    QMessageBox box(iconOf(type), QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::NoButton,
                    widgetOf(hWnd));
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    if (type & (MB_TOPMOST | MB_SYSTEMMODAL)) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    std::map<QAbstractButton*, int> answers;
    const auto& buttons = buttonsOf(type);
    for (const ButtonSpec& entry : buttons) {
        QPushButton* button = box.addButton(QString::fromUtf8(entry.caption), QMessageBox::ActionRole);
        button->setObjectName(QString::fromUtf8(entry.name));
        answers[button] = entry.id;
        if (entry.id == defaultMessageBoxAnswer(type)) box.setDefaultButton(button);
        // Closing the box answers Cancel where there is one, OK when OK is all; otherwise it cannot close.
        if (entry.id == IDCANCEL || buttons.size() == 1) box.setEscapeButton(button);
    }
    box.exec();
    const auto chosen = answers.find(box.clickedButton());
    return chosen == answers.end() ? defaultMessageBoxAnswer(type) : chosen->second;
}

}  // namespace velmora
