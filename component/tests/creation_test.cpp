// Registration of a real component library, creation by programmatic identifier, and objcall against it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "component/ClassFactory.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "component/hresult.h"
#include "component/registration.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "runtime/Error.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"

using namespace velmora;

namespace {

// Loads the test library and runs one of its registration entry points.
HRESULT runEntry(const char* name) {
    HMODULE module = LoadLibraryA(VELMORA_COUNTLIB_PATH);
    if (!module) return hr::Failed;
    auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(module, name));
    HRESULT status = entry ? entry() : hr::Failed;
    FreeLibrary(module);
    return status;
}

ObjectRef noObject() {
    return {};
}

using test::errorNumberOf;
using test::objcall;
using test::Output;

class Creation : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(runEntry("DllRegisterServer"), hr::Ok); }
    void TearDown() override { runEntry("DllUnregisterServer"); }
};

}  // namespace

TEST_F(Creation, RegistrationWritesTheClassKeys) {
    auto classId = classIdOfProgId(u"Countlib.Counter");
    ASSERT_TRUE(classId);
    EXPECT_EQ(*classId, "{6F1C2B3A-9D4E-4A5B-8C7D-0E1F2A3B4C5D}");
    auto library = serverPathOf(*classId, ServerKind::InProcess);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->substr(0, 3), "Z:\\");
    EXPECT_EQ(toNativePath(*library), VELMORA_COUNTLIB_PATH);
}

TEST_F(Creation, CreatedObjectsAnswerLateBoundCalls) {
    ObjectRef counter = CreateObject(u"countlib.counter");  // identifiers compare case-insensitively
    ASSERT_TRUE(counter);
    EXPECT_EQ(counter->typeName(), u"Counter");
    Variant value;
    EXPECT_EQ(call(counter, u"Add", value, 5).toLong(), 5);
    EXPECT_EQ(value.toLong(), 5);  // by reference
    EXPECT_EQ(errorNumberOf([&] { call(counter, u"Fail", 1234); }), 1234);
    EXPECT_EQ(createObjectByClassId(u"{6F1C2B3A-9D4E-4A5B-8C7D-0E1F2A3B4C5D}")->typeName(), u"Counter");
}

TEST_F(Creation, UnregisteredOrBrokenClassesCannotBeCreated) {
    ASSERT_EQ(runEntry("DllUnregisterServer"), hr::Ok);
    EXPECT_FALSE(classIdOfProgId(u"Countlib.Counter"));
    EXPECT_EQ(errorNumberOf([] { CreateObject(u"Countlib.Counter"); }), err::CantCreateObject);
    EXPECT_EQ(errorNumberOf([] { CreateObject(u"No.Such"); }), err::CantCreateObject);
    EXPECT_EQ(errorNumberOf([] { CreateObject(u""); }), err::CantCreateObject);
    EXPECT_EQ(errorNumberOf([] { CreateObject(u"CLSID\\{6F1C2B3A-9D4E-4A5B-8C7D-0E1F2A3B4C5D}"); }),
              err::CantCreateObject);

    // A registered file that is not a component library, and one that is gone.
    const std::string plainFile = std::string(getenv("TMPDIR")) + "/plain.dll";
    std::ofstream(plainFile) << "not a library";
    for (const std::string& path :
         {std::string(VELMORA_COMPONENT_LIBRARY_PATH), plainFile, std::string("/nonexistent/Gone.dll")}) {
        ClassTable table = ClassTable(u"Broken").add(CoClass{
            u"{00000000-1111-2222-3333-444444444444}", u"Broken.Thing", &ClassFactory::describe, noObject});
        ASSERT_EQ(registerClasses(table, path, ServerKind::InProcess), hr::Ok);
        try {
            CreateObject(u"Broken.Thing");
            ADD_FAILURE() << path;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::CantCreateObject) << path;
            EXPECT_NE(error.description().find(u"ActiveX component can't create object: "),
                      std::u16string::npos);
        }
        EXPECT_EQ(unregisterClasses(table, path, ServerKind::InProcess), hr::Ok);
    }
}

TEST_F(Creation, UnregisteringAnotherFileKeepsTheCurrentRegistration) {
    ClassTable table = ClassTable(u"Countlib")
                           .add(CoClass{u"{6F1C2B3A-9D4E-4A5B-8C7D-0E1F2A3B4C5D}", u"Countlib.Counter",
                                        &ClassFactory::describe, noObject});
    EXPECT_EQ(unregisterClasses(table, "/elsewhere/Countlib.dll", ServerKind::InProcess), hr::Ok);
    EXPECT_TRUE(classIdOfProgId(u"Countlib.Counter"));
}

