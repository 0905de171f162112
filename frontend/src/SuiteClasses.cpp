// Registration of the suite's classes on first use of a folder.
#include "SuiteClasses.h"

#include "common/CommandLine.h"
#include "common/ComponentRegistration.h"
#include "platform/paths.h"
#include "runtime/text.h"

namespace velmora::SuiteClasses {

namespace {

// Guidepost first: creating HelpTopics looks for the help viewer its registration records.
constexpr SuiteClass kServed[] = {
    {u"Guidepost.HelpTopics", "Guidepost.dll", ServerKind::InProcess},
    {u"Hivekeep.AssociationObject", "Hivekeep.dll", ServerKind::InProcess},
    {u"Diskware.FileObject", "Diskware.dll", ServerKind::InProcess},
    {u"Hostprobe.SystemObject", "Hostprobe.dll", ServerKind::InProcess},
    {u"Ciphercore.EncryptObject", "Ciphercore.dll", ServerKind::InProcess},
    {u"Tracebook.LogObject", "Tracebook.exe", ServerKind::LocalServer},
    {u"Gaugebox.ProgressObject", "Gaugebox.exe", ServerKind::LocalServer},
    {u"Postwire.EmailObject", "Postwire.exe", ServerKind::LocalServer},
};

std::string& directorySetting() {
    static std::string folder;
    return folder;
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
    registerComponentsBeside(componentDirectory(), kServed);
}

}  // namespace velmora::SuiteClasses
