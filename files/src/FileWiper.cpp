#include "files/FileWiper.h"

#include <chrono>
#include <random>

#include "platform/files.h"

namespace velmora {

HANDLE PlatformWipeIo::open(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE,
                       nullptr);
}

void PlatformWipeIo::write(HANDLE file, const std::vector<std::uint8_t>& block, std::uint64_t count) {
    // A tail longer than a block goes out block by block from the prepared buffer: memory stays bounded
    // whatever the file's size.
    while (count > 0) {
        const DWORD piece = static_cast<DWORD>(count < block.size() ? count : block.size());
        DWORD written = 0;
        if (!WriteFile(file, block.data(), piece, &written, nullptr) || written == 0) return;
        count -= written;
    }
}

void PlatformWipeIo::flush(HANDLE file) {
    FlushFileBuffers(file);
}

void PlatformWipeIo::rewind(HANDLE file) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
}

void PlatformWipeIo::close(HANDLE file) {
    CloseHandle(file);
}

FileWiper::FileWiper(WipeIo& io, Callbacks callbacks) : m_io(io), m_callbacks(std::move(callbacks)) {}

void FileWiper::wipe(const std::string& path, std::uint64_t length, std::int16_t passes) {
    const std::vector<std::uint8_t> zeros(kBlock, 0x00);
    const std::vector<std::uint8_t> ones(kBlock, 0xFF);
    m_length = length;
    m_blocks = length / kBlock;
    m_counted = 0;
    m_totalBlocks = 3 * m_blocks * static_cast<std::uint64_t>(passes > 0 ? passes : 0);
    const HANDLE file = m_io.open(path);
    if (file == INVALID_HANDLE_VALUE) {
        m_callbacks.openRefused();
        return;
    }
    std::uint64_t tail = length - m_blocks * kBlock;
    for (std::int16_t pass = 1; pass <= passes && pass > 0; ++pass) {
        m_callbacks.yield();
        phase(file, zeros, tail);
        tail = length;  // from here on every tail is the whole length: the file grows while it is wiped
        phase(file, std::vector<std::uint8_t>(kBlock, randomValue()), tail);
        phase(file, ones, tail);
        if (length <= kBlock) m_callbacks.progress(static_cast<std::int16_t>(pass * 100 / passes));
        m_callbacks.yield();
    }
    m_io.close(file);
    m_callbacks.progress(100);
}

void FileWiper::phase(HANDLE file, const std::vector<std::uint8_t>& block, std::uint64_t tail) {
    if (m_length > kBlock) {
        for (std::uint64_t i = 0; i < m_blocks; ++i) {
            m_callbacks.yield();
            m_io.write(file, block, kBlock);
            ++m_counted;
            m_callbacks.progress(static_cast<std::int16_t>(m_counted * 100 / m_totalBlocks));
            m_callbacks.yield();
        }
    }
    if (tail > 0) m_io.write(file, block, tail);
    m_io.flush(file);
    m_io.rewind(file);
}

std::uint8_t FileWiper::randomValue() const {
    // Seeded from the clock for every random phase; only the range and one value per phase matter.
    std::mt19937 generator(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const double r = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    const int value = static_cast<int>(r * 255) + 1;
    return static_cast<std::uint8_t>(value > 255 ? 255 : value);  // r may round up to 1.0
}

}  // namespace velmora
