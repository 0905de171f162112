#include "ui/ChmFile.h"

#include "ChmDirectory.h"

#include <chm_lib.h>

#include <deque>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace velmora {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// The archive path of a topic: rooted, without an anchor ("#" opens the names of system objects, so only
// a "#" inside a name starts one).
std::string objectPath(std::string_view path) {
    for (std::size_t at = path.find('#'); at != std::string_view::npos; at = path.find('#', at + 1)) {
        if (at > 0 && path[at - 1] != '/') {
            path = path.substr(0, at);
            break;
        }
    }
    std::string out = path.starts_with('/') ? std::string(path) : "/" + std::string(path);
    return out;
}

std::uint32_t le32(const std::string& data, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 3])) << 24;
}

std::uint16_t le16(const std::string& data, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      static_cast<unsigned char>(data[at + 1]) << 8);
}

std::string cString(std::string_view data) {
    return std::string(data.substr(0, data.find('\0')));
}

// The header checks chmlib leaves out: the signature and a directory inside the file.
// The file as the directory check reads it; each part read stays valid while the object lives.
class FileBytes final : public ChmBytes {
  public:
    explicit FileBytes(const std::string& nativePath) : m_in(nativePath, std::ios::binary | std::ios::ate) {
        if (m_in) m_size = static_cast<std::uint64_t>(m_in.tellg());
    }
    std::string_view bytesAt(std::uint64_t offset, std::uint64_t length) override {
        if (!m_in || offset >= m_size) return {};
        std::string& part =
            m_parts.emplace_back(static_cast<std::size_t>(std::min(length, m_size - offset)), '\0');
        m_in.seekg(static_cast<std::streamoff>(offset));
        if (!m_in.read(part.data(), static_cast<std::streamsize>(part.size()))) {
            m_in.clear();
            part.clear();
        }
        return part;
    }
    std::uint64_t size() const override { return m_size; }

  private:
    std::ifstream m_in;
    std::uint64_t m_size = 0;
    std::deque<std::string> m_parts;
};

// Decodes the character references that site maps use.
std::string decodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos || end - i > 10) {
            out += '&';
            continue;
        }
        const std::string name = lower(text.substr(i + 1, end - i - 1));
        if (name == "amp")
            out += '&';
        else if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            unsigned long code = 0;
            try {
                code = name[1] == 'x' ? std::stoul(name.substr(2), nullptr, 16) : std::stoul(name.substr(1));
            } catch (...) {
                code = '?';
            }
            if (code < 0x80)
                out += static_cast<char>(code ? code : '?');
            else if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else if (code < 0x10000) {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                out += '?';
            }
        } else {
            out += text.substr(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

// The value of an attribute inside one tag's text, or nothing.
std::optional<std::string> attribute(std::string_view tag, std::string_view name) {
    const std::string lowered = lower(tag);
    std::size_t at = 0;
    while ((at = lowered.find(name, at)) != std::string::npos) {
        const bool startsWord = at > 0 && std::isspace(static_cast<unsigned char>(lowered[at - 1]));
        std::size_t i = at + name.size();
        at = i;
        if (!startsWord) continue;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i]))) ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i]))) ++i;
        if (i >= tag.size()) return std::string();
        if (tag[i] == '"' || tag[i] == '\'') {
            const char quote = tag[i];
            const std::size_t end = tag.find(quote, i + 1);
            return decodeEntities(
                tag.substr(i + 1, (end == std::string_view::npos ? tag.size() : end) - i - 1));
        }
        std::size_t end = i;
        while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) && tag[end] != '>')
            ++end;
        return decodeEntities(tag.substr(i, end - i));
    }
    return std::nullopt;
}

std::string stripTags(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    bool inTag = false;
    for (char c : html) {
        if (c == '<')
            inTag = true;
        else if (c == '>') {
            inTag = false;
            out += ' ';
        } else if (!inTag)
            out += c;
    }
    return decodeEntities(out);
}

}  // namespace

