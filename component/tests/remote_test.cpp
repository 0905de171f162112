// Out-of-process servers end to end: a real server program started on demand, calls with by-reference
// and object arguments both ways, events and callbacks, server and client deaths, bad input on the socket.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Connection.h"
#include "RemoteObject.h"
#include "SampleClasses.h"
#include "WireCatalog.h"
#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/LocalServer.h"
#include "component/calls.h"
#include "component/registration.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"

extern char** environ;

using namespace velmora;
using namespace std::chrono_literals;

namespace {

constexpr char16_t kTallyClassId[] = u"{3C9A1E52-7B4D-4F06-A1C8-5D2E9F0B6A37}";
// A safety net only: every wait below ends by an event long before.
constexpr int kExitTimeoutMs = 30000;

using test::errorNumberOf;

// Starts a program with its arguments; fd, when given, becomes fd 3 of the child.
pid_t spawn(const std::vector<std::string>& args, int fd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fd >= 0) posix_spawn_file_actions_adddup2(&actions, fd, 3);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

int exitStatusOf(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool isRunning(pid_t process) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
    if (pidfd < 0) return false;
    pollfd watch{pidfd, POLLIN, 0};
    const bool running = poll(&watch, 1, 0) == 0;
    close(pidfd);
    return running;
}

using Output = velmora::test::ProgramOutput;

Output runCapturing(const std::vector<std::string>& args) {
    return velmora::test::runProgram(args.at(0), std::vector<std::string>(args.begin() + 1, args.end()));
}

// Records every call it gets; an optional action runs inside the call.
struct Recorder {
    std::vector<std::u16string> calls;
    std::function<void(std::u16string_view, std::span<Variant>)> action;

    ObjectRef sink() {
        return makeObject<CallbackSink>([this](std::u16string_view name, std::span<Variant> args) {
            std::u16string line(name);
            for (const Variant& arg : args) line += u" " + arg.toString();
            calls.push_back(line);
            if (action) action(name, args);
        });
    }
};

class OutOfProcess : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(exitStatusOf(spawn({VELMORA_TALLYSERVER_PATH, "/regserver"})), 0); }
    static ObjectRef newTally() { return CreateObject(u"Tallyserver.Tally"); }
};

}  // namespace

TEST_F(OutOfProcess, RegistrationNamesTheServerProgram) {
    const auto classId = classIdOfProgId(u"Tallyserver.Tally");
    ASSERT_TRUE(classId);
    EXPECT_FALSE(serverPathOf(*classId, ServerKind::InProcess));
    const auto program = serverPathOf(*classId, ServerKind::LocalServer);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->substr(0, 3), "Z:\\");

    ASSERT_EQ(exitStatusOf(spawn({VELMORA_TALLYSERVER_PATH, "/unregserver"})), 0);
    EXPECT_FALSE(classIdOfProgId(u"Tallyserver.Tally"));
    EXPECT_EQ(errorNumberOf([] { newTally(); }), err::CantCreateObject);
    EXPECT_EQ(exitStatusOf(spawn({VELMORA_TALLYSERVER_PATH, "/bogus"})), 2);
}

