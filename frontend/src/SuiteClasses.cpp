// Registration of the suite's classes on first use of a folder.
#include "SuiteClasses.h"

#include "common/CommandLine.h"
#include "common/ComponentRegistration.h"
#include "component/ServersAhead.h"
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

constexpr std::u16string_view kLogServer = u"Tracebook.LogObject";
constexpr std::u16string_view kProgressServer = u"Gaugebox.ProgressObject";

std::vector<std::u16string_view>& serversWanted() {
    static std::vector<std::u16string_view> classes;
    return classes;
}

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

bool opensDialog(const std::vector<std::u16string>& arguments) {
    return arguments.size() >= 2 && (arguments[0] == u"/e" || arguments[0] == u"/d" || arguments[0] == u"/v");
}

void startServers(const std::vector<std::u16string>& arguments) {
    std::vector<std::u16string_view>& wanted = serversWanted();
    wanted = {kLogServer};
    // A dialog's load creates the progress object.
    if (opensDialog(arguments)) wanted.push_back(kProgressServer);
    startServersAhead(wanted);
}

void ensureRegistered() {
    registerComponentsBeside(componentDirectory(), kServed);
    startServersAhead(serversWanted());
}

}  // namespace velmora::SuiteClasses
