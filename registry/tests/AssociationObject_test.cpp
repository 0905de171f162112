// AssociationObject: the association written in full, the caller's variables, and each refusal.
#include <gtest/gtest.h>

#include "AssociationObject.h"
#include "HivekeepTestSupport.h"
#include "component/calls.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::test;

namespace {

std::string classesValue(const char* key, const char* name = "") {
    const auto value = rawValue(HKEY_CLASSES_ROOT, key, name);
    if (!value || value->type != REG_SZ || value->bytes.empty()) return "<missing>";
    return std::string(value->bytes.begin(), value->bytes.end() - 1);
}

struct Call {
    std::u16string extension = u"zqf";
    std::u16string fileType = u"Ardentum.EncryptedFile";
    std::u16string fileTypeName = u"Encrypted file";
    std::u16string action = u"Open";
    std::u16string appPath = fromUtf8(VELMORA_OBJCALL_PATH);
    std::u16string switchText = u"/v";
    bool setIcon = false;
    std::u16string defaultIcon;
    bool promptOnError = true;
    bool contextMenu = false;

    bool run(AssociationObject& obj) {
        return obj.CreateFileAss(extension, fileType, fileTypeName, action, appPath, switchText, setIcon,
                                 defaultIcon, promptOnError, contextMenu);
    }
};

class AssociationTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const char* key : {".zqf\\ShellNew", ".zqf", "Ardentum.EncryptedFile\\shell\\Open\\command",
                                "Ardentum.EncryptedFile\\shell\\Open", "Ardentum.EncryptedFile\\shell",
                                "Ardentum.EncryptedFile\\DefaultIcon", "Ardentum.EncryptedFile"})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
    }
    bool nothingWritten() {
        return classesValue(".zqf") == "<missing>" && classesValue("Ardentum.EncryptedFile") == "<missing>";
    }

    Ref<AssociationObject> obj = makeObject<AssociationObject>();
    MessageBoxRecorder boxes;
};

TEST_F(AssociationTest, WritesTheWholeAssociation) {
    Call call;
    call.switchText = u"  /v  ";
    call.setIcon = true;
    call.contextMenu = true;
    ASSERT_TRUE(call.run(*obj));
    EXPECT_EQ(call.extension, u".zqf");
    EXPECT_EQ(call.action, u"Ardentum.EncryptedFile\\shell\\Open\\command");
    EXPECT_EQ(call.switchText, u" /v");
    const std::string app = VELMORA_OBJCALL_PATH;
    EXPECT_EQ(classesValue(".zqf"), "Ardentum.EncryptedFile");
    EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\shell\\Open\\command"), app + " /v %1");
    EXPECT_EQ(classesValue("Ardentum.EncryptedFile"), "Encrypted file");
    EXPECT_EQ(classesValue(".zqf\\ShellNew", "NullFile"), "");
    EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\DefaultIcon"), app + ",0");
    EXPECT_TRUE(boxes.messages().empty());
    // The classes root is a view of the machine's Software\Classes.
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zqf", "")->type, REG_SZ);
}

TEST_F(AssociationTest, OptionalPartsAndExplicitIcon) {
    Call call;
    call.extension = u".zqf";
    call.switchText = u"";
    call.setIcon = true;
    call.defaultIcon = u"  C:\\icons\\zqf.ico  ";
    ASSERT_TRUE(call.run(*obj));
    EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\shell\\Open\\command"),
              std::string(VELMORA_OBJCALL_PATH) + " %1");
    EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\DefaultIcon"), "C:\\icons\\zqf.ico");
    EXPECT_EQ(classesValue(".zqf\\ShellNew", "NullFile"), "<missing>");
}