TEST_F(OutOfProcess, CallsCarryValuesAndByReferenceArgumentsBothWays) {
    const ObjectRef tally = newTally();
    EXPECT_EQ(tally->typeName(), u"Tally");
    const auto* described = dynamic_cast<const ComObject*>(tally.get());
    ASSERT_NE(described, nullptr);
    EXPECT_TRUE(described->hasMember(u"add", InvokeMethod));
    EXPECT_FALSE(described->hasMember(u"Nope", InvokeMethod));

    letProperty(tally, u"Total", 10);
    std::int32_t value = 0;
    EXPECT_EQ(call(tally, u"Add", byRef(value), 5).toLong(), 15);
    EXPECT_EQ(value, 15);
    EXPECT_EQ(call(tally, u"Add", byRef(value)).toLong(), 16);  // the optional Step left to the server
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 16);

    Variant bytes = std::vector<std::uint8_t>{1, 2, 3, 250};
    call(tally, u"Reverse", bytes);
    EXPECT_EQ(bytes.toBytes(), (std::vector<std::uint8_t>{250, 3, 2, 1}));

    SafeArray grid(VarType::Double, {{-2, 2}, {1, 3}});
    for (std::size_t i = 0; i < grid.items().size(); ++i) grid.items()[i] = Variant(0.5 * i);
    for (const Variant& sent :
         {Variant(std::u16string{u'x', char16_t(0xDC01)}), Variant(grid), Variant::null(),
          Variant(Currency{123456}), Variant::unallocatedArray(VarType::String)}) {
        const Variant back = call(tally, u"Echo", sent);
        EXPECT_EQ(back.varType(), sent.varType());
        EXPECT_TRUE(back == sent) << toUtf8(typeName(sent));
    }

    try {
        call(tally, u"Fail", 1234);
        ADD_FAILURE();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 1234);
        EXPECT_EQ(error.description(), u"Failed on purpose");
        EXPECT_EQ(error.source(), u"Tally:Fail");
    }
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Nope"); }), err::NoSuchMember);
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Echo"); }), err::ArgumentNotOptional);
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Echo", 1, 2); }), err::WrongArgumentCount);
    EXPECT_EQ(errorNumberOf([&] { letProperty(tally, u"Total", u"many"); }), err::TypeMismatch);
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 16);  // the connection survived every error
}

// Lets the caller does not wait for, as a progress window's status per file.
TEST_F(OutOfProcess, PostedLetsArriveInOrderAndAFailureComesWithTheNextCallThatWaits) {
    const ObjectRef tally = newTally();
    for (std::int32_t i = 1; i <= 2000; ++i) postProperty(tally, u"Total", i);
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 2000);

    // The member refuses one; the caller went on, and hears of it once, with its next call that waits.
    postProperty(tally, u"Total", -1);
    postProperty(tally, u"Total", 7);
    try {
        getProperty(tally, u"Total");
        ADD_FAILURE();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 380);
        EXPECT_EQ(error.source(), u"Tally:Total");
    }
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 7);

    // Refusals by the thousand fill the socket with their answers while the caller still sends: neither
    // side may wait for the other for ever.
    for (std::int32_t i = 1; i <= 5000; ++i) postProperty(tally, u"Total", -i);
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Echo", 1); }), 380);
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 7);

    // What only the far side could refuse later waits as ever: a value the member would convert, and any
    // let while the server holds an object of ours (it could call back during the let).
    EXPECT_EQ(errorNumberOf([&] { postProperty(tally, u"Total", u"many"); }), err::TypeMismatch);
    Recorder listener;
    setProperty(tally, u"Listener", listener.sink());
    EXPECT_EQ(errorNumberOf([&] { postProperty(tally, u"Total", -1); }), 380);
}

