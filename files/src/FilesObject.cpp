#include "FilesObject.h"

#include <vector>

#include "platform/find.h"
#include "platform/owned.h"
#include "platform/queue.h"
#include "runtime/text.h"

namespace velmora {
namespace {

// The names an enumeration of the pattern gives, in its order.
template <class Visit>
void enumerate(const std::u16string& pattern, Visit&& visit) {
    WIN32_FIND_DATAA found{};
    const OwnedFind search(FindFirstFileA(toUtf8(pattern).c_str(), &found));
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
    search(m_path);
    m_searching = false;
    m_events.fire(u"Completed");
    return true;
}

void FilesObject::search(const std::u16string& folder) {
    processWaitingMessages();
    if (!m_searching) return;
    std::vector<std::u16string> subfolders;
    enumerate(folder + u"*.*", [&](const WIN32_FIND_DATAA& found) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.')
            subfolders.push_back(fromUtf8(found.cFileName));
        return true;
    });
    enumerate(folder + m_fileSpec, [&](const WIN32_FIND_DATAA& found) {
        processWaitingMessages();
        if (!m_searching) return false;
        Variant name(folder + fromUtf8(found.cFileName));
        Add(name.stringRef());
        Variant cancel(false);
        m_events.fire(u"FoundFile", name, cancel);
        // A Find from the handler has already asked for the stop: Cancel = false must not undo it.
        m_searching = m_searching && !cancel.toBool();
        return true;
    });
    // Subfolders are written with the separator the path uses (a POSIX path stays a POSIX path).
    const char16_t separator = !folder.empty() && folder.back() == u'/' ? u'/' : u'\\';
    for (const std::u16string& name : subfolders) search(folder + name + separator);
}

}  // namespace velmora
