// frmMain: the bug-report dialog. It shows the error, offers "View Details" (toggling the list of the
// five values below the buttons), "Send" (raising SendEmail to whoever handles it; the dialog stays) and
// "Close". Modeless; it deletes itself when closed.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/SkinButton.h"
#include "ui/SkinFrame.h"

namespace velmora {

class frmMain : public QWidget {
    Q_OBJECT

  public:
    // The SendEmail event: AppName, Number, Description, ObjectName, Routine.
    using SendEmailHandler = std::function<void(const std::u16string&, std::int32_t, const std::u16string&,
                                                const std::u16string&, const std::u16string&)>;
    // What keeps the server process up while a dialog is open (the server's main sets it).
    using KeepAlive = std::function<std::shared_ptr<void>()>;
    static void setKeepAlive(KeepAlive make);

    frmMain();
    ~frmMain() override;

    void BeginControl(const std::u16string& AppName, std::int32_t Number, const std::u16string& ObjectName,
                      const std::u16string& Routine, const std::u16string& Description);
    // Replaces the handler of the SendEmail event (an empty one: nobody listens any more).
    void onSendEmail(SendEmailHandler handler) { m_sendEmail = std::move(handler); }

    // Heights of the two states, in pixels.
    int collapsedHeight() const;
    int expandedHeight() const;
    bool expanded() const noexcept { return m_expanded; }

    QLabel* Picture1;
    QLabel* Label1;
    SkinButton* cmdView;
    SkinButton* cmdSend;
    SkinButton* cmdCancel;
    SkinFrame* Frame1;
    QListWidget* List1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void place(QWidget* control, int left, int top, int width, int height);
    void toggleDetails();
    void send();

    std::u16string m_appName;
    std::int32_t m_number = 0;
    std::u16string m_objectName;
    std::u16string m_routine;
    std::u16string m_description;
    bool m_expanded = false;
    SendEmailHandler m_sendEmail;
    std::shared_ptr<void> m_keepAlive;
};

}  // namespace velmora