std::vector<ChmFile::SiteMapEntry> parseSiteMap(std::string_view markup) {
    std::vector<ChmFile::SiteMapEntry> entries;
    int depth = -1;
    bool inObject = false;
    ChmFile::SiteMapEntry current;
    std::size_t i = 0;
    while (i < markup.size() && entries.size() < ChmFile::kMaxSiteMapEntries) {
        const std::size_t open = markup.find('<', i);
        if (open == std::string_view::npos) break;
        const std::size_t close = markup.find('>', open);
        const std::string_view tag =
            markup.substr(open + 1, (close == std::string_view::npos ? markup.size() : close) - open - 1);
        i = close == std::string_view::npos ? markup.size() : close + 1;
        std::size_t nameEnd = 0;
        while (nameEnd < tag.size() && !std::isspace(static_cast<unsigned char>(tag[nameEnd])) &&
               tag[nameEnd] != '/')
            ++nameEnd;
        if (nameEnd == 0 && tag.size() > 1 && tag[0] == '/') {
            nameEnd = 1;
            while (nameEnd < tag.size() && !std::isspace(static_cast<unsigned char>(tag[nameEnd]))) ++nameEnd;
        }
        const std::string name = lower(tag.substr(0, nameEnd));
        if (name == "ul") {
            depth = std::min(depth + 1, ChmFile::kMaxSiteMapDepth);
        } else if (name == "/ul") {
            depth = std::max(depth - 1, -1);
        } else if (name == "object") {
            const auto type = attribute(tag, "type");
            inObject = type && lower(*type) == "text/sitemap";
            current = {};
            current.level = std::max(depth, 0);
        } else if (name == "param" && inObject) {
            const auto param = attribute(tag, "name");
            const auto value = attribute(tag, "value");
            if (!param || !value) continue;
            const std::string key = lower(*param);
            if (key == "name" && current.name.empty())
                current.name = *value;
            else if (key == "local" && current.local.empty())
                current.local = *value;
        } else if (name == "/object" && inObject) {
            inObject = false;
            if (!current.name.empty() || !current.local.empty()) entries.push_back(current);
        }
    }
    return entries;
}

std::unique_ptr<ChmFile> ChmFile::open(const std::string& nativePath) {
    FileBytes bytes(nativePath);
    if (!soundChmDirectory(bytes)) return nullptr;
    ::chmFile* handle = chm_open(nativePath.c_str());
    if (!handle) return nullptr;
    std::unique_ptr<ChmFile> file(new ChmFile(handle));
    file->readSystem();
    file->readContexts();
    return file;
}

ChmFile::ChmFile(::chmFile* handle) : m_handle(handle) {}

ChmFile::~ChmFile() {
    chm_close(m_handle);
}

std::optional<std::string> ChmFile::read(std::string_view path) const {
    const std::string object = objectPath(path);
    if (object.size() > CHM_MAX_PATHLEN) return std::nullopt;
    chmUnitInfo unit{};
    if (chm_resolve_object(m_handle, object.c_str(), &unit) != CHM_RESOLVE_SUCCESS) return std::nullopt;
    if (unit.length > kMaxObject) return std::nullopt;
    std::string data(static_cast<std::size_t>(unit.length), '\0');
    if (unit.length == 0) return data;
    const LONGINT64 got = chm_retrieve_object(m_handle, &unit, reinterpret_cast<unsigned char*>(data.data()),
                                              0, static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length)) return std::nullopt;
    return data;
}

