#include "ChmDirectory.h"

#include <strings.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr std::uint64_t kItspLength = 0x54;
constexpr std::uint64_t kPmglHeader = 0x14;
constexpr std::uint64_t kPmgiHeader = 0x08;
constexpr std::uint64_t kMaxPath = 512;  // chmlib's CHM_MAX_PATHLEN
constexpr std::uint64_t kMaxDirectory = 64u << 20;
constexpr std::uint64_t kMinBlock = 0x100;
constexpr std::uint64_t kMaxBlock = 0x10000;
constexpr std::uint64_t kMaxControlData = 0x100;  // larger records make chmlib give up on the file
constexpr std::uint64_t kMinControlData = 0x18;   // shorter ones it would not read, yet use
constexpr std::uint32_t kCompressedSpace = 1;
constexpr std::uint64_t kResetTableLength = 0x28;
constexpr std::uint64_t kMaxCompressedBlock = 1u << 20;
constexpr char kResetTable[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
constexpr char kContent[] = "::DataSpace/Storage/MSCompressed/Content";
constexpr char kControlData[] = "::DataSpace/Storage/MSCompressed/ControlData";

std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint64_t le64(std::string_view b, std::size_t at) {
    return le32(b, at) | std::uint64_t{le32(b, at + 4)} << 32;
}

// Reads a page's entries within [at, end), failing instead of leaving the page.
class EntryReader {
  public:
    EntryReader(std::string_view page, std::size_t at, std::size_t end)
        : m_page(page), m_at(at), m_end(end) {}
    bool more() const { return m_ok && m_at < m_end; }
    bool ok() const { return m_ok; }
    // chmlib's variable-length number: seven bits a byte, high bit set on all but the last.
    std::uint64_t number() {
        std::uint64_t value = 0;
        for (int i = 0; i < 9 && m_at < m_page.size(); ++i) {
            const auto byte = static_cast<unsigned char>(m_page[m_at++]);
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80)) return value;
        }
        m_ok = false;
        return 0;
    }
    std::string name() {
        const std::uint64_t length = number();
        if (!m_ok || length > kMaxPath || length > m_page.size() - m_at) {
            m_ok = false;
            return {};
        }
        std::string text(m_page.substr(m_at, length));
        m_at += length;
        return text;
    }

  private:
    std::string_view m_page;
    std::size_t m_at;
    std::size_t m_end;
    bool m_ok = true;
};

struct Unit {
    std::uint64_t space = 0;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

class Directory {
  public:
    Directory(std::string bytes, std::uint64_t blockLength, std::int64_t root, std::int64_t head)
        : m_bytes(std::move(bytes)),
          m_block(blockLength),
          m_pages(m_bytes.size() / blockLength),
          m_root(root),
          m_head(head) {}

    bool sound() {
        if (m_root < -1 || m_root >= static_cast<std::int64_t>(m_pages)) return false;
        if (m_head < -1 || m_head >= static_cast<std::int64_t>(m_pages)) return false;
        std::vector<bool> onPath(m_pages, false);
        std::vector<bool> checked(m_pages, false);
        return (m_root < 0 || branchSound(m_root, onPath, checked, 0)) && listingSound();
    }

    // The lookup chmlib makes, on pages known to be sound.
    std::optional<Unit> resolve(const char* path) const {
        std::int64_t page = m_root;
        for (std::size_t steps = 0; page != -1 && steps <= m_pages; ++steps) {
            const std::string_view bytes = pageAt(page);
            if (bytes.starts_with("PMGL")) return inLeaf(bytes, path);
            if (!bytes.starts_with("PMGI")) return std::nullopt;
            page = inBranch(bytes, path);
        }
        return std::nullopt;
    }

  private:
    std::string_view pageAt(std::int64_t page) const {
        return std::string_view(m_bytes).substr(static_cast<std::size_t>(page) * m_block, m_block);
    }
    std::size_t entriesEnd(std::string_view bytes, std::uint64_t header) const {
        const std::uint32_t freeSpace = le32(bytes, 4);
        return freeSpace > m_block - header ? 0 : static_cast<std::size_t>(m_block - freeSpace);
    }

    bool leafSound(std::string_view bytes) const {
        if (le32(bytes, 4) > m_block - kPmglHeader) return false;
        EntryReader entries(bytes, kPmglHeader, entriesEnd(bytes, kPmglHeader));
        while (entries.more()) {
            entries.name();
            for (int i = 0; i < 3; ++i) entries.number();
        }
        return entries.ok();
    }

    // A branch page and everything below it; a page met again on the way down would loop for ever.
    bool branchSound(std::int64_t page, std::vector<bool>& onPath, std::vector<bool>& checked, int depth) {
        if (page < 0 || page >= static_cast<std::int64_t>(m_pages) || onPath[page] || depth > 64)
            return false;
        if (checked[page]) return true;
        const std::string_view bytes = pageAt(page);
        bool sound = true;
        if (bytes.starts_with("PMGL")) {
            sound = leafSound(bytes);
        } else if (bytes.starts_with("PMGI")) {
            if (le32(bytes, 4) > m_block - kPmgiHeader) return false;
            onPath[page] = true;
            EntryReader entries(bytes, kPmgiHeader, entriesEnd(bytes, kPmgiHeader));
            while (sound && entries.more()) {
                entries.name();
                const std::uint64_t child = entries.number();
                sound = entries.ok() && child < m_pages &&
                        branchSound(static_cast<std::int64_t>(child), onPath, checked, depth + 1);
            }
            sound = sound && entries.ok();
            onPath[page] = false;
        }
        checked[page] = true;
        return sound;
    }

