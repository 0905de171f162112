// A compiled HTML help file (.chm), read through chmlib: its files, the system record (title, default
// topic, contents and index files), the site maps of the contents and the keyword index, the numeric
// context identifiers of its map, associative-link names declared in its pages, and a text search.
// Damaged input is refused or yields less, never more: open gives nothing for a file that is not a
// readable help file, a file larger than kMaxObject reads as missing, and site maps are read with bounded
// depth and size whatever their markup.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace velmora {

class ChmFile {
  public:
    static constexpr std::uint64_t kMaxObject = 64u << 20;
    static constexpr int kMaxSiteMapDepth = 32;
    static constexpr std::size_t kMaxSiteMapEntries = 100000;

    // One entry of a site map: its name, its topic (a path inside the file, "" for a heading), and its
    // nesting level (0 at the top).
    struct SiteMapEntry {
        std::string name;
        std::string local;
        int level = 0;
    };
    struct Hit {
        std::string title;
        std::string local;
    };

    // nullptr when the file is missing, not a help file, or damaged beyond reading.
    static std::unique_ptr<ChmFile> open(const std::string& nativePath);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The content of an object ("/welcome.htm" or "welcome.htm"; an anchor "#..." is ignored).
    std::optional<std::string> read(std::string_view path) const;
    bool contains(std::string_view path) const;
    // Paths of the ordinary files (no "#" or "$" system objects), sorted.
    std::vector<std::string> files() const;

    const std::string& title() const noexcept { return m_title; }
    // Topic paths as stored ("welcome.htm"); empty when the file names none.
    const std::string& defaultTopic() const noexcept { return m_defaultTopic; }
    const std::string& contentsFile() const noexcept { return m_contentsFile; }
    const std::string& indexFile() const noexcept { return m_indexFile; }

    std::vector<SiteMapEntry> contents() const;
    std::vector<SiteMapEntry> index() const;
    // The topic a context identifier is mapped to, or nothing.
    std::optional<std::string> topicOfContext(std::uint32_t id) const;
    const std::map<std::uint32_t, std::string>& contextMap() const noexcept { return m_contexts; }
    // Topics for a keyword of the index, or an associative link named in the pages (case-blind).
    std::vector<Hit> keywordTopics(std::string_view keyword) const;
    std::vector<Hit> alinkTopics(std::string_view name) const;
    // Topics whose text contains every word of the query (case-blind), in file order.
    std::vector<Hit> search(std::string_view query) const;
    // The <title> of a page, or its path.
    std::string topicTitle(std::string_view path) const;

  private:
    explicit ChmFile(::chmFile* handle);
    void readSystem();
    void readContexts();
    std::string archiveTopic(const std::string& stored) const;

    ::chmFile* m_handle;
    std::string m_title;
    std::string m_defaultTopic;
    std::string m_contentsFile;
    std::string m_indexFile;
    std::map<std::uint32_t, std::string> m_contexts;
};

// Parses site-map markup (.hhc / .hhk): OBJECT elements of type "text/sitemap" with their "Name" and
// "Local" parameters, nested by UL elements. Exposed for the fuzz target.
std::vector<ChmFile::SiteMapEntry> parseSiteMap(std::string_view markup);

}  // namespace velmora