// A failure nobody is left to hear of, as the last object goes, is still reported.
TEST_F(OutOfProcess, APostedFailureOutstandingAtTheLastReleaseIsReported) {
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t client = fork();
    if (client == 0) {
        close(output[0]);
        dup2(output[1], STDERR_FILENO);
        {
            const ObjectRef tally = newTally();
            postProperty(tally, u"Total", -3);
        }
        _exit(0);
    }
    close(output[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    close(output[0]);
    EXPECT_EQ(exitStatusOf(client), 0);
    EXPECT_NE(text.find("Invalid property value (error 380)"), std::string::npos) << text;
}

TEST_F(OutOfProcess, ObjectReferencesCrossInBothDirections) {
    const ObjectRef tally = newTally();
    letProperty(tally, u"Total", 4);
    const ObjectRef child = call(tally, u"Child").toObject();
    ASSERT_TRUE(child);
    EXPECT_EQ(child->typeName(), u"Tally");
    EXPECT_EQ(getProperty(child, u"Total").toLong(), 5);
    // A proxy going home arrives as the server's own object, not as a proxy of a proxy.
    EXPECT_EQ(call(tally, u"Combined", child).toLong(), 9);
    EXPECT_TRUE(call(tally, u"Echo", child).toObject() == child);
    EXPECT_EQ(serverProcessOf(child), serverProcessOf(tally));

    // And a client object sent out and back is the client's object again.
    Recorder recorder;
    const ObjectRef sink = recorder.sink();
    EXPECT_TRUE(call(tally, u"Echo", sink).toObject() == sink);
    EXPECT_FALSE(call(tally, u"Echo", Variant::nothing()).toObject());
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Combined", sink); }), err::TypeMismatch);
}

TEST_F(OutOfProcess, EventsReachClientSinksAndTheirAnswersGoBack) {
    const ObjectRef tally = newTally();
    Recorder first;
    Recorder second;
    second.action = [](std::u16string_view, std::span<Variant> args) { args[0] = args[0].toLong() * 10; };
    connectEvents(tally, first.sink());
    const auto cookie = connectEvents(tally, second.sink());
    std::int32_t value = 0;
    EXPECT_EQ(call(tally, u"Add", byRef(value), 3).toLong(), 30);
    EXPECT_EQ(first.calls, std::vector<std::u16string>{u"Changed 3"});
    EXPECT_EQ(second.calls, std::vector<std::u16string>{u"Changed 3"});

    disconnectEvents(tally, cookie);
    call(tally, u"Add", byRef(value), 1);
    EXPECT_EQ(value, 31);
    EXPECT_EQ(first.calls.back(), u"Changed 31");
    EXPECT_EQ(second.calls.size(), 1u);
}

TEST_F(OutOfProcess, CallbacksOnClientObjectsAreServedDuringTheCall) {
    const ObjectRef tally = newTally();
    letProperty(tally, u"Total", 7);
    Recorder listener;
    listener.action = [&](std::u16string_view name, std::span<Variant> args) {
        if (name == u"Answer") args[1] = u"yes to " + args[0].toString();
        // A call back into the server from inside its own call to us.
        if (name == u"Notify") letProperty(tally, u"Total", getProperty(tally, u"Total").toLong() + 1);
    };
    setProperty(tally, u"Listener", listener.sink());
    call(tally, u"Notify", u"hello");
    EXPECT_EQ(listener.calls, std::vector<std::u16string>{u"Notify hello"});
    EXPECT_EQ(getProperty(tally, u"Total").toLong(), 8);
    EXPECT_EQ(call(tally, u"Ask", u"ready?").toString(), u"yes to ready?");
}

TEST_F(OutOfProcess, OneServerPerClientThatEndsWithTheLastRelease) {
    ObjectRef first = newTally();
    ObjectRef second = newTally();
    const pid_t server = serverProcessOf(first);
    ASSERT_GT(server, 0);
    EXPECT_EQ(serverProcessOf(second), server);
    ObjectRef child = call(first, u"Child").toObject();

    first.reset();
    second.reset();
    EXPECT_TRUE(isRunning(server));  // the child still holds it
    child.reset();
    EXPECT_TRUE(velmora::test::processEnds(server));

    const ObjectRef again = newTally();
    EXPECT_NE(serverProcessOf(again), server);
    EXPECT_EQ(getProperty(again, u"Total").toLong(), 0);
}

TEST_F(OutOfProcess, AKilledServerTurnsLaterCallsInto462) {
    const ObjectRef tally = newTally();
    letProperty(tally, u"Total", 3);
    const pid_t server = serverProcessOf(tally);
    ASSERT_EQ(kill(server, SIGKILL), 0);
    ASSERT_TRUE(velmora::test::processEnds(server));
    EXPECT_EQ(errorNumberOf([&] { postProperty(tally, u"Total", 4); }), err::RemoteServerUnavailable);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            getProperty(tally, u"Total");
            ADD_FAILURE();
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::RemoteServerUnavailable);
            EXPECT_EQ(error.description(), u"The remote server machine does not exist or is unavailable");
        }
    }
    EXPECT_EQ(tally->typeName(), u"Tally");  // answered from the description
    const ObjectRef fresh = newTally();      // a new server for new objects
    EXPECT_NE(serverProcessOf(fresh), server);
    EXPECT_EQ(getProperty(fresh, u"Total").toLong(), 0);
}

