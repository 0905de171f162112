// Sealdesk's start routine. Every object is created by name, as the shell-started program always did;
// SuiteClasses makes sure the names lead to the libraries and servers beside the program.
#include "mMain.h"

#include "SuiteClasses.h"
#include "common/ApplicationLog.h"
#include "common/CommandLine.h"
#include "common/mCommandLine.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "frmDecrypt.h"
#include "frmEncrypt.h"
#include "runtime/Error.h"
#include "runtime/nativenames.h"

namespace velmora::mMain {

namespace {
// Where bug reports would go: the maker's endpoints are not ours to use, so placeholders.
constexpr char16_t kBugReportAddress[] = u"bugs@sealdesk.invalid";
constexpr char16_t kBugReportServer[] = u"mail.sealdesk.invalid";
constexpr std::int32_t kCriticalError = 2;

std::u16string& directorySetting() {
    static std::u16string folder;
    return folder;
}

std::u16string inProgramDirectory(std::u16string_view name) {
    return programDirectory() + u"\\" + std::u16string(name);
}

void registerEncryptedFiles() {
    ObjectRef association = CreateObject(u"Hivekeep.AssociationObject");
    call(association, u"CreateFileAss", std::u16string(u".zqf"), std::u16string(u"Ardentum.EncryptedFile"),
         std::u16string(u"Ardentum Encrypted File"), std::u16string(u"Open"),
         inProgramDirectory(u"Sealdesk.exe"), std::u16string(u"/v"), true, inProgramDirectory(u"zqf.ico"),
         false, false);
}

template <class Form>
void showModal() {
    Form form;
    if (form.load()) form.exec();
}
}  // namespace

Shared& shared() {
    static Shared objects;
    return objects;
}

const std::u16string& programDirectory() {
    std::u16string& folder = directorySetting();
    if (folder.empty()) {
        const std::u16string path = programPath();
        folder = path.substr(0, path.find_last_of(u'\\'));
    }
    return folder;
}

void setProgramDirectory(std::u16string folder) {
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    directorySetting() = std::move(folder);
}

void logError(const std::u16string& description, std::int32_t number, const std::u16string& objectName,
              const std::u16string& routine) {
    logEntry(shared().log, {description, u"Sealdesk", objectName, routine, number, true, kCriticalError});
}

void Main() {
    Shared& objects = shared();
    SuiteClasses::ensureRegistered();
    objects.log = CreateObject(u"Tracebook.LogObject");
    letProperty(objects.log, u"EmailAddress", std::u16string(kBugReportAddress));
    letProperty(objects.log, u"SMTPServer", std::u16string(kBugReportServer));
    letProperty(objects.log, u"LogToFile", true);
    letProperty(objects.log, u"LogFilename", inProgramDirectory(u"Ardent.zq_"));
    try {
        objects.help = CreateObject(u"Guidepost.HelpTopics");
        letProperty(objects.help, u"HelpFile", inProgramDirectory(u"Help.chm"));
        registerEncryptedFiles();
        objects.file = CreateObject(u"Diskware.FileObject");
        objects.directory = CreateObject(u"Diskware.DirectoryObject");
        mCommandLine::parseCommandLine();
        if (mCommandLine::argumentCount() > 2) {
            const std::u16string verb = mCommandLine::argument(1);
            if (verb == u"/d" || verb == u"/v")
                showModal<frmDecrypt>();
            else if (verb == u"/e")
                showModal<frmEncrypt>();
        }
    } catch (const RuntimeError& error) {
        logError(error.description(), error.number(), u"mMain", u"Main");
    }
}

}  // namespace velmora::mMain
