#include "mMain.h"

#include "common/ApplicationLog.h"
#include "common/CommandLine.h"
#include "common/ComponentRegistration.h"
#include "common/mCommandLine.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "frmMain.h"
#include "platform/messagebox.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::mMain {

namespace {

constexpr std::int32_t kWarning = 1;        // LogType Warning
constexpr std::int32_t kCriticalError = 2;  // LogType CriticalError
constexpr std::size_t kNamesShown = 20;     // in the closing message; the log holds them all

void record(const ObjectRef& log, const RuntimeError& error) {
    logEntry(log,
             {error.description(), u"Shredwell", u"mMain", u"Main", error.number(), true, kCriticalError});
}

// Every item the erase left is logged by name with its reason, and one closing message lists them, so that
// nobody takes a file still there for destroyed.
void reportLeftAlone(const ObjectRef& log, const std::vector<EraseProcedure::LeftAlone>& items) {
    if (items.empty()) return;
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Variant display(false), sendEmail(false), type(kWarning);
        call(log, u"Log", items[i].reason + u": " + items[i].path, u"Shredwell", u"EraseProcedure", u"Erase",
             items[i].number, display, sendEmail, type);
        if (i < kNamesShown) list += "\n" + toUtf8(items[i].path);
    }
    if (items.size() > kNamesShown)
        list += "\n... and " + std::to_string(items.size() - kNamesShown) + " more";
    const std::string text = std::to_string(items.size()) +
                             " item(s) were NOT destroyed and are still there (the log says why):" + list;
    MessageBoxA(0, text.c_str(), "Shredwell - Not destroyed", MB_ICONWARNING | MB_OK);
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
        reportLeftAlone(log, form.leftAlone());
        if (form.failure()) record(log, *form.failure());
    } catch (const RuntimeError& error) {
        record(log, error);
    }
}

}  // namespace velmora::mMain
