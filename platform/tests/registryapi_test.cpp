#include "platform/registryapi.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Owns an opened key for the length of a test.
class Key {
  public:
    Key() = default;
    explicit Key(HKEY h) : m_h(h) {}
    ~Key() {
        if (m_h) RegCloseKey(m_h);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_h; }
    HKEY* out() { return &m_h; }

  private:
    HKEY m_h = nullptr;
};

std::string testKeyPath() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("Software\\VelmoraTests\\") + info->test_suite_name() + "\\" + info->name();
}

// Deletes a key and everything below it, bottom-up as the registry requires.
void deleteTree(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(parent, path.c_str(), &key) != ERROR_SUCCESS) return;
    char name[256];
    DWORD size = sizeof name;
    while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        deleteTree(key, name);
        size = sizeof name;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path.c_str());
}

// A fresh key of the running test below HKCU (fresh also when tests are repeated in one process).
HKEY createTestKey(const std::string& sub = "") {
    if (sub.empty()) deleteTree(HKEY_CURRENT_USER, testKeyPath());
    HKEY h = nullptr;
    const std::string path = sub.empty() ? testKeyPath() : testKeyPath() + "\\" + sub;
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
        ERROR_SUCCESS);
    return h;
}

LONG setBytes(HKEY h, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

struct Read {
    LONG status;
    DWORD type;
    std::string bytes;
};

Read readValue(HKEY h, const char* name) {
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return {status, 0, {}};
    std::string bytes(size, '\0');
    status = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    bytes.resize(size);
    return {status, type, bytes};
}

std::vector<std::string> subkeyNames(HKEY h) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

std::vector<std::string> valueNames(HKEY h) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

HKEY fromNumber(std::uintptr_t number) {
    return reinterpret_cast<HKEY>(number);
}

TEST(Registry, CreateReportsDispositionAndMakesIntermediateKeys) {
    Key base(createTestKey());
    Key deep;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(base.get(), "One\\Two\\Three", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              deep.out(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    Key again;
    ASSERT_EQ(RegCreateKeyExA(base.get(), "ONE\\two\\THREE\\", 0, nullptr, 0, KEY_READ, nullptr, again.out(),
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    Key middle;
    EXPECT_EQ(RegOpenKeyExA(base.get(), "one\\TWO", 0, KEY_READ, middle.out()), ERROR_SUCCESS);
    EXPECT_EQ(subkeyNames(middle.get()), std::vector<std::string>{"Three"});  // case kept as created
}

TEST(Registry, OpenMissingKeyFailsAndNullsTheResult) {
    Key base(createTestKey());
    HKEY h = fromNumber(0x1234);
    EXPECT_EQ(RegOpenKeyExA(base.get(), "Missing\\Below", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
}

TEST(Registry, EmptySubkeyGivesAnIndependentHandle) {
    Key base(createTestKey());
    for (auto open : {+[](HKEY k, HKEY*out) { return RegOpenKeyA(k, nullptr, out); },
                      +[](HKEY k, HKEY*out) { return RegCreateKeyA(k, "", out); }}) {
        HKEY second = nullptr;
        ASSERT_EQ(open(base.get(), &second), ERROR_SUCCESS);
        ASSERT_NE(second, base.get());
        EXPECT_EQ(RegCloseKey(second), ERROR_SUCCESS);
        EXPECT_EQ(setBytes(base.get(), "still", REG_SZ, std::string("open", 5)), ERROR_SUCCESS);
    }
}

TEST(Registry, ValuesRoundTripByteExactForEveryType) {
    Key key(createTestKey());
    std::string binary7("\x00\x01\xFF\x80\x00\x7F\x00", 7);
    std::string large(4099, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"none", REG_NONE, ""},
        {"emptyBinary", REG_BINARY, ""},
        {"oneByte", REG_BINARY, std::string(1, '\xC8')},
        {"oddBinary", REG_BINARY, binary7},
        {"largeBinary", REG_BINARY, large},
        {"text", REG_SZ, std::string("hello\0", 6)},
        {"unterminated", REG_SZ, "no terminator"},
        {"expand", REG_EXPAND_SZ, std::string("%HOME%\\x\0", 9)},
        {"dword", REG_DWORD, std::string("\x2C\x01\x00\x00", 4)},
        {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"unknownType", 0x12345, std::string("\x01\x00\x02", 3)},
        {"", REG_SZ, std::string("default\0", 8)},
    };
    for (const auto& c : cases)
        ASSERT_EQ(setBytes(key.get(), c.name, c.type, c.bytes), ERROR_SUCCESS) << c.name;
    for (const auto& c : cases) {
        const Read read = readValue(key.get(), c.name);
        EXPECT_EQ(read.status, ERROR_SUCCESS) << c.name;
        EXPECT_EQ(read.type, c.type) << c.name;
        EXPECT_EQ(read.bytes, c.bytes) << c.name;
    }
    EXPECT_EQ(readValue(key.get(), nullptr).bytes,
              std::string("default\0", 8));  // null names the default too
}

TEST(Registry, QueryValueSizeContract) {
    Key key(createTestKey());
    ASSERT_EQ(setBytes(key.get(), "Name", REG_BINARY, "12345"), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), "NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, REG_BINARY);

    char buffer[8] = "xxxxxxx";
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key.get(), "name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(buffer, "xxxxxxx");  // a short buffer is left alone

    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key.get(), "name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer, size), "12345");

    type = 77;
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), "missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(size, 0u);  // callers rely on a missing value leaving the length at 0
    EXPECT_EQ(RegQueryValueExA(key.get(), "name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST(Registry, ValueNamesAreCaseInsensitiveAndKeepTheirCase) {
    Key key(createTestKey());
    ASSERT_EQ(setBytes(key.get(), "MixedCase", REG_SZ, "1"), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(key.get(), "MIXEDCASE", REG_SZ, "2"), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(key.get()), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(readValue(key.get(), "mixedcase").bytes, "2");
    EXPECT_EQ(RegDeleteValueA(key.get(), "mixedCASE"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key.get(), "MixedCase"), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, EnumValuesInCreationOrderWithMoreDataContract) {
    Key key(createTestKey());
    for (const char* name : {"zeta", "Alpha", "mid"})
        ASSERT_EQ(setBytes(key.get(), name, REG_SZ, name), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(key.get(), "zeta", REG_BINARY, "replaced"), ERROR_SUCCESS);  // keeps its place
    EXPECT_EQ(valueNames(key.get()), (std::vector<std::string>{"zeta", "Alpha", "mid"}));

    char name[16] = "untouched";
    DWORD nameSize = 4, type = 0, dataSize = 0;
    EXPECT_EQ(RegEnumValueA(key.get(), 1, name, &nameSize, nullptr, &type, nullptr, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 6u);  // "Alpha" and its NUL
    EXPECT_STREQ(name, "untouched");

    BYTE data[4];
    nameSize = sizeof name;
    dataSize = sizeof data;
    EXPECT_EQ(RegEnumValueA(key.get(), 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 8u);

    BYTE big[16];
    nameSize = sizeof name;
    dataSize = sizeof big;
    ASSERT_EQ(RegEnumValueA(key.get(), 0, name, &nameSize, nullptr, &type, big, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameSize), "zeta");
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(big), dataSize), "replaced");

    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key.get(), 3, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST(Registry, EnumKeysAlphabeticallyWithMoreDataContract) {
    Key base(createTestKey());
    for (const char* sub : {"beta", "Gamma", "alpha", "Delta"}) {
        Key k;
        ASSERT_EQ(RegCreateKeyA(base.get(), sub, k.out()), ERROR_SUCCESS);
    }
    EXPECT_EQ(subkeyNames(base.get()), (std::vector<std::string>{"alpha", "beta", "Delta", "Gamma"}));

    char name[8];
    DWORD size = 5;  // "alpha" needs 6 with its NUL
    EXPECT_EQ(RegEnumKeyExA(base.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(base.get(), 4, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST(Registry, DeleteKeyOnlyWithoutSubkeys) {
    Key base(createTestKey());
    {
        Key leaf;
        ASSERT_EQ(RegCreateKeyA(base.get(), "Parent\\Leaf", leaf.out()), ERROR_SUCCESS);
        ASSERT_EQ(setBytes(leaf.get(), "v", REG_SZ, "x"), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegDeleteKeyA(base.get(), "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(base.get(), "Parent\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(base.get(), "Parent\\Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(base.get(), "Parent"), ERROR_SUCCESS);

    Key recreated;
    ASSERT_EQ(RegCreateKeyA(base.get(), "Parent\\Leaf", recreated.out()), ERROR_SUCCESS);
    EXPECT_EQ(readValue(recreated.get(), "v").status, ERROR_FILE_NOT_FOUND);  // values went with the key
}

TEST(Registry, RootsAndClassesRootCannotBeDeleted) {
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                      HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA})
        EXPECT_EQ(RegDeleteKeyA(root, ""), ERROR_ACCESS_DENIED);
    Key software;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software", software.out()), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(software.get(), "Classes"), ERROR_ACCESS_DENIED);
}

TEST(Registry, KeyDeletedWhileOpenReportsKeyDeleted) {
    Key base(createTestKey());
    Key doomed;
    ASSERT_EQ(RegCreateKeyA(base.get(), "Doomed", doomed.out()), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(base.get(), "Doomed"), ERROR_SUCCESS);
    Key reborn;  // a new key of the same name is another key
    ASSERT_EQ(RegCreateKeyA(base.get(), "Doomed", reborn.out()), ERROR_SUCCESS);

    DWORD size = 0;
    char name[8];
    HKEY sub = nullptr;
    EXPECT_EQ(RegQueryValueExA(doomed.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(setBytes(doomed.get(), "v", REG_SZ, "x"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueA(doomed.get(), "v"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyA(doomed.get(), "Sub", &sub), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyA(doomed.get(), "", &sub), ERROR_KEY_DELETED);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(doomed.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(doomed.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKeyA(doomed.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(readValue(reborn.get(), "v").status, ERROR_FILE_NOT_FOUND);
}

TEST(Registry, ClosedAndMadeUpHandlesAreInvalid) {
    HKEY closed = createTestKey();
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    DWORD size = 0;
    HKEY out = nullptr;
    for (HKEY bad : {closed, static_cast<HKEY>(nullptr), fromNumber(0x12345678),
                     fromNumber(~std::uintptr_t(0)), fromNumber(0x80000007), fromNumber(0x123456789ABCull)}) {
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegOpenKeyA(bad, "x", &out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyA(bad, "x", &out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryValueExA(bad, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(setBytes(bad, "x", REG_SZ, "x"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteKeyA(bad, "x"), ERROR_INVALID_HANDLE);
    }
}

TEST(Registry, RootsAcceptZeroExtendedValuesAndNeedNoClosing) {
    Key viaNumber;
    ASSERT_EQ(RegCreateKeyA(fromNumber(0x80000001u), testKeyPath().c_str(), viaNumber.out()), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(viaNumber.get(), "v", REG_SZ, "x"), ERROR_SUCCESS);
    Key viaConstant;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, testKeyPath().c_str(), viaConstant.out()), ERROR_SUCCESS);
    EXPECT_EQ(readValue(viaConstant.get(), "v").bytes, "x");
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST(Registry, ClassesRootIsAViewOfLocalMachineClasses) {
    Key viaRoot;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".velmoratest\\shell", viaRoot.out()), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(viaRoot.get(), "", REG_SZ, std::string("open\0", 5)), ERROR_SUCCESS);

    Key viaMachine;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\classes\\.VelmoraTest\\Shell", viaMachine.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(readValue(viaMachine.get(), "").bytes, std::string("open\0", 5));
    Key notUser;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Classes\\.velmoratest", notUser.out()),
              ERROR_FILE_NOT_FOUND);
}

TEST(Registry, PerformanceAndDynamicDataRootsAreReadOnly) {
    for (HKEY root : {HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA}) {
        HKEY sub = nullptr;
        EXPECT_EQ(RegCreateKeyA(root, "Anything", &sub), ERROR_ACCESS_DENIED);
        EXPECT_EQ(setBytes(root, "v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegDeleteValueA(root, "v"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegOpenKeyA(root, "Anything", &sub), ERROR_FILE_NOT_FOUND);
        Key self;
        ASSERT_EQ(RegOpenKeyA(root, nullptr, self.out()), ERROR_SUCCESS);
        EXPECT_EQ(setBytes(self.get(), "v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
        EXPECT_TRUE(subkeyNames(self.get()).empty());
    }
    for (HKEY root : {HKEY_USERS, HKEY_CURRENT_CONFIG}) {
        Key sub;
        EXPECT_EQ(RegCreateKeyA(root, "VelmoraTests", sub.out()), ERROR_SUCCESS);
    }
}

TEST(Registry, HandlesKeepTheAccessTheyWereOpenedWith) {
    Key base(createTestKey());
    Key reader, writer;
    ASSERT_EQ(RegOpenKeyExA(base.get(), "", 0, KEY_READ, reader.out()), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(base.get(), "", 0, KEY_WRITE, writer.out()), ERROR_SUCCESS);
    EXPECT_EQ(setBytes(reader.get(), "v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyA(reader.get(), "New", &sub), ERROR_ACCESS_DENIED);
    EXPECT_EQ(setBytes(writer.get(), "v", REG_SZ, "x"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writer.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(reader.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
}

TEST(Registry, BadInputGivesErrorCodes) {
    Key base(createTestKey());
    const std::string longest(MAX_REG_KEY_NAME, 'k'), tooLong(MAX_REG_KEY_NAME + 1, 'k');
    const std::string longValue(MAX_REG_VALUE_NAME, 'v'), tooLongValue(MAX_REG_VALUE_NAME + 1, 'v');
    HKEY sub = nullptr;
    const struct {
        const char* what;
        LONG status;
        LONG expected;
    } cases[] = {
        {"null result", RegCreateKeyExA(base.get(), "a", 0, nullptr, 0, KEY_READ, nullptr, nullptr, nullptr),
         ERROR_INVALID_PARAMETER},
        {"null subkey", RegCreateKeyExA(base.get(), nullptr, 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr),
         ERROR_INVALID_PARAMETER},
        {"open null result", RegOpenKeyExA(base.get(), "a", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER},
        {"name too long", RegCreateKeyA(base.get(), tooLong.c_str(), &sub), ERROR_INVALID_PARAMETER},
        {"leading backslash", RegCreateKeyA(base.get(), "\\a", &sub), ERROR_BAD_PATHNAME},
        {"doubled backslash", RegCreateKeyA(base.get(), "a\\\\b", &sub), ERROR_BAD_PATHNAME},
        {"value name too long", setBytes(base.get(), tooLongValue.c_str(), REG_SZ, "x"),
         ERROR_INVALID_PARAMETER},
        {"null data with size", RegSetValueExA(base.get(), "v", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS},
        {"delete null subkey", RegDeleteKeyA(base.get(), nullptr), ERROR_INVALID_PARAMETER},
        {"enum null name", RegEnumKeyExA(base.get(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
         ERROR_INVALID_PARAMETER},
        {"value enum null name",
         RegEnumValueA(base.get(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
         ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) EXPECT_EQ(c.status, c.expected) << c.what;

    Key atLimit;
    EXPECT_EQ(RegCreateKeyA(base.get(), longest.c_str(), atLimit.out()), ERROR_SUCCESS);
    EXPECT_EQ(setBytes(base.get(), longValue.c_str(), REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(base.get(), "empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(readValue(base.get(), "empty").bytes, "");
}

TEST(Registry, QueryInfoKeyCountsAndMaxima) {
    Key base(createTestKey());
    Key a, b;
    ASSERT_EQ(RegCreateKeyA(base.get(), "short", a.out()), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyA(base.get(), "muchLonger", b.out()), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(base.get(), "v", REG_BINARY, "123456"), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(base.get(), "longName", REG_SZ, "1"), ERROR_SUCCESS);
    DWORD subkeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
    FILETIME written{};
    ASSERT_EQ(RegQueryInfoKeyA(base.get(), nullptr, nullptr, nullptr, &subkeys, &maxSub, nullptr, &values,
                               &maxName, &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(maxSub, 10u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 8u);
    EXPECT_EQ(maxData, 6u);
    EXPECT_GT(written.dwHighDateTime, 0u);
}

TEST(Registry, ThreadsShareHandlesAndLoseNoWrite) {
    Key key(createTestKey());
    constexpr int kThreads = 4, kWrites = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i) {
                const std::string name = std::to_string(t) + "-" + std::to_string(i);
                setBytes(key.get(), name.c_str(), REG_SZ, name);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(valueNames(key.get()).size(), std::size_t(kThreads * kWrites));
}

// Each child process writes its own values and creates the same shared keys, all at once.
int writeFromChild(int gate, const std::string& path, int child, int count) {
    char go;
    if (read(gate, &go, 1) != 0) return 10;  // returns 0 when the parent closes the pipe: start together
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return 11;
    for (int i = 0; i < count; ++i) {
        const std::string name = "c" + std::to_string(child) + "-" + std::to_string(i);
        if (setBytes(key, name.c_str(), REG_DWORD, std::string(reinterpret_cast<char*>(&i), 4)) !=
            ERROR_SUCCESS)
            return 12;
        HKEY shared = nullptr;
        const std::string sub = "shared\\k" + std::to_string(i % 20);
        if (RegCreateKeyA(key, sub.c_str(), &shared) != ERROR_SUCCESS) return 13;
        RegCloseKey(shared);
    }
    return RegCloseKey(key) == ERROR_SUCCESS ? 0 : 14;
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNoWrite) {
    constexpr int kChildren = 2, kCount = 200;
    Key base(createTestKey());  // the parent has a connection open, which the children must not reuse
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            _exit(writeFromChild(gate[0], testKeyPath(), c, kCount));
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);
    for (int i = 0; i < kCount; ++i)  // the parent writes at the same time
        ASSERT_EQ(setBytes(base.get(), ("parent-" + std::to_string(i)).c_str(), REG_SZ, "p"), ERROR_SUCCESS);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    const auto names = valueNames(base.get());
    EXPECT_EQ(names.size(), std::size_t((kChildren + 1) * kCount));
    for (int c = 0; c < kChildren; ++c)
        for (int i = 0; i < kCount; i += 37) {
            const Read read =
                readValue(base.get(), ("c" + std::to_string(c) + "-" + std::to_string(i)).c_str());
            EXPECT_EQ(read.bytes, std::string(reinterpret_cast<const char*>(&i), 4));
        }
    Key shared;
    ASSERT_EQ(RegOpenKeyA(base.get(), "shared", shared.out()), ERROR_SUCCESS);
    EXPECT_EQ(subkeyNames(shared.get()).size(), 20u);
}

}  // namespace
