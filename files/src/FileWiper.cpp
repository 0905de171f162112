#include "files/FileWiper.h"

#include <chrono>
#include <exception>
#include <optional>
#include <random>

#include "platform/fileinformation.h"
#include "platform/files.h"
#include "runtime/Error.h"

namespace velmora {

HANDLE PlatformWipeIo::open(const std::string& path) {
    // A link is opened as itself: nothing is written through it, and delete-on-close removes the link.
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

DWORD PlatformWipeIo::write(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t count) {
    // A tail longer than a block goes out block by block from the prepared buffer: memory stays bounded
    // whatever the file's size.
    while (count > 0) {
        const DWORD piece = static_cast<DWORD>(count < block.size() ? count : block.size());
        DWORD written = 0;
        if (!WriteFile(file, block.data(), piece, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_DISK_FULL;
        count -= written;
    }
    return ERROR_SUCCESS;
}

DWORD PlatformWipeIo::flush(HANDLE file) {
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

std::uint32_t PlatformWipeIo::names(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(file, &info) ? info.nNumberOfLinks : 1;
}

void PlatformWipeIo::keep(HANDLE file) {
    FILE_DISPOSITION_INFO_EX keepIt{FILE_DISPOSITION_FLAG_DO_NOT_DELETE | FILE_DISPOSITION_FLAG_ON_CLOSE};
    SetFileInformationByHandle(file, FileDispositionInfoEx, &keepIt, sizeof keepIt);
}

void PlatformWipeIo::rewind(HANDLE file) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
}

void PlatformWipeIo::close(HANDLE file) {
    CloseHandle(file);
}

FileWiper::FileWiper(WipeIo& io, Callbacks callbacks) : m_io(io), m_callbacks(std::move(callbacks)) {}

namespace {

// Every step that fails is skipped: an error from a callback (an event handler, window code run by the
// yield) never leaves the wipe.
constexpr char16_t kSource[] = u"FileObject:FileDelete";

// The run-time error a failed write stands for.
std::int32_t runtimeErrorOf(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
            return err::DiskFull;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return err::PermissionDenied;
        default:
            return err::DeviceIOError;
    }
}

// The fixed patterns, prepared once for the process and never written to: a wipe of many small files
// would otherwise fill megabytes of fresh memory per file, which costs more than its writes.
std::span<const std::uint8_t> zeros() {
    static const std::vector<std::uint8_t> block(FileWiper::kBlock, 0x00);
    return block;
}

std::span<const std::uint8_t> ones() {
    static const std::vector<std::uint8_t> block(FileWiper::kBlock, 0xFF);
    return block;
}

template <class F, class... A>
void guarded(const F& callback, A... args) noexcept {
    try {
        if (callback) callback(args...);
    } catch (const std::exception&) {
    }
}

}  // namespace

void FileWiper::progress(std::int16_t percent) {
    guarded(m_callbacks.progress, percent);
}

void FileWiper::yield() {
    guarded(m_callbacks.yield);
}

void FileWiper::wipe(const std::string& path, std::uint64_t length, std::int16_t passes) {
    m_length = length;
    m_blocks = length / kBlock;
    m_counted = 0;
    m_totalBlocks = 3 * m_blocks * static_cast<std::uint64_t>(passes > 0 ? passes : 0);
    const HANDLE file = m_io.open(path);
    if (file == INVALID_HANDLE_VALUE) {
        guarded(m_callbacks.openRefused);
        return;
    }
    // Leaving the call always closes the handle, and with it the file goes.
    struct Closer {
        WipeIo& io;
        HANDLE file;
        ~Closer() { io.close(file); }
    };
    std::optional<Closer> closer;
    closer.emplace(m_io, file);
    if (m_io.names(file) > 1) {
        // Its data stays reachable through a name nobody asked to destroy: neither written nor deleted.
        m_io.keep(file);
        raise(err::PathFileAccessError,
              u"The file has other names (hard links) through which its data stays reachable; it was not "
              u"overwritten",
              kSource);
    }
    std::uint64_t tail = length - m_blocks * kBlock;
    for (std::int16_t pass = 1; pass <= passes && pass > 0; ++pass) {
        yield();
        phase(file, zeros(), tail);
        tail = length;  // from here on every tail is the whole length: the file grows while it is wiped
        phase(file, randomBlock(), tail);
        phase(file, ones(), tail);
        if (length <= kBlock) progress(static_cast<std::int16_t>(pass * 100 / passes));
        yield();
    }
    closer.reset();
    progress(100);
}

std::span<const std::uint8_t> FileWiper::randomBlock() {
    // A file of one block or less is written in one piece of its length; a longer one in whole blocks.
    const std::size_t size = static_cast<std::size_t>(m_length < kBlock ? m_length : kBlock);
    m_random.assign(size > 0 ? size : 1, randomValue());
    return m_random;
}

void FileWiper::phase(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t tail) {
    if (m_length > kBlock) {
        for (std::uint64_t i = 0; i < m_blocks; ++i) {
            yield();
            check(file, m_io.write(file, block, kBlock));
            ++m_counted;
            progress(static_cast<std::int16_t>(m_counted * 100 / m_totalBlocks));
            yield();
        }
    }
    if (tail > 0) check(file, m_io.write(file, block, tail));
    // A file with no data (a link's own handle among them) has nothing to flush.
    const DWORD flushed = m_io.flush(file);
    if (m_length > 0) check(file, flushed);
    m_io.rewind(file);
}

void FileWiper::check(HANDLE file, DWORD error) {
    if (error == ERROR_SUCCESS) return;
    m_io.keep(file);
    raise(runtimeErrorOf(error), kSource);
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