// The key's last write time: what a write to one of its values changes.
std::int64_t writtenAt(const char* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return -1;
    FILETIME written{};
    RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &written);
    RegCloseKey(handle);
    return (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

TEST_F(AssociationTest, RenewingWritesOnlyWhatDiffers) {
    const char* keys[] = {".zqf", "Ardentum.EncryptedFile", "Ardentum.EncryptedFile\\shell\\Open\\command",
                          "Ardentum.EncryptedFile\\DefaultIcon"};
    Call first;
    first.setIcon = true;
    ASSERT_TRUE(first.run(*obj));
    // The type's name stored with another type: rewritten as text, like a value that differs.
    const std::string name = "Encrypted file";
    HKEY type = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Ardentum.EncryptedFile", 0, KEY_SET_VALUE, &type),
              ERROR_SUCCESS);
    RegSetValueExA(type, "", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
    RegCloseKey(type);
    std::int64_t before[4];
    for (int i = 0; i < 4; ++i) before[i] = writtenAt(keys[i]);

    Call again;
    again.setIcon = true;
    again.appPath.insert(again.appPath.rfind(u'/'), u"/.");
    ASSERT_TRUE(again.run(*obj));
    EXPECT_EQ(writtenAt(keys[0]), before[0]) << "unchanged extension";
    EXPECT_NE(writtenAt(keys[1]), before[1]) << "name stored with another type";
    EXPECT_EQ(rawValue(HKEY_CLASSES_ROOT, "Ardentum.EncryptedFile", "")->type, REG_SZ);
    EXPECT_NE(writtenAt(keys[2]), before[2]) << "program moved";
    EXPECT_EQ(classesValue(keys[2]), toUtf8(again.appPath) + " /v %1");
    EXPECT_NE(writtenAt(keys[3]), before[3]) << "icon follows the program";
}

TEST_F(AssociationTest, RefusalsWriteNothing) {
    struct Case {
        const char* what;
        void (*change)(Call&);
        std::string message;
    };
    const Case cases[] = {
        {"missing program", [](Call& c) { c.appPath = u"/no/such/program"; },
         "The application path '/no/such/program' cannot be found."},
        {"empty program path", [](Call& c) { c.appPath = u""; }, "The application path '' cannot be found."},
        {"folder as program", [](Call& c) { c.appPath = u"/tmp"; },
         "The application path '/tmp' cannot be found."},
        {"wildcard program", [](Call& c) { c.appPath = u"/usr/bin/*"; },
         "The application path '/usr/bin/*' cannot be found."},
        {"asterisk", [](Call& c) { c.extension = u"z*f"; },
         "The file extension '.z*f' contains an illegal char (\\/:*?<>|\")."},
        {"quote", [](Call& c) { c.extension = u".z\"f"; },
         "The file extension '.z\"f' contains an illegal char (\\/:*?<>|\")."},
        {"empty extension", [](Call& c) { c.extension = u""; },
         "An error occured while attempting to create the file extension ''."},
        {"empty file type", [](Call& c) { c.fileType = u""; },
         "An error occured while attempting to create the file extension '.zqf'."},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder recorder;
        Call call;
        c.change(call);
        EXPECT_FALSE(call.run(*obj)) << c.what;
        const auto shown = recorder.messages();
        ASSERT_EQ(shown.size(), 1u) << c.what;
        EXPECT_EQ(shown[0].text, c.message);
        EXPECT_EQ(shown[0].caption, "DLL/OCX Register");
        EXPECT_EQ(shown[0].type, MB_OK | MB_ICONERROR);
        if (call.fileType.empty()) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".zqf");
        } else {
            EXPECT_TRUE(nothingWritten()) << c.what;
        }
    }
}

TEST_F(AssociationTest, SilentWithoutPromptOnError) {
    Call call;
    call.promptOnError = false;
    call.extension = u"a|b";
    EXPECT_FALSE(call.run(*obj));
    EXPECT_TRUE(boxes.messages().empty());
}

TEST_F(AssociationTest, LateBoundChangesTheCallersVariables) {
    ObjectRef late = obj;
    Variant extension = u"zqf", action = u"Open", switchText = u"/v";
    const Variant ok = velmora::call(late, u"CreateFileAss", extension, u"Ardentum.EncryptedFile",
                                     u"Encrypted file", action, fromUtf8(VELMORA_OBJCALL_PATH), switchText);
    EXPECT_EQ(ok, Variant(true));
    EXPECT_EQ(extension, Variant(u".zqf"));
    EXPECT_EQ(action, Variant(u"Ardentum.EncryptedFile\\shell\\Open\\command"));
    EXPECT_EQ(switchText, Variant(u" /v"));
}

}  // namespace
