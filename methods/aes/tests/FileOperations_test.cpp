// EncryptFile and DecryptFile on real files: the encrypted file format, safe replacement of the
// destination, permission bits, and the failure table with the destination left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "BlockruneTestSupport.h"
#include "component/calls.h"
#include "platform/files.h"

using namespace velmora;
using namespace velmora::testing;
namespace fs = std::filesystem;

namespace {

class FileOperations : public PlugIn {
  protected:
    void SetUp() override {
        PlugIn::SetUp();
        m_dir =
            fs::path(std::getenv("TMPDIR")) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, ec);
        fs::remove_all(m_dir, ec);
        PlugIn::TearDown();
    }

    std::string path(const char* name) const { return (m_dir / name).string(); }
    static void write(const std::string& file, const Bytes& bytes) {
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    static Bytes read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    bool run(const char16_t* operation, const std::string& source, const std::string& dest,
             std::u16string key) {
        Variant s(fromUtf8(source)), d(fromUtf8(dest)), k(std::move(key)), h(m_log.sink());
        return call(m_main, operation, s, d, k, h).toBool();
    }
    std::vector<std::string> errors() const {
        std::vector<std::string> out;
        for (const std::string& line : m_log.lines)
            if (line.find("Progress") == std::string::npos) out.push_back(line);
        return out;
    }
    // No temporary file is left behind in the folder.
    std::size_t entries() const {
        return std::distance(fs::directory_iterator(m_dir), fs::directory_iterator());
    }

    fs::path m_dir;
};

mode_t modeOf(const std::string& file) {
    struct stat info {};
    stat(file.c_str(), &info);
    return info.st_mode & 0777;
}

}  // namespace

TEST_F(FileOperations, EncryptedFileIsTheEncryptedFormOfTheWholeFile) {
    const Bytes data = randomBytes(5000, 21);
    write(path("plain.txt"), data);
    ASSERT_TRUE(run(u"EncryptFile", path("plain.txt"), path("plain.txt.zqf"), u"pw"));
    McryptOracle oracle(passwordKey(u"pw"));
    EXPECT_EQ(read(path("plain.txt.zqf")), oracle.encrypt(plainFrame(data, 5000)));
    ASSERT_TRUE(run(u"DecryptFile", path("plain.txt.zqf"), path("back.txt"), u"pw"));
    EXPECT_EQ(read(path("back.txt")), data);
    EXPECT_EQ(modeOf(path("back.txt")), 0600u);  // decrypted data is created owner-only
    EXPECT_EQ(entries(), 3u);
}

TEST_F(FileOperations, ReplacingKeepsPermissionsAndLeavesNoTail) {
    write(path("small"), Bytes(10, 1));
    write(path("dest"), randomBytes(10000, 2));  // longer than the result
    chmod(path("dest").c_str(), 0640);
    ASSERT_TRUE(run(u"EncryptFile", path("small"), path("dest"), u"pw"));
    EXPECT_EQ(read(path("dest")).size(), 32u);
    EXPECT_EQ(modeOf(path("dest")), 0640u);

    // In place, as the front end decrypts: the source is read completely before it is replaced.
    ASSERT_TRUE(run(u"DecryptFile", path("dest"), path("dest"), u"pw"));
    EXPECT_EQ(read(path("dest")), Bytes(10, 1));
    EXPECT_EQ(modeOf(path("dest")), 0640u);
    EXPECT_EQ(entries(), 2u);
}

// Files longer than the chunk the operations stream through: the same bytes as the whole frame enciphered
// at once, progress once per percent across the chunks, and a wrong password stopped at the first chunk.
TEST_F(FileOperations, FilesOfSeveralChunksStreamThroughUnchanged) {
    const std::size_t size = 2 * 1024 * 1024 + 1024 * 512 + 7;
    const Bytes data = randomBytes(size, 31);
    write(path("big"), data);
    const auto percents = [&] {
        std::vector<int> values;
        for (const std::string& line : m_log.lines)
            if (line.starts_with("RaiseProgress(")) values.push_back(std::stoi(line.substr(14)));
        m_log.lines.clear();
        return values;
    };
    std::vector<int> everyPercent(100);
    std::iota(everyPercent.begin(), everyPercent.end(), 0);

    ASSERT_TRUE(run(u"EncryptFile", path("big"), path("big"), u"pw"));  // in place
    McryptOracle oracle(passwordKey(u"pw"));
    const Bytes encrypted = read(path("big"));
    EXPECT_EQ(encrypted, oracle.encrypt(plainFrame(data, static_cast<std::int32_t>(size))));
    EXPECT_EQ(percents(), everyPercent);

    EXPECT_FALSE(run(u"DecryptFile", path("big"), path("big"), u"wrong"));
    EXPECT_EQ(read(path("big")), encrypted);
    const std::vector<int> refused = percents();
    ASSERT_FALSE(refused.empty());
    EXPECT_LT(refused.back(), 40);  // the first of three chunks, then no more work

    ASSERT_TRUE(run(u"DecryptFile", path("big"), path("back"), u"pw"));
    EXPECT_EQ(read(path("back")), data);
    EXPECT_EQ(percents(), everyPercent);

    // Padding that is not zero shows only in the last chunk: the file is refused all the same.
    Bytes frame = plainFrame(data, static_cast<std::int32_t>(size));
    frame.back() = 1;
    write(path("padded"), oracle.encrypt(frame));
    write(path("back"), Bytes(3, 3));
    EXPECT_FALSE(run(u"DecryptFile", path("padded"), path("back"), u"pw"));
    EXPECT_EQ(read(path("back")), Bytes(3, 3));
    EXPECT_EQ(errors(), std::vector<std::string>{});

    // The destination fails on the thread that writes the chunks: reported once, as the operation's own.
    fs::create_directories(m_dir / "folder");
    EXPECT_FALSE(run(u"EncryptFile", path("back"), path("folder"), u"pw"));
    write(path("back"), data);
    EXPECT_FALSE(run(u"EncryptFile", path("back"), path("folder"), u"pw"));
    EXPECT_EQ(errors(), (std::vector<std::string>{"RaiseError(75,Path/File access error,Main:EncryptFile)",
                                                  "event Error(75,Path/File access error,Main:EncryptFile)",
                                                  "RaiseError(75,Path/File access error,Main:EncryptFile)",
                                                  "event Error(75,Path/File access error,Main:EncryptFile)"}));
    EXPECT_EQ(entries(), 4u);
}

