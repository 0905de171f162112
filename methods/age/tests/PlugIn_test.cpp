// The real plug-in library as the suite meets it: registered and created by programmatic id, found in the
// engine's plug-in folder beside the other methods and used through the engine from another process, with
// the work factor other tools of the format write.
#include "AgesealTestSupport.h"
#include "component/ClassInfo.h"
#include "component/ComObject.h"
#include "component/CreateObject.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "testsupport/ChildProcess.h"

using namespace velmora;
using namespace velmora::ageseal;
using namespace velmora::ageseal::testing;

namespace {

bool registerLibrary(const char* path) {
    HMODULE library = LoadLibraryA(path);
    if (!library) return false;
    auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library, "DllRegisterServer"));
    const bool done = entry && entry() == hr::Ok;
    FreeLibrary(library);
    return done;
}

TEST(PlugInLibrary, RegistersAndOffersTheMethodInterface) {
    ASSERT_TRUE(registerLibrary(VELMORA_AGESEAL_PATH));
    const ObjectRef main = CreateObject(u"Ageseal.Main");
    ASSERT_TRUE(main);
    std::vector<std::u16string> names;
    for (const MemberInfo& m : main.as<ComObject>()->classInfo().members())
        if (names.empty() || names.back() != m.name) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"MethodName", u"EncryptByte", u"DecryptByte",
                                                  u"EncryptString", u"DecryptString", u"EncryptFile",
                                                  u"DecryptFile", u"FileExist", u"Progress", u"Error"}));
    EXPECT_EQ(getProperty(main, u"MethodName").toString(),
              u"age (scrypt, ChaCha20-Poly1305) - opens with any age tool");
}

// The build tree's own engine, which scans its own plug-in folder, listed by name: Ageseal, Argonbox,
// Blockrune. The first is what the dialogs select at first.
TEST(Engine, ListsTheMethodsByNameAndUsesThisOneWithItsOwnWorkFactor) {
    ASSERT_TRUE(registerLibrary(VELMORA_CIPHERCORE_PATH));
    {
        const ObjectRef engine = CreateObject(u"Ciphercore.EncryptObject");
        const ObjectRef methods = getProperty(engine, u"EncryptionMethods").toObject();
        ASSERT_EQ(getProperty(methods, u"Count").toLong(), 3);
        std::vector<std::u16string> titles;
        for (int i = 1; i <= 3; ++i)
            titles.push_back(getProperty(getProperty(methods, u"Item", i).toObject(), u"Title").toString());
        EXPECT_EQ(titles, (std::vector<std::u16string>{u" Ageseal", u" Argonbox", u" Blockrune"}));
    }

    const fs::path dir = fs::path(std::getenv("TMPDIR")) / "engine";
    fs::create_directories(dir);
    const Bytes data = randomBytes(2 * 65536 + 10, 24);
    writeFile(dir / "plain", data);
    const std::string plain = (dir / "plain").string(), sealedFile = (dir / "plain.zqf").string(),
                      back = (dir / "back").string(), argon = (dir / "argon.zqf").string();
    const velmora::test::ProgramOutput out = velmora::test::runProgram(
        VELMORA_OBJCALL_PATH,
        {"--register", VELMORA_CIPHERCORE_PATH, "Ciphercore.EncryptObject", "IEventHandler:=sink",
         "SelectedMethod=1", "EncryptFile(s:" + plain + ", s:" + sealedFile + ", s:correct horse)",
         "DecryptFile(s:" + sealedFile + ", s:" + back + ")", "SelectedMethod=2",
         "EncryptFile(s:" + plain + ", s:" + argon + ")", "SelectedMethod=1",
         "DecryptFile(s:" + argon + ", s:" + back + ")"});
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(readFile(dir / "back"), data);
    const Bytes file = readFile(dir / "plain.zqf");
    EXPECT_NE(std::string(file.begin(), file.end()).find(" 18\n"), std::string::npos);
    // Three successes, progress from 0 to 100 through the engine, and the other method's file refused.
    std::size_t from = 0, successes = 0;
    while ((from = out.text.find("b:true\n", from)) != std::string::npos) ++successes, ++from;
    EXPECT_EQ(successes, 3u) << out.text;
    EXPECT_NE(out.text.find("event Progress(obj:EncryptObject, i32:100)"), std::string::npos) << out.text;
    EXPECT_NE(
        out.text.find("event Error(obj:EncryptObject, i32:" + std::to_string(methodError::NotThisMethod) +
                      ", s:" + kForeign + ", s:Main:DecryptFile)"),
        std::string::npos)
        << out.text;
    // What the plug-in wrote with the suite's defaults opens with age.
    EXPECT_EQ(runAge({"-d", "-o", (dir / "age-back").string(), sealedFile}, "correct horse"), 0);
    EXPECT_EQ(readFile(dir / "age-back"), data);
}

}  // namespace
