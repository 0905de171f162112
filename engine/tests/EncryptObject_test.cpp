#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "CiphercoreTestSupport.h"
#include "component/CallbackSink.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "platform/messagebox.h"
#include "plugins/PlugIns.h"

namespace velmora::test {
namespace {

Variant bytes(std::vector<std::uint8_t> values) {
    return Variant(std::move(values));
}

fs::path existingFile() {
    const fs::path file = freshFolder() / "plain.txt";
    std::ofstream(file) << "plain";
    return file;
}

struct Engine {
    explicit Engine(const std::vector<std::string>& plugIns) : folder(plugIns), object(folder.create()) {
        setProperty(object, u"IEventHandler", client);
    }
    Variant run(std::u16string_view method, std::vector<Variant> args) {
        return callByName(object, method, InvokeMethod, args);
    }
    std::u16string key() const { return getProperty(object, u"Key").toString(); }

    EngineFolder folder;
    ObjectRef object;
    Ref<RecordingClient> client = makeObject<RecordingClient>();
};

TEST(EncryptObjectTest, ANewEngineListsItsPlugInsAndSelectsNone) {
    Engine engine({"Steady"});
    EXPECT_EQ(getProperty(engine.object, u"SelectedMethod").toLong(), 0);
    EXPECT_EQ(engine.key(), u"");
    const ObjectRef methods = getProperty(engine.object, u"EncryptionMethods").toObject();
    ASSERT_EQ(getProperty(methods, u"Count").toLong(), 1);
    const ObjectRef entry = getProperty(methods, u"Item", 1).toObject();
    EXPECT_EQ(getProperty(entry, u"Title").toString(), u" Steady");
    EXPECT_EQ(getProperty(getProperty(entry, u"obj").toObject(), u"MethodName").toString(),
              u"Steady test method");

    // Nothing reaches the plug-in until a method is selected, and the key given is not kept.
    const fs::path source = existingFile();
    EXPECT_FALSE(engine.run(u"EncryptByte", {bytes({1, 2, 3}), Variant(u"k")}).isAllocatedArray());
    EXPECT_EQ(engine.run(u"EncryptString", {Variant(u"text"), Variant(u"k")}).toString(), u"");
    EXPECT_FALSE(engine.run(u"EncryptFile", {Variant(u16(source)), Variant(u"out"), Variant(u"k")}).toBool());
    EXPECT_EQ(engine.key(), u"");
    EXPECT_TRUE(engine.client->progress.empty());
}

TEST(EncryptObjectTest, SelectedMethodOutOfRangeIsReportedAndTheOldValueStays) {
    Engine engine({"Steady"});
    letProperty(engine.object, u"SelectedMethod", 1);
    for (std::int32_t value : {0, 2, -1, 1000}) {
        letProperty(engine.object, u"SelectedMethod", value);
        EXPECT_EQ(getProperty(engine.object, u"SelectedMethod").toLong(), 1) << value;
    }
    ASSERT_EQ(engine.client->errors.size(), 4u);
    for (const auto& report : engine.client->errors) {
        EXPECT_EQ(report.objEncrypt, engine.object.get());
        EXPECT_EQ(report.number, 9);
        EXPECT_EQ(report.description, u"Subscript Out Of Range");
        EXPECT_EQ(report.source, u"SelectedMethod");
    }
}

TEST(EncryptObjectTest, WithoutAPlugInFolderEveryMethodIsRejected) {
    EngineFolder folder({}, false);
    const ObjectRef object = folder.create();
    auto client = makeObject<RecordingClient>();
    setProperty(object, u"IEventHandler", client);
    const ObjectRef methods = getProperty(object, u"EncryptionMethods").toObject();
    EXPECT_EQ(getProperty(methods, u"Count").toLong(), 0);
    letProperty(object, u"SelectedMethod", 1);
    EXPECT_EQ(getProperty(object, u"SelectedMethod").toLong(), 0);
    EXPECT_EQ(client->errors.size(), 1u);
}

// Input that fails the test: the empty result, no call, no notification, and the key is not stored.
TEST(EncryptObjectTest, FailedInputTestsReturnTheEmptyResultAndKeepNoKey) {
    Engine engine({"Steady"});
    letProperty(engine.object, u"SelectedMethod", 1);
    const std::u16string missing = u16(freshFolder() / "absent.txt");
    const struct {
        const char16_t* method;
        std::vector<Variant> args;
        Variant empty;
    } cases[] = {
        {u"EncryptByte", {bytes({7}), Variant(u"k")}, Variant::unallocatedArray(VarType::Byte)},
        {u"DecryptByte", {bytes({}), Variant(u"k")}, Variant::unallocatedArray(VarType::Byte)},
        {u"EncryptString", {Variant(u""), Variant(u"k")}, Variant(u"")},
        {u"DecryptString", {Variant(u""), Variant(u"k")}, Variant(u"")},
        {u"EncryptFile", {Variant(missing), Variant(u"out"), Variant(u"k")}, Variant(false)},
        {u"DecryptFile", {Variant(u""), Variant(u"out"), Variant(u"k")}, Variant(false)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine.run(c.method, c.args), c.empty) << toUtf8(c.method);
        EXPECT_EQ(engine.key(), u"") << toUtf8(c.method);
    }
    EXPECT_TRUE(engine.client->progress.empty());
    EXPECT_TRUE(engine.client->errors.empty());
}

TEST(EncryptObjectTest, AByteArrayThatWasNeverDimensionedIsSubscriptOutOfRange) {
    Engine engine({"Steady"});
    const auto error =
        errorOf([&] { engine.run(u"EncryptByte", {Variant::unallocatedArray(VarType::Byte)}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::SubscriptOutOfRange);
}

TEST(EncryptObjectTest, TheStoredKeyIsPassedByReferenceAndKeptUntilReplaced) {
    Engine engine({"Steady"});
    letProperty(engine.object, u"SelectedMethod", 1);
    EXPECT_EQ(engine.run(u"EncryptString", {Variant(u"t")}).toString(), u"");  // no key yet
    EXPECT_EQ(engine.run(u"EncryptString", {Variant(u"t"), Variant(u"first")}).toString(), u"E(t|first)");
    EXPECT_EQ(engine.run(u"DecryptString", {Variant(u"t"), Variant(u"")}).toString(), u"D(t|first)");
    EXPECT_EQ(engine.run(u"EncryptByte", {bytes({1, 2}), Variant(u"second")}), bytes({2, 3}));
    EXPECT_EQ(engine.run(u"DecryptByte", {bytes({1, 2})}), bytes({0, 1}));
    EXPECT_EQ(engine.key(), u"second");

    // The plug-in assigns to KEY: the engine's key changes, the caller's argument does not.
    std::vector<Variant> args{Variant(u"t"), Variant(u"rekey:fresh")};
    EXPECT_EQ(callByName(engine.object, u"EncryptString", InvokeMethod, args).toString(), u"E(t|fresh)");
    EXPECT_EQ(engine.key(), u"fresh");
    EXPECT_EQ(args[1], Variant(u"rekey:fresh"));

    letProperty(engine.object, u"Key", u"");
    EXPECT_EQ(engine.run(u"EncryptString", {Variant(u"t")}).toString(), u"");
}

TEST(EncryptObjectTest, FileProgressReachesTheClientInOrderBeforeTheCallReturns) {
    Engine engine({"Steady"});
    letProperty(engine.object, u"SelectedMethod", 1);
    const std::u16string source = u16(existingFile());
    EXPECT_TRUE(engine.run(u"EncryptFile", {Variant(source), Variant(u"out"), Variant(u"pw")}).toBool());
    std::vector<std::int32_t> expected(101);
    for (std::int32_t i = 0; i <= 100; ++i) expected[i] = i;
    EXPECT_EQ(engine.client->progress, expected);
    for (const Object* from : engine.client->progressFrom) EXPECT_EQ(from, engine.object.get());

    // An error the plug-in reports is a notification; its own result comes back unchanged.
    EXPECT_FALSE(engine.run(u"DecryptFile", {Variant(source), Variant(u"report")}).toBool());
    ASSERT_EQ(engine.client->errors.size(), 1u);
    EXPECT_EQ(engine.client->errors[0].number, vbObjectError + 7);
    EXPECT_EQ(engine.client->errors[0].description, u"Reported: " + source);
    EXPECT_EQ(engine.client->errors[0].source, u"Main:EncryptFile");
    EXPECT_EQ(engine.client->errors[0].objEncrypt, engine.object.get());
}

TEST(EncryptObjectTest, ALateBoundClientAndNoClientAtAll) {
    Engine engine({"Steady"});
    letProperty(engine.object, u"SelectedMethod", 1);
    const std::u16string source = u16(existingFile());
    std::vector<std::u16string> calls;
    auto sink = makeObject<CallbackSink>([&](std::u16string_view name, std::span<Variant> args) {
        ASSERT_EQ(args[0].toObject(), engine.object);
        calls.push_back(std::u16string(name) + u" " + args[1].toString());
    });
    setProperty(engine.object, u"IEventHandler", sink);
    EXPECT_TRUE(engine.run(u"EncryptFile", {Variant(source), Variant(u"out"), Variant(u"pw")}).toBool());
    ASSERT_EQ(calls.size(), 101u);
    EXPECT_EQ(calls.front(), u"Progress 0");
    EXPECT_EQ(calls.back(), u"Progress 100");

    // Nothing listens: the operation still runs to its end.
    setProperty(engine.object, u"IEventHandler", Variant::nothing());
    EXPECT_TRUE(engine.run(u"EncryptFile", {Variant(source), Variant(u"out")}).toBool());
    EXPECT_FALSE(getProperty(engine.object, u"IEventHandler").toObject());

    // An object that does not answer the callback interface is refused.
    const ObjectRef notAClient = getProperty(engine.object, u"EncryptionMethods").toObject();
    const auto error = errorOf([&] { setProperty(engine.object, u"IEventHandler", notAClient); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::TypeMismatch);
}

// Errors of the lookup and the plug-in call reach the caller unchanged, after the key was stored.
TEST(EncryptObjectTest, PlugInErrorsPassThroughUnchanged) {
    const fs::path source = existingFile();
    const struct {
        const char* plugIn;
        const char16_t* method;
        std::int32_t error;
    } cases[] = {
        {"Lacking", u"EncryptFile", err::NoSuchMember},
        {"Raising", u"EncryptFile", vbObjectError + 513},
        {"Raising", u"EncryptString", vbObjectError + 513},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plugIn);
        Engine engine({c.plugIn});
        letProperty(engine.object, u"SelectedMethod", 1);
        std::vector<Variant> args =
            c.method == std::u16string_view(u"EncryptFile")
                ? std::vector<Variant>{Variant(u16(source)), Variant(u"o"), Variant(u"kept")}
                : std::vector<Variant>{Variant(u"t"), Variant(u"kept")};
        const auto error = errorOf([&] { engine.run(c.method, args); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), c.error);
        EXPECT_EQ(engine.key(), u"kept");
    }
}

TEST(EncryptObjectTest, AClientMayReplaceTheMethodListEvenWithAnEntryWithoutObject) {
    Engine engine({"Steady"});
    const ObjectRef replacement = makeObject<PlugIns>();
    call(replacement, u"Add", u"C:\\nowhere\\Ghost.dll");
    call(replacement, u"Add", u"C:\\nowhere\\Second.dll");
    setProperty(engine.object, u"EncryptionMethods", replacement);
    letProperty(engine.object, u"SelectedMethod", 2);
    EXPECT_EQ(getProperty(engine.object, u"SelectedMethod").toLong(), 2);
    const auto error = errorOf([&] { engine.run(u"EncryptString", {Variant(u"t"), Variant(u"k")}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::ObjectNotSet);

    const auto wrongType = errorOf([&] { setProperty(engine.object, u"EncryptionMethods", engine.client); });
    ASSERT_TRUE(wrongType);
    EXPECT_EQ(wrongType->number(), err::TypeMismatch);
}

TEST(EncryptObjectTest, CreationFailsWithTheLoadErrorAndLeavesNothingRegistered) {
    MessageBoxRecorder boxes;
    EngineFolder folder({"a", "Misnamed"});
    const auto error = errorOf([&] { folder.create(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::CantCreateObject);
    EXPECT_FALSE(isRegistered(u"a.Main"));
}

TEST(EncryptObjectTest, ReleasingTheEngineUnregistersItsPlugIns) {
    EngineFolder folder({"Steady", "a"});
    {
        const ObjectRef object = folder.create();
        EXPECT_TRUE(isRegistered(u"Steady.Main"));
        EXPECT_TRUE(isRegistered(u"a.Main"));
    }
    EXPECT_FALSE(isRegistered(u"Steady.Main"));
    EXPECT_FALSE(isRegistered(u"a.Main"));
}

TEST(EncryptObjectTest, TheDefaultClientAndTheEventSourceAreCreatable) {
    EngineFolder folder({});
    const ObjectRef object = folder.create();
    const ObjectRef defaultClient = getProperty(object, u"IEventHandler").toObject();
    ASSERT_TRUE(defaultClient);
    EXPECT_FALSE(call(defaultClient, u"Error", object, 1, u"d", u"s").toBool());
    call(defaultClient, u"Progress", object, 50);

    const ObjectRef events = CreateObject(u"Ciphercore.EventHandler");
    std::vector<std::u16string> seen;
    connectEvents(events, makeObject<CallbackSink>([&](std::u16string_view name, std::span<Variant> args) {
                      seen.push_back(std::u16string(name) + u":" + args.back().toString());
                  }));
    call(events, u"RaiseProgress", 42);
    call(events, u"RaiseError", 5, u"bad", u"Here");
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Progress:42", u"Error:Here"}));
}

}  // namespace
}  // namespace velmora::test