TEST_F(FileOperations, AWrongPasswordLeavesTheEncryptedFileInPlace) {
    write(path("f"), randomBytes(3000, 5));
    ASSERT_TRUE(run(u"EncryptFile", path("f"), path("f"), u"right"));
    const Bytes encrypted = read(path("f"));
    for (const char16_t* wrong : {u"wrong", u"Right", u"right "}) {
        EXPECT_FALSE(run(u"DecryptFile", path("f"), path("f"), wrong));
        EXPECT_EQ(read(path("f")), encrypted);
    }
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileOperations, FailureTableLeavesTheDestinationAsItWas) {
    const Bytes old = randomBytes(100, 9);
    write(path("empty"), {});
    write(path("data"), randomBytes(64, 3));
    write(path("odd.zqf"), randomBytes(33, 4));
    fs::create_directories(m_dir / "folder");
    write(path("readonly"), old);
    chmod(path("readonly").c_str(), 0444);
    const std::string source = "Error in Rijindael EncryptFile procedure (Source file does not exist).";
    const std::string decryptSource =
        "Error in Rijindael DecryptFile procedure (Source file does not exist).";
    struct Case {
        const char* what;
        const char16_t* operation;
        std::string from, to;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {"missing source",
         u"EncryptFile",
         path("missing"),
         path("dest"),
         {"RaiseError(-2147221504," + source + ",Main:EncryptFile)",
          "event Error(-2147221504," + source + ",Main:EncryptFile)"}},
        {"missing source, decrypt",
         u"DecryptFile",
         path("missing"),
         path("dest"),
         {"RaiseError(-2147221504," + decryptSource + ",Main:DecryptFile)",
          "event Error(-2147221504," + decryptSource + ",Main:DecryptFile)"}},
        {"empty source",
         u"EncryptFile",
         path("empty"),
         path("dest"),
         {"RaiseError(9,Subscript out of range,Main:EncryptFile)",
          "event Error(9,Subscript out of range,Main:EncryptFile)"}},
        {"not whole blocks", u"DecryptFile", path("odd.zqf"), path("dest"), {}},
        {"source is a folder",
         u"EncryptFile",
         path("folder"),
         path("dest"),
         {"RaiseError(75,Path/File access error,Main:EncryptFile)",
          "event Error(75,Path/File access error,Main:EncryptFile)"}},
        {"destination is a folder",
         u"EncryptFile",
         path("data"),
         path("folder"),
         {"RaiseError(75,Path/File access error,Main:EncryptFile)",
          "event Error(75,Path/File access error,Main:EncryptFile)"}},
        {"destination read-only",
         u"EncryptFile",
         path("data"),
         path("readonly"),
         {"RaiseError(75,Path/File access error,Main:EncryptFile)",
          "event Error(75,Path/File access error,Main:EncryptFile)"}},
        {"destination folder missing",
         u"EncryptFile",
         path("data"),
         path("nowhere/dest"),
         {"RaiseError(76,Path not found,Main:EncryptFile)",
          "event Error(76,Path not found,Main:EncryptFile)"}},
    };
    for (const Case& c : cases) {
        m_log.lines.clear();
        write(path("dest"), old);
        EXPECT_FALSE(run(c.operation, c.from, c.to, u"pw")) << c.what;
        EXPECT_EQ(errors(), c.reports) << c.what;
        EXPECT_EQ(read(path("dest")), old) << c.what;
    }
    EXPECT_EQ(read(path("readonly")), old);
    EXPECT_EQ(entries(), 6u);  // nothing but the files made here
}

TEST_F(FileOperations, ADestinationAnotherOpenHoldsIsRefused) {
    write(path("data"), randomBytes(40, 1));
    write(path("dest"), Bytes(5, 5));
    // Opened elsewhere without sharing delete access: the destination cannot be replaced now.
    HANDLE held =
        CreateFileA(path("dest").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(run(u"EncryptFile", path("data"), path("dest"), u"pw"));
    EXPECT_EQ(errors(), (std::vector<std::string>{"RaiseError(70,Permission denied,Main:EncryptFile)",
                                                  "event Error(70,Permission denied,Main:EncryptFile)"}));
    CloseHandle(held);
    EXPECT_EQ(read(path("dest")), Bytes(5, 5));
    EXPECT_TRUE(run(u"EncryptFile", path("data"), path("dest"), u"pw"));
}

TEST_F(FileOperations, FileExistIsWhetherTheLengthCanBeRead) {
    write(path("here"), Bytes(3, 0));
    for (auto [name, expected] : {std::pair{path("here"), true}, std::pair{path("gone"), false},
                                  std::pair{std::string(), false}, std::pair{path("gone/deeper"), false}}) {
        Variant file(fromUtf8(name));
        EXPECT_EQ(call(m_main, u"FileExist", file).toBool(), expected) << name;
    }
}
