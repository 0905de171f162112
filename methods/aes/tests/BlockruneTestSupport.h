// Shared pieces of the plug-in's tests: the real library registered and created by programmatic id, a
// recording handler, libmcrypt as an independent implementation of the cipher, and fixed-seed data.
#pragma once

#include <gtest/gtest.h>
#include <mcrypt.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "component/CallbackSink.h"
#include "component/CreateObject.h"
#include "component/EventSource.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "runtime/Variant.h"
#include "runtime/text.h"

namespace velmora::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes randomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

inline Bytes hexBytes(std::string_view hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

// The key the suite's format derives from a password: UTF-16 code units, low byte first, 32 bytes.
inline Bytes passwordKey(std::u16string_view password) {
    Bytes key(32, 0);
    for (std::size_t i = 0; i < password.size() && i < 16; ++i) {
        key[2 * i] = password[i] & 0xFF;
        key[2 * i + 1] = password[i] >> 8;
    }
    return key;
}

// The plain frame: signed 32-bit little-endian length, the data, zero padding to 32 bytes.
inline Bytes plainFrame(const Bytes& data, std::int32_t declaredLength) {
    Bytes frame(4 + data.size(), 0);
    for (int r = 0; r < 4; ++r) frame[r] = static_cast<std::uint32_t>(declaredLength) >> (8 * r);
    std::copy(data.begin(), data.end(), frame.begin() + 4);
    frame.resize((frame.size() + 31) / 32 * 32, 0);
    return frame;
}

// libmcrypt's rijndael-256 in ECB mode: Rijndael with 256-bit blocks and keys, written independently.
class McryptOracle {
  public:
    explicit McryptOracle(const Bytes& key) {
        m_module =
            mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr, const_cast<char*>("ecb"), nullptr);
        EXPECT_TRUE(m_module != MCRYPT_FAILED);
        Bytes copy = key;
        EXPECT_EQ(mcrypt_generic_init(m_module, copy.data(), static_cast<int>(copy.size()), nullptr), 0);
    }
    ~McryptOracle() {
        mcrypt_generic_deinit(m_module);
        mcrypt_module_close(m_module);
    }
    Bytes encrypt(Bytes data) {
        mcrypt_generic(m_module, data.data(), static_cast<int>(data.size()));
        return data;
    }
    Bytes decrypt(Bytes data) {
        mdecrypt_generic(m_module, data.data(), static_cast<int>(data.size()));
        return data;
    }

  private:
    MCRYPT m_module;
};

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
};

inline Variant bytesVariant(const Bytes& bytes) {
    return Variant(bytes);
}

// Registers the real plug-in library for the test and creates its Main objects by programmatic id.
class PlugIn : public ::testing::Test {
  protected:
    void SetUp() override {
        m_library = LoadLibraryA(VELMORA_BLOCKRUNE_PATH);
        ASSERT_TRUE(m_library);
        auto reg = reinterpret_cast<HRESULT (*)()>(GetProcAddress(m_library, "DllRegisterServer"));
        ASSERT_TRUE(reg);
        ASSERT_EQ(reg(), hr::Ok);
        m_main = CreateObject(u"Blockrune.Main");
        ASSERT_TRUE(m_main);
        connectEvents(m_main, m_log.sink("event "));
    }
    void TearDown() override {
        m_main.reset();
        if (m_library) FreeLibrary(m_library);
    }

    HMODULE m_library = nullptr;
    ObjectRef m_main;
    Recording m_log;  // handler calls (pass m_log.sink()) and the object's events ("event ..."), in order
};

}  // namespace velmora::testing
