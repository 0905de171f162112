// LogObject: appends one comma-separated line per Log call to the log file and, for errors, either opens
// the bug-report dialog or mails the report at once through Postwire's EmailObject.
//
// An empty LogFilename (the default) names no file: the line is dropped silently, as for any file that
// cannot be written; dialog and mail work as usual (the mail then goes without an attachment).
#pragma once

#include <QPointer>
#include <cstdint>
#include <string>

#include "component/ComObject.h"
#include "logging/Tracebook.h"
#include "logging/frmMain.h"

namespace velmora {

class LogObject : public Dispatchable<LogObject> {
  public:
    static const ClassInfo& describe();

    LogObject() = default;
    ~LogObject() override;

    std::int32_t MaxFileSize() const noexcept { return m_maxFileSize; }
    void setMaxFileSize(std::int32_t value) noexcept { m_maxFileSize = value; }
    std::u16string EmailAddress() const { return m_emailAddress; }
    void setEmailAddress(const std::u16string& value) { m_emailAddress = value; }
    bool LogToFile() const noexcept { return m_logToFile; }
    void setLogToFile(bool value) noexcept { m_logToFile = value; }
    std::u16string LogFilename() const { return m_logFilename; }
    void setLogFilename(const std::u16string& value) { m_logFilename = value; }
    std::u16string SMTPServer() const { return m_smtpServer; }
    void setSMTPServer(const std::u16string& value) { m_smtpServer = value; }
    std::u16string EmailPassword() const { return m_emailPassword; }
    void setEmailPassword(const std::u16string& value) { m_emailPassword = value; }
    std::u16string EmailUserName() const { return m_emailUserName; }
    void setEmailUserName(const std::u16string& value) { m_emailUserName = value; }

    void Log(const std::u16string& Description, const std::u16string& AppName,
             const std::u16string& ObjectName, const std::u16string& Routine, std::int32_t ErrNumber,
             bool& DisplayMessage, bool& SendEmail, std::int32_t& lType);

    // The dialog's SendEmail event.
    void frm_SendEmail(const std::u16string& AppName, std::int32_t Number, const std::u16string& Description,
                       const std::u16string& ObjectName, const std::u16string& Routine);

    // The bug-report dialog opened last, while it is open.
    frmMain* dialog() const { return m_dialog.data(); }

    // The line Log writes (with CR LF), at the current time.
    static std::string logLine(std::int32_t type, const std::u16string& appName,
                               const std::u16string& objectName, const std::u16string& routine,
                               const std::u16string& description, std::int32_t errNumber);

  private:
    void sendBugReport(const std::u16string& appName, std::int32_t number, const std::u16string& objectName,
                       const std::u16string& routine, const std::u16string& description);

    std::int32_t m_maxFileSize = 5000000;
    std::u16string m_emailAddress;
    bool m_logToFile = true;
    std::u16string m_logFilename;
    std::u16string m_smtpServer;
    std::u16string m_emailPassword;
    std::u16string m_emailUserName;
    QPointer<frmMain> m_dialog;
};

}  // namespace velmora
