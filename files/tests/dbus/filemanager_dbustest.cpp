// FilePropertiesDialog and FileExplorDir reach the desktop's file manager over D-Bus, and open the
// containing folder when no file manager answers. Runs under dbus-run-session.
#include <gtest/gtest.h>
#include <unistd.h>

#include "../DiskwareTestSupport.h"
#include "FileManagerStandIn.h"
#include "files/FileObject.h"
#include "platform/registryapi.h"

using namespace velmora;
using namespace velmora::test;

namespace {

class FileManager : public DiskwareTest {
  protected:
    std::string uri(const std::string& name) const { return "file://" + native(name); }
    Ref<FileObject> m_file = makeObject<FileObject>();
};

TEST_F(FileManager, PropertiesAndExploreAskTheFileManager) {
    write("doc.txt", "x");
    std::filesystem::create_directories(native("folder"));
    FileManagerStandIn standIn;
    m_file->FilePropertiesDialog(suite("doc.txt"));
    m_file->FileExplorDir(suite("doc.txt"));
    m_file->FileExplorDir(suite("folder"));
    m_file->FileExplorDir(suite("missing.txt"));  // nothing to show: not asked
    EXPECT_EQ(standIn.calls(),
              (std::vector<std::string>{"ShowItemProperties " + uri("doc.txt"), "ShowItems " + uri("doc.txt"),
                                        "ShowFolders " + uri("folder")}));
}

TEST_F(FileManager, WithoutAFileManagerTheContainingFolderOpens) {
    // Folders open with HKCR\Folder\shell\open\command; this one records what it was given.
    const std::string marker = native("opened");
    const std::string command = "/bin/sh -c \"echo $0 >> '" + marker + "'\" %1";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\command", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    write("sub/doc.txt", "x");
    m_file->FilePropertiesDialog(suite("sub/doc.txt"));
    for (int i = 0; i < 500 && read("opened").empty(); ++i) usleep(10000);
    EXPECT_EQ(read("opened"), native("sub") + "\n");
}

}  // namespace
