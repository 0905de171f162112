// Fuzz target for the help-file reader: any bytes, opened as a .chm, either open to nothing or read within
// bounds, through every question the help viewer asks of a file; the same bytes as site-map markup parse
// within the reader's limits. Built for libFuzzer with VELMORA_FUZZ=ON (clang); otherwise as a replay
// driver that the tests run over the damaged and truncated files of corpus/.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/ChmFile.h"

namespace {

// chmlib reads from a path: the input goes into an anonymous in-memory file, named through /proc.
class MemoryFile {
  public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_fd(memfd_create("chm_fuzz", 0)) {
        if (m_fd < 0) std::abort();
        for (std::size_t done = 0; done < size;) {
            const ssize_t wrote = write(m_fd, data + done, size - done);
            if (wrote <= 0) std::abort();
            done += static_cast<std::size_t>(wrote);
        }
    }
    ~MemoryFile() { close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

  private:
    int m_fd;
};

void check(bool holds) {
    if (!holds) std::abort();
}

void readEverything(const velmora::ChmFile& file) {
    std::size_t read = 0;
    for (const std::string& path : file.files()) {
        if (const auto content = file.read(path)) {
            check(content->size() <= velmora::ChmFile::kMaxObject);
            read += content->size();
        }
        if (read > (4u << 20)) break;  // enough for one input
        file.topicTitle(path);
    }
    for (const auto& map : {file.contents(), file.index()}) {
        check(map.size() <= velmora::ChmFile::kMaxSiteMapEntries);
        for (const auto& entry : map)
            check(entry.level >= 0 && entry.level <= velmora::ChmFile::kMaxSiteMapDepth);
    }
    for (const auto& [id, topic] : file.contextMap()) check(file.topicOfContext(id) == topic);
    file.topicOfContext(0);
    file.read(file.defaultTopic());
    file.keywordTopics("password");
    file.alinkTopics("erase");
    file.search("the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    for (const auto& entry : velmora::parseSiteMap(markup))
        check(entry.level >= 0 && entry.level <= velmora::ChmFile::kMaxSiteMapDepth);
    const MemoryFile input(data, size);
    if (const auto file = velmora::ChmFile::open(input.path())) readEverything(*file);
    return 0;
}
