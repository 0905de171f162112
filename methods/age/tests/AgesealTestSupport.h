// Shared pieces of the plug-in's tests: a Main with a cheap work factor called by name as the engine calls
// it, a recording handler, real files in a folder of the test's own, fixed-seed data, and Debian's age run
// as a user runs it, the passphrase typed at its prompts on a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Main.h"
#include "argon/MethodErrors.h"
#include "component/CallbackSink.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "runtime/Variant.h"
#include "runtime/text.h"

namespace velmora::ageseal::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
namespace methodError = argonbox::methodError;

// Cheap enough for every test; any reader takes it (the format only bounds the factor from above).
constexpr int kQuickFactor = 10;
constexpr std::size_t kChunk = 64 * 1024;

inline Bytes randomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

inline Bytes readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes bytesOfText(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// The header's text (through the MAC line) and where the payload starts.
inline std::size_t headerLength(const Bytes& file) {
    const std::string text(file.begin(), file.end());
    return text.find('\n', text.find("\n---") + 1) + 1;
}

// File length for n plain bytes behind a header of h bytes: nonce, bytes, a tag per chunk (one at least).
inline std::size_t sealedLength(std::size_t n, std::size_t h) {
    return h + 16 + n + 16 * std::max<std::size_t>(1, (n + kChunk - 1) / kChunk);
}

// Runs age with the arguments, typing passphrase at each of its prompts; its exit status.
inline int runAge(const std::vector<std::string>& args, const std::string& passphrase) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>("age")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp("age", argv.data());
        _exit(127);
    }
    std::string seen;
    char buffer[1024];
    for (;;) {
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0) break;  // the child closed the terminal
        seen.append(buffer, static_cast<std::size_t>(got));
        // Every prompt ("Enter passphrase...", "Confirm passphrase:") ends with a colon.
        for (std::size_t at; (at = seen.find("passphrase")) != std::string::npos &&
                             seen.find(':', at) != std::string::npos;) {
            const std::string line = passphrase + "\n";
            if (write(terminal, line.data(), line.size()) < 0) break;
            seen.erase(0, seen.find(':', at) + 1);
        }
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every call the plug-in makes on its handler and every event it raises, as text lines.
struct Recording {
    std::vector<std::string> lines;

    ObjectRef sink(std::string prefix = {}) {
        return makeObject<CallbackSink>([this, prefix](std::u16string_view name, std::span<Variant> args) {
            std::string line = prefix + toUtf8(name) + "(";
            for (std::size_t i = 0; i < args.size(); ++i)
                line += (i ? "," : "") +
                        (args[i].isString() ? toUtf8(args[i].stringRef()) : std::to_string(args[i].toLong()));
            lines.push_back(line + ")");
        });
    }
    std::vector<std::string> without(std::string_view word) const {
        std::vector<std::string> out;
        for (const std::string& line : lines)
            if (line.find(word) == std::string::npos) out.push_back(line);
        return out;
    }
};

// The error lines one failed operation reports: the handler's, then the event's.
inline std::vector<std::string> reported(std::int32_t number, const std::string& text,
                                         const std::string& operation) {
    const std::string values = std::to_string(number) + "," + text + ",Main:" + operation + ")";
    return {"RaiseError(" + values, "event Error(" + values};
}

// Argonbox's texts, which this method shares.
const std::string kDamaged = "The password is wrong or the file is damaged.";
const std::string kForeign = "This file was not encrypted with this method.";
const std::string kUnsupported =
    "The file's encryption parameters are outside the limits this method accepts.";

inline std::string textOf(std::int32_t number) {
    return number == methodError::NotThisMethod           ? kForeign
           : number == methodError::UnsupportedParameters ? kUnsupported
                                                          : kDamaged;
}

// A Main of kQuickFactor in a folder of the test's own, called by name with the recording sink as handler.
class Ageseal : public ::testing::Test {
  protected:
    void SetUp() override {
        m_main = makeMain(kQuickFactor);
        m_dir =
            fs::path(std::getenv("TMPDIR")) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    ObjectRef makeMain(int workFactor) {
        ObjectRef main(makeObject<Main>(workFactor));
        connectEvents(main, m_log.sink("event "));
        return main;
    }
    Variant encryptByte(const Bytes& data, std::u16string key = u"pw") {
        return byteCall(u"EncryptByte", data, key);
    }
    Variant decryptByte(const Bytes& data, std::u16string key = u"pw") {
        return byteCall(u"DecryptByte", data, key);
    }
    std::u16string stringCall(const char16_t* operation, std::u16string text, std::u16string key = u"pw") {
        Variant t(std::move(text)), k(std::move(key)), h(m_log.sink());
        return call(m_main, operation, t, k, h).toString();
    }
    bool fileCall(const char16_t* operation, const fs::path& source, const fs::path& dest,
                  std::u16string key = u"pw") {
        return fileCallOn(m_main, operation, source, dest, std::move(key));
    }
    bool fileCallOn(const ObjectRef& main, const char16_t* operation, const fs::path& source,
                    const fs::path& dest, std::u16string key = u"pw") {
        Variant s(fromUtf8(source.string())), d(fromUtf8(dest.string())), k(std::move(key)), h(m_log.sink());
        return call(main, operation, s, d, k, h).toBool();
    }
    static Bytes bytesOf(const Variant& v) { return v.isAllocatedArray() ? v.arrayRef().bytes() : Bytes{}; }
    Bytes sealed(const Bytes& data, std::u16string key = u"pw") { return bytesOf(encryptByte(data, key)); }
    std::size_t entries() const {
        return std::distance(fs::directory_iterator(m_dir), fs::directory_iterator());
    }
    std::vector<std::string> errors() const { return m_log.without("Progress"); }

    ObjectRef m_main;
    Recording m_log;
    fs::path m_dir;

  private:
    Variant byteCall(const char16_t* operation, const Bytes& data, std::u16string key) {
        Variant in(data), k(std::move(key)), h(m_log.sink());
        return call(m_main, operation, in, k, h);
    }
};

}  // namespace velmora::ageseal::testing
