#include "mMain.h"

#include "common/ApplicationLog.h"
#include "common/CommandLine.h"
#include "common/ComponentRegistration.h"
#include "common/mCommandLine.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "frmMain.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::mMain {

namespace {

constexpr std::int32_t kCriticalError = 2;  // LogType CriticalError

void record(const ObjectRef& log, const RuntimeError& error) {
    logEntry(log,
             {error.description(), u"Shredwell", u"mMain", u"Main", error.number(), true, kCriticalError});
}

}  // namespace

// What the eraser creates by name.
constexpr SuiteClass kServed[] = {
    {u"Diskware.FileObject", "Diskware.dll", ServerKind::InProcess},
    {u"Guidepost.HelpTopics", "Guidepost.dll", ServerKind::InProcess},
    {u"Gaugebox.ProgressObject", "Gaugebox.exe", ServerKind::LocalServer},
    {u"Tracebook.LogObject", "Tracebook.exe", ServerKind::LocalServer},
};

std::u16string programFolder() {
    const std::u16string path = programPath();
    const auto slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

void registerComponents(const std::string& folder) {
    registerComponentsBeside(folder, kServed);
}

void Main() {
    const std::u16string folder = programFolder();
    registerComponents(toUtf8(folder));

    ObjectRef log = CreateObject(u"Tracebook.LogObject");
    letProperty(log, u"EmailAddress", u"bugreports@velmora.invalid");
    letProperty(log, u"SMTPServer", u"mail.velmora.invalid");
    letProperty(log, u"LogToFile", true);
    letProperty(log, u"LogFilename", folder + u"\\Ardent.zq_");
    try {
        ObjectRef helpTopics = CreateObject(u"Guidepost.HelpTopics");
        letProperty(helpTopics, u"HelpFile", folder + u"\\Help.chm");
        const std::vector<std::u16string> arguments = mCommandLine::parseCommandLine();
        frmMain form(arguments, helpTopics);
        form.exec();
        if (form.failure()) record(log, *form.failure());
    } catch (const RuntimeError& error) {
        record(log, error);
    }
}

}  // namespace velmora::mMain