bool ChmFile::contains(std::string_view path) const {
    const std::string object = objectPath(path);
    chmUnitInfo unit{};
    return object.size() <= CHM_MAX_PATHLEN &&
           chm_resolve_object(m_handle, object.c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

std::vector<std::string> ChmFile::files() const {
    std::vector<std::string> paths;
    chm_enumerate(
        m_handle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
        [](::chmFile*, chmUnitInfo* unit, void* context) -> int {
            auto* list = static_cast<std::vector<std::string>*>(context);
            const std::string path(unit->path, strnlen(unit->path, CHM_MAX_PATHLEN));
            if (path.size() > 1 && path[1] != '#' && path[1] != '$' && list->size() < kMaxSiteMapEntries)
                list->push_back(path.substr(1));
            return CHM_ENUMERATOR_CONTINUE;
        },
        &paths);
    std::sort(paths.begin(), paths.end());
    return paths;
}

void ChmFile::readSystem() {
    const std::optional<std::string> system = read("/#SYSTEM");
    if (!system || system->size() < 4) return;
    std::size_t at = 4;  // after the version
    while (at + 4 <= system->size()) {
        const std::uint16_t code = le16(*system, at);
        const std::uint16_t length = le16(*system, at + 2);
        at += 4;
        if (length > system->size() - at) break;
        const std::string value = cString(std::string_view(*system).substr(at, length));
        switch (code) {
            case 0:
                m_contentsFile = value;
                break;
            case 1:
                m_indexFile = value;
                break;
            case 2:
                m_defaultTopic = value;
                break;
            case 3:
                m_title = value;
                break;
            default:
                break;
        }
        at += length;
    }
}

std::string ChmFile::archiveTopic(const std::string& stored) const {
    // Some compilers store the topic as the path it had on the building machine: the longest tail that
    // names an object of the file is the topic.
    if (contains(stored)) return stored.starts_with('/') ? stored.substr(1) : stored;
    for (std::size_t slash = stored.find('/'); slash != std::string::npos;
         slash = stored.find('/', slash + 1)) {
        const std::string tail = stored.substr(slash + 1);
        if (!tail.empty() && contains(tail)) return tail;
    }
    return stored;
}

void ChmFile::readContexts() {
    const std::optional<std::string> ivb = read("/#IVB");
    const std::optional<std::string> strings = read("/#STRINGS");
    if (!ivb || !strings || ivb->size() < 4) return;
    const std::size_t length = std::min<std::size_t>(le32(*ivb, 0), ivb->size() - 4);
    for (std::size_t at = 4; at + 8 <= 4 + length; at += 8) {
        const std::uint32_t id = le32(*ivb, at);
        const std::uint32_t offset = le32(*ivb, at + 4);
        if (offset >= strings->size()) continue;
        const std::string topic = archiveTopic(cString(std::string_view(*strings).substr(offset)));
        if (!topic.empty()) m_contexts.emplace(id, topic);
    }
}

std::vector<ChmFile::SiteMapEntry> ChmFile::contents() const {
    if (m_contentsFile.empty()) return {};
    const std::optional<std::string> markup = read(m_contentsFile);
    return markup ? parseSiteMap(*markup) : std::vector<SiteMapEntry>{};
}

std::vector<ChmFile::SiteMapEntry> ChmFile::index() const {
    if (m_indexFile.empty()) return {};
    const std::optional<std::string> markup = read(m_indexFile);
    return markup ? parseSiteMap(*markup) : std::vector<SiteMapEntry>{};
}

std::optional<std::string> ChmFile::topicOfContext(std::uint32_t id) const {
    const auto found = m_contexts.find(id);
    if (found == m_contexts.end()) return std::nullopt;
    return found->second;
}

std::string ChmFile::topicTitle(std::string_view path) const {
    const std::optional<std::string> page = read(path);
    if (page) {
        const std::string lowered = lower(*page);
        const std::size_t open = lowered.find("<title>");
        const std::size_t close = lowered.find("</title>", open == std::string::npos ? 0 : open);
        if (open != std::string::npos && close != std::string::npos)
            return stripTags(std::string_view(*page).substr(open + 7, close - open - 7));
    }
    return std::string(path);
}

std::vector<ChmFile::Hit> ChmFile::keywordTopics(std::string_view keyword) const {
    std::vector<Hit> hits;
    const std::string wanted = lower(keyword);
    for (const SiteMapEntry& entry : index())
        if (lower(entry.name) == wanted && !entry.local.empty())
            hits.push_back({topicTitle(entry.local), entry.local});
    return hits;
}

std::vector<ChmFile::Hit> ChmFile::alinkTopics(std::string_view name) const {
    std::vector<Hit> hits;
    const std::string wanted = lower(name);
    for (const std::string& path : files()) {
        const std::string lowered = lower(path);
        if (!lowered.ends_with(".htm") && !lowered.ends_with(".html")) continue;
        const std::optional<std::string> page = read(path);
        if (!page) continue;
        // <param name="ALink Name" value="..."> inside the pages' link objects.
        const std::string lowerPage = lower(*page);
        std::size_t at = 0;
        while ((at = lowerPage.find("<param", at)) != std::string::npos) {
            const std::size_t end = lowerPage.find('>', at);
            const std::string_view tag = std::string_view(*page).substr(
                at + 1, (end == std::string::npos ? page->size() : end) - at - 1);
            at = end == std::string::npos ? page->size() : end;
            const auto param = attribute(tag, "name");
            const auto value = attribute(tag, "value");
            if (param && value && lower(*param) == "alink name") {
                for (std::size_t start = 0; start <= value->size();) {
                    const std::size_t semi = std::min(value->find(';', start), value->size());
                    if (lower(value->substr(start, semi - start)) == wanted) {
                        hits.push_back({topicTitle(path), path});
                        break;
                    }
                    start = semi + 1;
                }
            }
        }
    }
    return hits;
}

std::vector<ChmFile::Hit> ChmFile::search(std::string_view query) const {
    std::vector<std::string> words;
    const std::string lowered = lower(query);
    for (std::size_t i = 0; i < lowered.size();) {
        while (i < lowered.size() && std::isspace(static_cast<unsigned char>(lowered[i]))) ++i;
        std::size_t end = i;
        while (end < lowered.size() && !std::isspace(static_cast<unsigned char>(lowered[end]))) ++end;
        if (end > i) words.push_back(lowered.substr(i, end - i));
        i = end;
    }
    std::vector<Hit> hits;
    if (words.empty()) return hits;
    for (const std::string& path : files()) {
        const std::string lowerPath = lower(path);
        if (!lowerPath.ends_with(".htm") && !lowerPath.ends_with(".html")) continue;
        const std::optional<std::string> page = read(path);
        if (!page) continue;
        const std::string text = lower(stripTags(*page));
        if (std::all_of(words.begin(), words.end(),
                        [&](const std::string& w) { return text.find(w) != std::string::npos; }))
            hits.push_back({topicTitle(path), path});
    }
    return hits;
}

}  // namespace velmora