TEST_F(OutOfProcess, AServerKilledDuringACallEndsThatCallWith462) {
    const ObjectRef tally = newTally();
    const pid_t server = serverProcessOf(tally);
    Recorder listener;
    // The server is inside Notify, waiting for us, when it dies.
    listener.action = [&](std::u16string_view, std::span<Variant>) {
        kill(server, SIGKILL);
        ASSERT_TRUE(velmora::test::processEnds(server));
    };
    setProperty(tally, u"Listener", listener.sink());
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Notify", u"bye"); }), err::RemoteServerUnavailable);
    EXPECT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Notify", u"again"); }), err::RemoteServerUnavailable);
}

TEST_F(OutOfProcess, AServerWhoseClientDiesEnds) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t client = fork();
    if (client == 0) {
        // The client: holds an object whose server holds one of ours, reports the server and waits.
        close(report[0]);
        Recorder listener;
        const ObjectRef tally = newTally();
        setProperty(tally, u"Listener", listener.sink());
        const pid_t server = serverProcessOf(tally);
        if (write(report[1], &server, sizeof server) != sizeof server) _exit(1);
        for (;;) pause();
    }
    close(report[1]);
    pid_t server = 0;
    ASSERT_EQ(read(report[0], &server, sizeof server), static_cast<ssize_t>(sizeof server));
    close(report[0]);
    ASSERT_TRUE(isRunning(server));
    kill(client, SIGKILL);
    EXPECT_EQ(exitStatusOf(client), 128 + SIGKILL);
    EXPECT_TRUE(velmora::test::processEnds(server));
}

