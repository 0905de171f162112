// Shared pieces of the plug-in's tests: a Main with a cheap key derivation called by name as the engine
// calls it, a recording handler, real files in a folder of the test's own, and fixed-seed data.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ContainerHeader.h"
#include "Main.h"
#include "component/CallbackSink.h"
#include "component/EventSource.h"
#include "component/calls.h"
#include "runtime/Variant.h"
#include "runtime/text.h"

namespace velmora::argonbox::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The cheapest key derivation the format accepts and the smallest chunk, so that a few KiB make
// several chunks: what the plug-in writes is checked once, against the engine.
constexpr Parameters kQuick{1, 8 * 1024, 1024};
constexpr std::size_t kChunk = kQuick.chunkBytes;

inline Bytes randomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

inline Bytes hexBytes(std::string_view hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

inline std::uint32_t le32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Container length for n plain bytes: header, n bytes, 17 bytes for each chunk including the last.
inline std::size_t sealedLength(std::size_t n, std::size_t chunk = kChunk) {
    return 64 + n + (n / chunk + 1) * 17;
}

inline Bytes readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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

const std::string kDamaged = "The password is wrong or the file is damaged.";
const std::string kForeign = "This file was not encrypted with this method.";
const std::string kUnsupported =
    "The file's encryption parameters are outside the limits this method accepts.";

// A Main of kQuick in a folder of the test's own, called by name with the recording sink as handler.
class Argonbox : public ::testing::Test {
  protected:
    void SetUp() override {
        m_main = ObjectRef(makeObject<Main>(kQuick));
        connectEvents(m_main, m_log.sink("event "));
        m_dir =
            fs::path(std::getenv("TMPDIR")) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
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
        Variant s(fromUtf8(source.string())), d(fromUtf8(dest.string())), k(std::move(key)), h(m_log.sink());
        return call(m_main, operation, s, d, k, h).toBool();
    }
    static Bytes bytesOf(const Variant& v) { return v.isAllocatedArray() ? v.arrayRef().bytes() : Bytes{}; }
    Bytes sealed(const Bytes& data) { return bytesOf(encryptByte(data)); }
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

}  // namespace velmora::argonbox::testing