    // The listing follows the leaves from the head by their next-page numbers.
    bool listingSound() const {
        std::vector<bool> seen(m_pages, false);
        for (std::int64_t page = m_head; page != -1;) {
            if (page < 0 || page >= static_cast<std::int64_t>(m_pages) || seen[page]) return false;
            seen[page] = true;
            const std::string_view bytes = pageAt(page);
            if (!bytes.starts_with("PMGL")) return false;
            if (!leafSound(bytes)) return false;
            page = static_cast<std::int32_t>(le32(bytes, 0x10));
        }
        return true;
    }

    std::optional<Unit> inLeaf(std::string_view bytes, const char* path) const {
        EntryReader entries(bytes, kPmglHeader, entriesEnd(bytes, kPmglHeader));
        while (entries.more()) {
            const std::string name = entries.name();
            Unit unit{entries.number(), entries.number(), entries.number()};
            if (entries.ok() && strcasecmp(name.c_str(), path) == 0) return unit;
        }
        return std::nullopt;
    }

    std::int64_t inBranch(std::string_view bytes, const char* path) const {
        EntryReader entries(bytes, kPmgiHeader, entriesEnd(bytes, kPmgiHeader));
        std::int64_t page = -1;
        while (entries.more()) {
            const std::string name = entries.name();
            if (strcasecmp(name.c_str(), path) > 0) return page;
            page = static_cast<std::int64_t>(entries.number());
        }
        return page;
    }

    std::string m_bytes;
    std::uint64_t m_block;
    std::uint64_t m_pages;
    std::int64_t m_root;
    std::int64_t m_head;
};

}  // namespace

bool soundChmDirectory(ChmBytes& file) {
    const std::string_view header = file.bytesAt(0, 0x60);
    if (header.size() < 0x58 || !header.starts_with("ITSF")) return false;
    const std::uint32_t version = le32(header, 4);
    const std::uint32_t headerLength = le32(header, 8);
    if (!((version == 2 && headerLength == 0x58) ||
          (version == 3 && headerLength == 0x60 && header.size() == 0x60)))
        return false;
    const std::uint64_t size = file.size();
    const std::uint64_t dirOffset = le64(header, 0x48);
    const std::uint64_t dirLength = le64(header, 0x50);
    if (dirOffset > size || dirLength > size - dirOffset || dirLength > kMaxDirectory ||
        dirLength < kItspLength)
        return false;
    const std::uint64_t dataOffset = version == 3 ? le64(header, 0x58) : dirOffset + dirLength;
    if (dataOffset > size) return false;

    const std::string_view itsp = file.bytesAt(dirOffset, kItspLength);
    if (itsp.size() != kItspLength || !itsp.starts_with("ITSP") || le32(itsp, 4) != 1 ||
        le32(itsp, 8) != kItspLength)
        return false;
    const std::uint64_t block = le32(itsp, 0x10);
    if (block < kMinBlock || block > kMaxBlock || dirLength - kItspLength < block) return false;
    std::int64_t root = static_cast<std::int32_t>(le32(itsp, 0x1C));
    const std::int64_t head = static_cast<std::int32_t>(le32(itsp, 0x20));
    if (root <= -1) root = head;
    Directory directory(std::string(file.bytesAt(dirOffset + kItspLength, dirLength - kItspLength)), block,
                        root, head);
    if (!directory.sound()) return false;

    // Opening reads the compression record whenever these are found uncompressed, and divides by the
    // window it states even where the record is short or unreadable.
    const auto reset = directory.resolve(kResetTable);
    const auto content = directory.resolve(kContent);
    const auto control = directory.resolve(kControlData);
    if (!reset || !content || !control || reset->space == kCompressedSpace ||
        content->space == kCompressedSpace || control->space == kCompressedSpace)
        return true;
    // Any other space counts as compressed when read, before the compression is set up.
    if (reset->space != 0 || control->space != 0) return false;
    if (control->length > kMaxControlData) return true;  // chmlib refuses the file itself
    if (control->length < kMinControlData || control->start > size - dataOffset) return false;
    const std::string_view record = file.bytesAt(dataOffset + control->start, control->length);
    if (record.size() != control->length) return false;
    // chmlib's arithmetic is 32-bit; version 2 counts in units of 0x8000.
    std::uint32_t resetInterval = le32(record, 0x0C);
    std::uint32_t window = le32(record, 0x10);
    const std::uint32_t windowsPerReset = le32(record, 0x14);
    if (le32(record, 8) == 2) {
        resetInterval <<= 15;
        window <<= 15;
    }
    if (window < 2) return false;
    const bool compressed =
        resetInterval != 0 && resetInterval % (window / 2) == 0 && record.substr(4, 4) == "LZXC";
    if (!compressed) return true;  // chmlib reads only the uncompressed part then
    // Compressed reads divide by the blocks per reset and the block length, and allocate a block.
    if (static_cast<std::uint32_t>(resetInterval / (window / 2) * windowsPerReset) == 0) return false;
    if (reset->start > size - dataOffset) return true;
    const std::string_view table = file.bytesAt(dataOffset + reset->start, kResetTableLength);
    if (table.size() != kResetTableLength || le32(table, 0) != 2) return true;
    const std::uint64_t blockLength = le64(table, 0x20);
    return blockLength != 0 && blockLength <= kMaxCompressedBlock;
}

}  // namespace velmora