TEST_F(OutOfProcess, GarbageOnTheSocketEndsOnlyThatConnection) {
    const ObjectRef bystander = newTally();
    letProperty(bystander, u"Total", 42);
    const std::vector<std::vector<std::uint8_t>> garbage{
        {0xFF, 0xFF, 0xFF, 0xFF},                             // a length beyond the bound
        {0x06, 0, 0, 0, 0x09, 1, 0, 0, 0, 0},                 // another version
        {0x0C, 0, 0, 0, 1, 3, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0},  // a release of an object never handed out
    };
    for (const auto& bytes : garbage) {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        const pid_t server = spawn({VELMORA_TALLYSERVER_PATH, "-Embedding", "3"}, ends[1]);
        close(ends[1]);
        ASSERT_GT(server, 0);
        auto connection = Connection::client(ends[0], 0);
        ObjectRef tally = connection->create(kTallyClassId, 30s);
        EXPECT_EQ(getProperty(tally, u"Total").toLong(), 0);
        ASSERT_EQ(write(connection->fd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        EXPECT_EQ(exitStatusOf(server), 1);  // it noticed, released its objects and ended
        EXPECT_EQ(errorNumberOf([&] { getProperty(tally, u"Total"); }), err::RemoteServerUnavailable);
    }
    EXPECT_EQ(getProperty(bystander, u"Total").toLong(), 42);
}

TEST(OutOfProcessClient, AMalformedReplyEndsTheConnectionWith462) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    // The "server" end answers the creation properly, then sends garbage where the next reply belongs.
    wire::WireCatalog fake;
    std::vector<std::uint8_t> script = wire::encodeFrame(
        wire::ReplyFrame{1, wire::ValueReply{Variant(makeObject<test::Sample>()), {}}}, fake);
    for (std::uint8_t byte : {0x05, 0, 0, 0, 1, 2, 0, 0, 0}) script.push_back(byte);
    ASSERT_EQ(write(ends[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));

    auto connection = Connection::client(ends[0], 0);
    const ObjectRef object = connection->create(u"{00000000-0000-0000-0000-000000000001}", 30s);
    EXPECT_EQ(object->typeName(), u"Sample");
    EXPECT_EQ(errorNumberOf([&] { call(object, u"Add", 1, 2); }), err::RemoteServerUnavailable);
    EXPECT_FALSE(connection->isOpen());
    close(ends[1]);
}

TEST_F(OutOfProcess, ValuesTooLargeForAFrameFailOnlyThatCall) {
    const ObjectRef tally = newTally();
    Recorder recorder;
    SafeArray both(VarType::Variant, {{0, 2}});
    both.items()[0] = Variant(recorder.sink());
    both.items()[1] = Variant(std::vector<std::uint8_t>(wire::kMaxFrameSize, 7));
    EXPECT_EQ(errorNumberOf([&] { call(tally, u"Echo", Variant(both)); }), err::OutOfMemory);
    EXPECT_EQ(call(tally, u"Echo", 5).toLong(), 5);
    const ObjectRef sink = recorder.sink();
    EXPECT_TRUE(call(tally, u"Echo", sink).toObject() == sink);
}

TEST_F(OutOfProcess, ObjcallUsesServerClassesAsItUsesLibraryClasses) {
    const Output out =
        runCapturing({VELMORA_OBJCALL_PATH, "Tallyserver.Tally", "Total=i32:10", "Add(i32:0, 5)",
                      "Echo(bytes:00ff)", "Listener:=sink", "Notify(s:hi)", "Fail(i32:77)"});
    EXPECT_EQ(out.status, 1) << out.text;
    EXPECT_EQ(out.text,
              "empty\n"
              "i32:15\n"
              "  arg 1 -> i32:15\n"
              "  event Changed(i32:15)\n"
              "bytes:00ff\n"
              "empty\n"
              "empty\n"
              "  event Notify(s:hi)\n"
              "error 77 Tally:Fail: Failed on purpose\n");
}

TEST(ServerCommandLine, SwitchesAreParsedStrictly) {
    using Action = ServerCommand::Action;
    const struct {
        std::vector<std::string> args;
        Action action;
        int fd;
    } cases[] = {
        {{"/regserver"}, Action::RegServer, -1},       {{"-RegServer"}, Action::RegServer, -1},
        {{"/UNREGSERVER"}, Action::UnregServer, -1},   {{"-Embedding", "3"}, Action::Embedding, 3},
        {{"/embedding", "17"}, Action::Embedding, 17}, {{"-Embedding"}, Action::None, -1},
        {{"-Embedding", "3x"}, Action::None, -1},      {{"-Embedding", "-1"}, Action::None, -1},
        {{"-Embedding", ""}, Action::None, -1},        {{"regserver"}, Action::None, -1},
        {{"/regserver", "extra"}, Action::None, -1},   {{}, Action::None, -1},
    };
    for (const auto& test : cases) {
        std::vector<char*> argv{const_cast<char*>("Server.exe")};
        for (const std::string& arg : test.args) argv.push_back(const_cast<char*>(arg.c_str()));
        const ServerCommand command = parseServerCommand(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(command.action, test.action) << (test.args.empty() ? "" : test.args[0]);
        EXPECT_EQ(command.fd, test.fd);
    }
}

// A server driven the way one with an event loop drives it: it serves what has arrived when its socket is
// readable, and a lock (an open window) keeps it from finishing after the client has gone.
TEST(LocalServerLoop, AServerLockOutlastsTheConnection) {
    static const ClassTable table =
        ClassTable(u"Samples")
            .add<test::Sample>(u"{9E0D4C1B-2A3F-4B5C-8D6E-7F8091A2B3C4}", u"Samples.Sample");
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    LocalServer server(table, ends[1]);
    std::optional<ServerLock> window(std::in_place);
    int finishedCalls = 0;
    server.onFinished([&] { ++finishedCalls; });

    std::int32_t sum = 0;
    std::thread client([&] {
        auto connection = Connection::client(ends[0], 0);
        const ObjectRef sample = connection->create(u"{9E0D4C1B-2A3F-4B5C-8D6E-7F8091A2B3C4}", 30s);
        sum = call(sample, u"Add", 2, 3).toLong();
    });  // releasing the sample ends the connection
    while (server.fd() >= 0) {
        pollfd watch{server.fd(), POLLIN, 0};
        ASSERT_EQ(poll(&watch, 1, kExitTimeoutMs), 1);
        server.servePending();
    }
    client.join();
    EXPECT_EQ(sum, 5);
    EXPECT_FALSE(server.finished());
    EXPECT_EQ(finishedCalls, 0);
    window.reset();
    EXPECT_TRUE(server.finished());
    EXPECT_EQ(finishedCalls, 1);
}