TEST_F(Creation, ObjcallRunsStepsAndPrintsResultsArgumentsAndEvents) {
    Output out = objcall({"Countlib.Counter", "Total=i32:10", "Add(i32:0, 5)", "Add(i32:0)", "Total",
                          "Echo(\"a,b\")", "Echo(s:C:\\x\\y)", "Echo(bytes:00ff)", "Add(i32:0, empty)"});
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text,
              "empty\n"
              "i32:15\n"
              "  arg 1 -> i32:15\n"
              "  event Changed(i32:15)\n"
              "i32:16\n"
              "  arg 1 -> i32:16\n"
              "  event Changed(i32:16)\n"
              "i32:16\n"
              "s:a,b\n"
              "s:C:\\\\x\\\\y\n"
              "bytes:00ff\n"
              "i32:17\n"
              "  arg 1 -> i32:17\n"
              "  event Changed(i32:17)\n");
}

TEST_F(Creation, ObjcallSinksRecordClientCallbacks) {
    Output out = objcall({"Countlib.Counter", "Listener:=sink", "Notify(s:hello)"});
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text, "empty\nempty\n  event Notify(s:hello)\n");
}

TEST_F(Creation, ObjcallReportsErrorsAndBadUsage) {
    Output failed = objcall({"Countlib.Counter", "Total=i32:1", "Fail(i32:77)", "Total"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.text, "empty\nerror 77 Counter:Fail: Failed on purpose\n");

    Output unknown = objcall({"Countlib.Counter", "Nope"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.text, "error 438 Countlib.Counter: Object doesn't support this property or method\n");
    EXPECT_EQ(objcall({"Countlib.Counter", "Echo(empty)"}).text,
              "error 449 Countlib.Counter: Argument not optional\n");

    EXPECT_EQ(objcall({"No.Such.Class"}).status, 1);
    EXPECT_EQ(objcall({}).status, 2);
    EXPECT_EQ(objcall({"Countlib.Counter", "Add(i16:99999)"}).status, 2);
    EXPECT_EQ(objcall({"Countlib.Counter", "Add(1"}).status, 2);
    EXPECT_EQ(objcall({"--register"}).status, 2);
}

TEST_F(Creation, ObjcallWithGuiPrintsWhatItPrintsWithout) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const std::vector<std::string>& steps :
         {std::vector<std::string>{"Countlib.Counter", "Total=i32:10", "Add(i32:0, 5)", "@wait(20)", "Total"},
          std::vector<std::string>{"Countlib.Counter", "Listener:=sink", "Notify(s:hello)", "@wait(0)"},
          std::vector<std::string>{"Countlib.Counter", "Total=i32:1", "Fail(i32:77)", "Total"}}) {
        std::vector<std::string> withGui = steps;
        withGui.insert(withGui.begin(), "--gui");
        const Output plain = objcall(steps);
        const Output gui = objcall(withGui);
        EXPECT_EQ(gui.status, plain.status) << steps[1];
        EXPECT_EQ(gui.text, plain.text) << steps[1];
    }
    EXPECT_EQ(objcall({"Countlib.Counter", "Add(i32:0, 5)", "@wait(20)"}).text,
              "i32:5\n  arg 1 -> i32:5\n  event Changed(i32:5)\nempty\n");
}

TEST_F(Creation, ObjcallRejectsBadWaitsAndAGuiWithoutDisplay) {
    for (const char* bad : {"@wait", "@wait()", "@wait(-1)", "@wait(+1)", "@wait(1.5)", "@wait(2147483648)",
                            "@wait(1) x", "@Wait(1)", "@sleep(1)", "@"})
        EXPECT_EQ(objcall({"Countlib.Counter", bad}).status, 2) << bad;
    EXPECT_EQ(objcall({"--gui"}).status, 2);
    EXPECT_EQ(objcall({"--gui", "--gui", "Countlib.Counter"}).status, 2);

    // Qt would end the process on its own; objcall says why instead, before any object exists.
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    const Output none = objcall({"--gui", "Countlib.Counter", "Total=i32:1"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.text, "");
}

TEST(ObjcallRegistration, RegistersAndUnregistersALibrary) {
    EXPECT_EQ(objcall({"--register", VELMORA_COUNTLIB_PATH}).status, 0);
    EXPECT_TRUE(classIdOfProgId(u"Countlib.Counter"));
    EXPECT_EQ(objcall({"--unregister", VELMORA_COUNTLIB_PATH, "Countlib.Counter"}).status, 1);
    EXPECT_FALSE(classIdOfProgId(u"Countlib.Counter"));
    EXPECT_EQ(objcall({"--register", "/nonexistent/lib.dll"}).status, 1);
}
