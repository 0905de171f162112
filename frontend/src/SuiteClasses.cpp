// Registration of the suite's classes on first use of a folder.
#include "SuiteClasses.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "common/CommandLine.h"
#include "component/hresult.h"
#include "component/registration.h"
#include "platform/attributes.h"
#include "platform/library.h"
#include "platform/owned.h"
#include "platform/paths.h"
#include "runtime/text.h"

namespace velmora::SuiteClasses {

namespace {
struct Served {
    const char16_t* progId;  // one class the file serves: it stands for the file's whole table
    const char* file;
    ServerKind kind;
};

// Guidepost first: creating HelpTopics looks for the help viewer its registration records.
constexpr Served kServed[] = {
    {u"Guidepost.HelpTopics", "Guidepost.dll", ServerKind::InProcess},
    {u"Hivekeep.AssociationObject", "Hivekeep.dll", ServerKind::InProcess},
    {u"Diskware.FileObject", "Diskware.dll", ServerKind::InProcess},
    {u"Hostprobe.SystemObject", "Hostprobe.dll", ServerKind::InProcess},
    {u"Ciphercore.EncryptObject", "Ciphercore.dll", ServerKind::InProcess},
    {u"Tracebook.LogObject", "Tracebook.exe", ServerKind::LocalServer},
    {u"Gaugebox.ProgressObject", "Gaugebox.exe", ServerKind::LocalServer},
    {u"Postwire.EmailObject", "Postwire.exe", ServerKind::LocalServer},
};
constexpr int kRegistrationWaitMs = 10000;

std::string& directorySetting() {
    static std::string folder;
    return folder;
}

bool registeredToExistingFile(const Served& served) {
    const auto classId = classIdOfProgId(served.progId);
    if (!classId) return false;
    const auto path = serverPathOf(*classId, served.kind);
    return path && GetFileAttributesA(path->c_str()) != INVALID_FILE_ATTRIBUTES;
}

void registerFile(const Served& served, const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (served.kind == ServerKind::LocalServer) {
        QProcess server;
        server.start(QString::fromStdString(path), {QStringLiteral("/regserver")});
        if (!server.waitForFinished(kRegistrationWaitMs)) server.kill();
        return;
    }
    const OwnedLibrary library(LoadLibraryA(path.c_str()));
    if (!library) return;
    if (auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library.get(), "DllRegisterServer")))
        entry();
}
}  // namespace

const std::string& componentDirectory() {
    std::string& folder = directorySetting();
    if (folder.empty()) folder = containingFolder(toNativePath(toUtf8(programPath())));
    return folder;
}

void setComponentDirectory(std::string folder) {
    directorySetting() = std::move(folder);
}

void ensureRegistered() {
    for (const Served& served : kServed)
        if (!registeredToExistingFile(served)) registerFile(served, componentDirectory() + "/" + served.file);
}

}  // namespace velmora::SuiteClasses
