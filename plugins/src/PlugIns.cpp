#include "plugins/PlugIns.h"

#include <sys/stat.h>

#include <deque>
#include <set>
#include <utility>

#include "platform/find.h"
#include "platform/owned.h"
#include "platform/paths.h"
#include "runtime/text.h"

namespace velmora {

namespace {

struct FolderEntry {
    std::u16string name;
    bool isFolder;
};

// The entries of one folder in the order the file system lists them, without hidden and system ones
// and without "." and "..". A folder that cannot be listed (or does not exist) has none.
std::vector<FolderEntry> listFolder(const std::u16string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    const OwnedFind search(FindFirstFileA(toUtf8(folder + u"\\*").c_str(), &found));
    if (!search) return entries;
    do {
        const std::string_view name = found.cFileName;
        if (name == "." || name == ".." ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        entries.push_back({fromUtf8(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search.get(), &found));
    return entries;
}

bool isPlugInFileName(std::u16string_view name) {
    return name.size() >= 4 && (name.ends_with(u".dll") || name.ends_with(u".exe"));
}

// Identifies a folder whatever path leads to it, so that a link back up the tree is walked only once.
class VisitedFolders {
  public:
    // True the first time a folder is met; a folder that cannot be identified is walked (it lists empty).
    bool firstVisit(const std::u16string& folder) {
        struct stat info {};
        if (stat(toNativePath(toUtf8(folder)).c_str(), &info) != 0) return true;
        return m_seen.emplace(info.st_dev, info.st_ino).second;
    }

  private:
    std::set<std::pair<dev_t, ino_t>> m_seen;
};

}  // namespace

const ClassInfo& PlugIns::describe() {
    static const ClassInfo info =
        ClassBuilder<PlugIns>(u"PlugIns")
            .propertyGet(u"Item", &PlugIns::Item, {u"vntIndexKey"})
            .asDefault()
            .propertyGet(u"NewEnum", &PlugIns::NewEnum)
            .propertyGet(u"Count", &PlugIns::Count)
            .method(u"Clear", &PlugIns::Clear)
            .method(u"Add", &PlugIns::Add, {u"PlugInFile", opt(u"obj"), opt(u"sKey")})
            .method(u"Load", &PlugIns::Load, {u"PlugInDir"})
            .method(u"Remove", &PlugIns::Remove, {u"vntIndexKey"})
            .build();
    return info;
}

Ref<PlugIn> PlugIns::Item(Variant& vntIndexKey) const {
    return ArgTraits<Ref<PlugIn>>::fromVariant(m_items.Item(vntIndexKey));
}

ObjectRef PlugIns::NewEnum() const {
    return ObjectRef(makeObject<Enumerator>(m_items));
}

void PlugIns::Clear() {
    // The old entries go after the collection is empty, so that an unload sees a consistent collection.
    Collection old = std::exchange(m_items, Collection());
}

Ref<PlugIn> PlugIns::Add(std::u16string& PlugInFile, ObjectRef& obj, std::u16string& sKey) {
    auto entry = makeObject<PlugIn>();
    entry->setPlugInFile(PlugInFile);
    entry->setObj(obj);
    m_items.Add(Variant(entry), sKey.empty() ? Variant::missing() : Variant(sKey));
    return entry;
}

void PlugIns::Load(std::u16string& PlugInDir) {
    if (PlugInDir.empty()) return;
    std::deque<std::u16string> folders{PlugInDir};
    VisitedFolders visited;
    for (; !folders.empty(); folders.pop_front()) {
        const std::u16string folder = folders.front();
        if (!visited.firstVisit(folder)) continue;
        for (const FolderEntry& entry : listFolder(folder)) {
            std::u16string path = folder + u"\\" + entry.name;
            if (entry.isFolder) {
                folders.push_back(std::move(path));
            } else if (isPlugInFileName(entry.name)) {
                ObjectRef none;
                std::u16string noKey;
                std::u16string fromEntry;
                Add(path, none, noKey)->Load(fromEntry);
            }
        }
    }
}

void PlugIns::Remove(Variant& vntIndexKey) {
    m_items.Remove(vntIndexKey);
}

}  // namespace velmora
