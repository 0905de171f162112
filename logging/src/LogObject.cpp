#include "logging/LogObject.h"

#include <algorithm>
#include <cstdio>

#include "component/ClassBuilder.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "logging/LogFile.h"
#include "platform/messagebox.h"
#include "runtime/Error.h"
#include "runtime/datetime.h"
#include "runtime/format.h"
#include "runtime/text.h"
#include "ui/application.h"

namespace velmora {
namespace {

constexpr char16_t kNotSpecified[] = u"Not Specified";

std::u16string number(std::int32_t value) {
    return fromUtf8(std::to_string(value));
}

// A line break inside a field would start a line of its own: a forged entry. Commas stay as they are.
std::u16string field(std::u16string text) {
    std::replace_if(
        text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    return text;
}

}  // namespace

const ClassInfo& LogObject::describe() {
    using L = LogObject;
    static const ClassInfo info =
        ClassBuilder<L>(u"LogObject")
            .property(u"MaxFileSize", &L::MaxFileSize, &L::setMaxFileSize)
            .property(u"EmailAddress", &L::EmailAddress, &L::setEmailAddress)
            .property(u"LogToFile", &L::LogToFile, &L::setLogToFile)
            .property(u"LogFilename", &L::LogFilename, &L::setLogFilename)
            .propertyLet(u"SMTPServer", &L::setSMTPServer)
            .propertyGet(u"SMTPServer", &L::SMTPServer)
            .method(u"Log", &L::Log,
                    {u"Description", opt(u"AppName", kNotSpecified), opt(u"ObjectName", kNotSpecified),
                     opt(u"Routine", kNotSpecified), opt(u"ErrNumber", 0), opt(u"DisplayMessage", false),
                     opt(u"SendEmail", false), opt(u"lType", std::int32_t{Warning})})
            .propertyLet(u"EmailPassword", &L::setEmailPassword)
            .propertyGet(u"EmailPassword", &L::EmailPassword)
            .propertyLet(u"EmailUserName", &L::setEmailUserName)
            .propertyGet(u"EmailUserName", &L::EmailUserName)
            .build();
    return info;
}

LogObject::~LogObject() {
    // An open dialog stays up on its own, but no longer reaches this object.
    if (m_dialog) m_dialog->onSendEmail({});
}

std::string LogObject::logLine(std::int32_t type, const std::u16string& appName,
                               const std::u16string& objectName, const std::u16string& routine,
                               const std::u16string& description, std::int32_t errNumber) {
    const std::u16string stamp = Format(Variant(Now()), u"mm/dd/yy hh:nn:ss");
    std::u16string line = number(type) + u"," + field(appName) + u"," + field(objectName) + u"," +
                          field(routine) + u"," + stamp + u"," + field(description) + u",";
    if (type != Info && errNumber != 0) line += number(errNumber);
    return toUtf8(line) + "\r\n";
}

void LogObject::Log(const std::u16string& Description, const std::u16string& AppName,
                    const std::u16string& ObjectName, const std::u16string& Routine, std::int32_t ErrNumber,
                    bool& DisplayMessage, bool& SendEmail, std::int32_t& lType) {
    try {
        const std::string line = logLine(lType, AppName, ObjectName, Routine, Description, ErrNumber);
        if (m_logToFile) appendLogLine(logFileFor(toUtf8(m_logFilename)), line, m_maxFileSize);
        if (ErrNumber == 0) return;
        if (DisplayMessage) {
            if (headlessServer()) {
                // Nobody could see the dialog or press its buttons: the entry is in the file, and said
                // where a person may read it.
                std::fprintf(stderr, "[Error in %s] %s (%d, %s.%s)\n", toUtf8(AppName).c_str(),
                             toUtf8(Description).c_str(), ErrNumber, toUtf8(ObjectName).c_str(),
                             toUtf8(Routine).c_str());
                return;
            }
            // The new dialog takes over: "Send" on an earlier one no longer reaches this object.
            if (m_dialog) m_dialog->onSendEmail({});
            m_dialog = new frmMain();
            m_dialog->onSendEmail([this](const std::u16string& app, std::int32_t n,
                                         const std::u16string& description, const std::u16string& object,
                                         const std::u16string& routine) {
                frm_SendEmail(app, n, description, object, routine);
            });
            m_dialog->BeginControl(AppName, ErrNumber, ObjectName, Routine, Description);
            return;
        }
        if (SendEmail) sendBugReport(AppName, ErrNumber, ObjectName, Routine, Description);
    } catch (const RuntimeError& error) {
        MessageBoxA(0, toUtf8(error.description()).c_str(), "Class CTracebook Function Log()", MB_OK);
    }
}

void LogObject::frm_SendEmail(const std::u16string& AppName, std::int32_t Number,
                              const std::u16string& Description, const std::u16string& ObjectName,
                              const std::u16string& Routine) {
    try {
        sendBugReport(AppName, Number, ObjectName, Routine, Description);
    } catch (const RuntimeError& error) {
        // The user pressed Send: tell them why nothing went out.
        MessageBoxA(0, toUtf8(error.description()).c_str(), "Class CTracebook Function frm_SendEmail()",
                    MB_OK | MB_ICONEXCLAMATION);
    }
}

void LogObject::sendBugReport(const std::u16string& appName, std::int32_t errNumber,
                              const std::u16string& objectName, const std::u16string& routine,
                              const std::u16string& description) {
    ObjectRef email = CreateObject(u"Postwire.EmailObject");
    letProperty(email, u"DeliveryType", std::int32_t{1});
    letProperty(email, u"UserName", m_emailUserName);
    letProperty(email, u"Password", m_emailPassword);
    letProperty(email, u"DisplayName", appName + u" - email bugs");
    call(email, u"AddRecipient", m_emailAddress, std::u16string(u"Bugs"), std::int16_t{1});
    call(email, u"AddAttachment", fromUtf8(logFileFor(toUtf8(m_logFilename))));
    letProperty(email, u"smtpServer", m_smtpServer);
    const std::u16string stamp = Format(Variant(Now()), u"mm/dd/yyyy hh:mm:ss");
    const std::u16string body = u"2," + appName + u"," + objectName + u"," + routine + u"," + stamp + u"," +
                                description + u"," + number(errNumber);
    call(email, u"SendEmail", appName + u" - Bug Report", body);
}

}  // namespace velmora
