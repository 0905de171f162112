#include "FilesObject.h"

#include <exception>
#include <optional>
#include <vector>

#include "platform/find.h"
#include "platform/owned.h"
#include "platform/queue.h"
#include "runtime/text.h"

namespace velmora {
namespace {

// The entries an enumeration of the pattern gives, in its order; short names are not asked for.
template <class Visit>
void enumerate(const std::u16string& pattern, FINDEX_SEARCH_OPS which, Visit&& visit) {
    WIN32_FIND_DATAA found{};
    const OwnedFind search(
        FindFirstFileExA(toUtf8(pattern).c_str(), FindExInfoBasic, &found, which, nullptr, 0));
    if (!search) return;
    do {
        if (!visit(found)) break;
    } while (FindNextFileA(search.get(), &found));
}

}  // namespace

const ClassInfo& FilesObject::describe() {
    using F = FilesObject;
    static const ClassInfo info =
        ClassBuilder<FilesObject>(u"FilesObject")
            .property(u"Path", &F::Path, &F::setPath)
            .propertyLet(u"FileSpec", &F::setFileSpec)
            .propertyGet(u"FileSpec", &F::FileSpec)
            .propertyGet(u"Searching", &F::Searching)
            .propertyGet(u"Item", &F::Item, {u"vntIndexKey"})
            .asDefault()
            .propertyGet(u"Count", &F::Count)
            .propertyGet(u"NewEnum", &F::NewEnum)
            .method(u"Add", &F::Add, {u"FileName", opt(u"sKey")})
            .method(u"Remove", &F::Remove, {u"vntIndexKey"})
            .method(u"Find", &F::Find, {opt(u"strPath"), opt(u"strFileSpec")})
            .event(u"Completed")
            .event(u"FoundFile", {arg(u"FileName", VarType::String), arg(u"Cancel", VarType::Boolean)})
            .build();
    return info;
}

Ref<FileObject> FilesObject::Item(Variant& vntIndexKey) const {
    return ArgTraits<Ref<FileObject>>::fromVariant(m_items.Item(vntIndexKey));
}

ObjectRef FilesObject::NewEnum() const {
    return ObjectRef(makeObject<Enumerator>(m_items));
}

Ref<FileObject> FilesObject::Add(std::u16string FileName, std::u16string sKey) {
    auto entry = makeObject<FileObject>();
    entry->setFileName(std::move(FileName));
    m_items.Add(Variant(entry), sKey.empty() ? Variant::missing() : Variant(std::move(sKey)));
    return entry;
}

void FilesObject::Remove(Variant& vntIndexKey) {
    m_items.Remove(vntIndexKey);
}

bool FilesObject::Find(std::u16string strPath, std::u16string strFileSpec) {
    if (!strPath.empty()) m_path = std::move(strPath);
    if (!strFileSpec.empty()) m_fileSpec = std::move(strFileSpec);
    if (m_searching) {
        m_searching = false;  // a second Find stops the running one at its next check
        return false;
    }
    if (m_fileSpec.empty() || m_path.empty()) return false;
    m_searching = true;
    m_visited.clear();
    try {
        search(m_path);
    } catch (const std::exception&) {
        // errors during the search are ignored: it ends, and Completed still comes
    }
    m_visited.clear();
    m_searching = false;
    m_events.fireIgnoringErrors(u"Completed");
    return true;
}

// The folder a search of `folder` lists is the text up to its last separator ("C:\t" lists C:\).
bool FilesObject::firstVisit(const std::u16string& folder) {
    const std::size_t separator = folder.find_last_of(u"\\/");
    const std::u16string listed = separator == std::u16string::npos ? u"." : folder.substr(0, separator + 1);
    const std::optional<FileIdentity> identity = fileIdentity(toUtf8(listed));
    return !identity || m_visited.insert(*identity).second;
}

void FilesObject::search(const std::u16string& folder) {
    processWaitingMessages();
    if (!m_searching || !firstVisit(folder)) return;
    std::vector<std::u16string> subfolders;
    enumerate(folder + u"*", FindExSearchLimitToDirectories, [&](const WIN32_FIND_DATAA& found) {
        // A link to a folder is an entry, not a folder to walk: it may lead anywhere, up the tree too.
        const bool walk = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (walk && found.cFileName[0] != '.') subfolders.push_back(fromUtf8(found.cFileName));
        return true;
    });
    enumerate(folder + m_fileSpec, FindExSearchNameMatch, [&](const WIN32_FIND_DATAA& found) {
        processWaitingMessages();
        if (!m_searching) return false;
        Variant name(folder + fromUtf8(found.cFileName));
        Add(name.stringRef());
        Variant cancel(false);
        m_events.fireIgnoringErrors(u"FoundFile", name, cancel);
        // A Find from the handler has already asked for the stop: Cancel = false must not undo it.
        bool stop = false;
        try {
            stop = cancel.toBool();
        } catch (const std::exception&) {
            // a Cancel that is no true/false value asks for nothing
        }
        m_searching = m_searching && !stop;
        return true;
    });
    // Subfolders are written with the separator the path uses (a POSIX path stays a POSIX path).
    const char16_t separator = !folder.empty() && folder.back() == u'/' ? u'/' : u'\\';
    for (const std::u16string& name : subfolders) search(folder + name + separator);
}

}  // namespace velmora
