#include "DirectoryObject.h"

#include "pathtext.h"
#include "platform/fileops.h"
#include "platform/find.h"
#include "platform/messagebox.h"
#include "platform/owned.h"
#include "platform/shell.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr std::u16string_view kSeparators = u"\\/";

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool anyEntryAt(const std::u16string& path) {
    WIN32_FIND_DATAA found{};
    return bool(OwnedFind(FindFirstFileA(toUtf8(path).c_str(), &found)));
}

// Where the first folder that may need creating begins: after "X:\", after "\\server\share\", after the
// root of a POSIX path; a relative path from its start.
std::size_t firstComponent(const std::u16string& path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        const std::size_t server = path.find_first_of(kSeparators, 2);
        const std::size_t share =
            server == std::u16string::npos ? server : path.find_first_of(kSeparators, server + 1);
        return share == std::u16string::npos ? path.size() : share + 1;
    }
    if (path.size() >= 2 && path[1] == u':') return std::min<std::size_t>(3, path.size());
    return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

std::string nameList(const std::u16string& name) {
    std::string list = toUtf8(name);
    list.append(2, '\0');
    return list;
}

void complain(bool blnConfirm, const char* text) {
    if (blnConfirm) MessageBoxA(0, text, "Diskware", MB_OK);
}

}  // namespace

const ClassInfo& DirectoryObject::describe() {
    using D = DirectoryObject;
    static const ClassInfo info =
        ClassBuilder<DirectoryObject>(u"DirectoryObject")
            .propertyGet(u"ComputerName", &D::ComputerName)
            .propertyGet(u"Drive", &D::Drive)
            .propertyLet(u"Path", &D::setPath)
            .propertyGet(u"Path", &D::Path)
            .propertyGet(u"Exists", &D::Exists)
            .method(u"Create", &D::Create, {opt(u"strDirectoryPath")})
            .method(u"Delete", &D::Delete, {opt(u"strDirectoryPath")})
            .method(
                u"Copy", &D::Copy,
                {u"DestinationPath", opt(u"strDirPath"), opt(u"blnConfirm", false), opt(u"blnSilent", true),
                 opt(u"blnRenameOnCollision", false), opt(u"blnSimpleProgress", false)})
            .method(
                u"Move", &D::Move,
                {u"DestinationPath", opt(u"strDirPath"), opt(u"blnConfirm", false), opt(u"blnSilent", true),
                 opt(u"blnRenameOnCollision", false), opt(u"blnSimpleProgress", false)})
            .build();
    return info;
}

std::u16string DirectoryObject::ComputerName() const {
    return pathtext::computerName(m_path);
}

std::u16string DirectoryObject::Drive() const {
    return pathtext::drive(m_path);
}

bool DirectoryObject::Exists() const {
    return !m_path.empty() && anyEntryAt(m_path);
}

const std::u16string& DirectoryObject::pathFor(std::u16string& argument) const {
    if (argument.empty()) {
        if (m_path.empty()) raise(100, u"No path set", u"DirectoryObject");
        argument = m_path;
    }
    return argument;
}

bool DirectoryObject::Create(std::u16string& strDirectoryPath) {
    const std::u16string path = pathFor(strDirectoryPath);
    std::size_t at = firstComponent(path);
    while (at < path.size()) {
        const std::size_t end = std::min(path.find_first_of(kSeparators, at), path.size());
        const std::u16string candidate = path.substr(0, end);
        // Folders that exist are passed over; a failing creation is not reported and the walk goes on.
        if (end > at && !anyEntryAt(candidate)) CreateDirectoryA(toUtf8(candidate).c_str(), nullptr);
        at = end + 1;
    }
    return true;
}

bool DirectoryObject::Delete(std::u16string& strDirectoryPath) {
    return RemoveDirectoryA(toUtf8(pathFor(strDirectoryPath)).c_str()) != FALSE;
}

std::int32_t DirectoryObject::transfer(unsigned operation, std::u16string& destination,
                                       std::u16string& source, bool blnConfirm, bool blnSilent,
                                       bool blnRenameOnCollision, bool blnSimpleProgress) {
    if (!source.empty()) m_path = source;
    if (m_path.empty()) {
        complain(blnConfirm, "Invalid Path Name");
        return 0;
    }
    if (operation == FO_MOVE && destination.empty()) {
        complain(blnConfirm, "Invalid Destination Path");
        return 0;
    }
    unsigned flags = 0;
    if (blnSilent) flags |= FOF_SILENT;
    if (blnSimpleProgress) flags |= FOF_SIMPLEPROGRESS;
    if (!blnConfirm) flags |= FOF_NOCONFIRMATION;
    if (blnRenameOnCollision) flags |= FOF_RENAMEONCOLLISION;
    const std::string from = nameList(m_path);
    const std::string to = nameList(destination);
    SHFILEOPSTRUCTA request{};
    request.wFunc = operation;
    request.pFrom = from.c_str();
    request.pTo = to.c_str();
    request.fFlags = static_cast<FILEOP_FLAGS>(flags);
    return SHFileOperationA(&request);
}

std::int32_t DirectoryObject::Copy(std::u16string DestinationPath, std::u16string strDirPath, bool blnConfirm,
                                   bool blnSilent, bool blnRenameOnCollision, bool blnSimpleProgress) {
    return transfer(FO_COPY, DestinationPath, strDirPath, blnConfirm, blnSilent, blnRenameOnCollision,
                    blnSimpleProgress);
}

std::int32_t DirectoryObject::Move(std::u16string DestinationPath, std::u16string strDirPath, bool blnConfirm,
                                   bool blnSilent, bool blnRenameOnCollision, bool blnSimpleProgress) {
    return transfer(FO_MOVE, DestinationPath, strDirPath, blnConfirm, blnSilent, blnRenameOnCollision,
                    blnSimpleProgress);
}

}  // namespace velmora
