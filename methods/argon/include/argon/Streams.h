// Where a method's chunks come from and go to, and who hears of their progress: memory for the byte and
// string operations, files for the file operations (FileSource, FileSink). Failures raise run-time errors.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora::argonbox {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Fills buffer from the current position; fewer bytes only at the end.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // The whole length, as known when the source was opened (for progress only).
    virtual std::uint64_t size() const = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
};

// Told after the key is derived (done 0) and after every chunk: bytes done of the total, counted in the
// plain bytes when sealing and in the chunk bytes when opening.
class ChunkObserver {
  public:
    virtual ~ChunkObserver() = default;
    virtual void progressed(std::uint64_t done, std::uint64_t total) = 0;
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) noexcept : m_bytes(bytes) {}
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t count = std::min(buffer.size(), m_bytes.size() - m_position);
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position), count, buffer.begin());
        m_position += count;
        return count;
    }
    std::uint64_t size() const override { return m_bytes.size(); }

  private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

class MemorySink final : public ByteSink {
  public:
    explicit MemorySink(std::vector<std::uint8_t>& target) noexcept : m_target(target) {}
    void write(std::span<const std::uint8_t> bytes) override {
        m_target.insert(m_target.end(), bytes.begin(), bytes.end());
    }

  private:
    std::vector<std::uint8_t>& m_target;
};

}  // namespace velmora::argonbox
