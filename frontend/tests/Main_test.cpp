// Main: which command lines open which dialog, and the file-type registration renewed on every start.
#include "SealdeskTestSupport.h"
#include "platform/registryapi.h"

namespace velmora::test {
namespace {

std::string classesValue(const char* key, const char* name = "") {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return "<missing>";
    char data[1024] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LONG result = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "<missing>";
}

class MainTest : public SealdeskTest {};

TEST_F(MainTest, OpensTheDialogOfTheSwitchAndRegistersTheTypeOnEveryStart) {
    writeFile(m_files / "a b.txt", "plain");
    const std::string path = (m_files / "a b.txt").string();
    struct Case {
        std::vector<std::string> arguments;
        const char* dialog;  // nullptr: none
    };
    const Case cases[] = {
        {{}, nullptr},
        {{"/e"}, nullptr},
        {{"/E", path}, nullptr},
        {{"/x", path}, nullptr},
        {{"e", path}, nullptr},
        {{"/e", path}, "frmEncrypt"},
        {{"/d", path, path}, "frmDecrypt"},
        {{"/v", path}, "frmDecrypt"},
    };
    const std::string program = toUtf8(mMain::programDirectory()) + "\\Sealdesk.exe";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? std::string("(none)") : c.arguments[0]);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".zqf");
        setArguments(c.arguments);
        DialogDriver driver;
        QString shown;
        // Whichever dialog comes up is recorded and cancelled, so an unexpected one cannot hang the test.
        for (const char* name : {"frmEncrypt", "frmDecrypt"})
            driver.whenShown(QString::fromUtf8(name), [&shown](QWidget& dialog) {
                shown = dialog.objectName();
                EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Velmora Sealdesk"));
                DialogDriver::clickButton(dialog, QStringLiteral("Cancel"));
            });
        mMain::Main();
        EXPECT_EQ(shown.toStdString(), c.dialog ? c.dialog : "");
        EXPECT_EQ(readFile(m_files / "a b.txt"), "plain");
        EXPECT_EQ(classesValue(".zqf"), "Ardentum.EncryptedFile");
        EXPECT_EQ(classesValue("Ardentum.EncryptedFile"), "Ardentum Encrypted File");
        EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\shell\\Open\\command"), program + " /v %1");
        EXPECT_EQ(classesValue("Ardentum.EncryptedFile\\DefaultIcon"),
                  toUtf8(mMain::programDirectory()) + "\\zqf.ico");
        mMain::shared() = {};
    }
}

}  // namespace
}  // namespace velmora::test
