#include "AssociationObject.h"

#include "filesearch.h"
#include "platform/messagebox.h"
#include "platform/owned.h"
#include "registryvalues.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"

namespace velmora {

namespace {

constexpr std::u16string_view kIllegalExtensionChars = u"\\/:*?<>|\"";

// Raised inside CreateFileAss when the registry refuses a write; reported like any other failure.
constexpr std::int32_t kWriteRefused = 5;

// Whether the classes root already holds this value exactly as it would be written (type and bytes).
bool storedAlready(const std::u16string& key, const std::u16string& name, const RegistryData& data) {
    OwnedKey handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, toUtf8(key).c_str(), 0, KEY_QUERY_VALUE, handle.put()) !=
        ERROR_SUCCESS)
        return false;
    std::vector<std::uint8_t> stored(data.bytes.size() + 1);
    DWORD type = REG_NONE;
    auto size = static_cast<DWORD>(stored.size());
    if (RegQueryValueExA(handle.get(), toUtf8(name).c_str(), nullptr, &type, stored.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    stored.resize(size);
    return type == data.type && stored == data.bytes;
}

}  // namespace

const ClassInfo& AssociationObject::describe() {
    static const ClassInfo info =
        ClassBuilder<AssociationObject>(u"AssociationObject")
            .method(u"CreateFileAss", &AssociationObject::CreateFileAss,
                    {u"Extension", u"FileType", u"FileTypeName", u"Action", u"AppPath", opt(u"Switch", u""),
                     opt(u"SetIcon", false), opt(u"DefaultIcon"), opt(u"PromptOnError", false),
                     opt(u"CreateNewContextMenu", false)})
            .build();
    return info;
}

void AssociationObject::report(const std::u16string& message) const {
    if (!m_promptOnError) return;
    MessageBoxA(0, toUtf8(message).c_str(), "DLL/OCX Register", MB_OK | MB_ICONERROR);
}

// A refused write fails the whole call: a half-written association must not be reported as made.
void AssociationObject::writeDefault(const std::u16string& key, const std::u16string& name,
                                     const std::u16string& value) {
    // Programs renew their association at every start: a value that already stands costs no write.
    if (storedAlready(key, name, *encodeValue(Variant(value)))) return;
    std::int32_t root = HKeyClassesRoot;
    if (m_registry->SetKeyValue(root, key, name, Variant(value)) != ERROR_SUCCESS) raise(kWriteRefused);
}

bool AssociationObject::CreateFileAss(std::u16string& Extension, std::u16string& FileType,
                                      std::u16string& FileTypeName, std::u16string& Action,
                                      std::u16string& AppPath, std::u16string& Switch, bool& SetIcon,
                                      std::u16string& DefaultIcon, bool& PromptOnError,
                                      bool& CreateNewContextMenu) {
    m_promptOnError = PromptOnError;
    if (!fileFound(AppPath)) {
        report(u"The application path '" + AppPath + u"' cannot be found.");
        return false;
    }
    try {
        if (Extension.empty()) raise(err::InvalidProcedureCall);
        if (Extension.front() != u'.') Extension.insert(0, u".");
        if (Extension.find_first_of(kIllegalExtensionChars) != std::u16string::npos) {
            report(u"The file extension '" + Extension + u"' contains an illegal char (\\/:*?<>|\").");
            return false;
        }
        if (!Switch.empty()) Switch = u" " + Trim(Switch);
        Action = FileType + u"\\shell\\" + Action + u"\\command";
        writeDefault(Extension, u"", FileType);
        writeDefault(Action, u"", AppPath + Switch + u" %1");
        writeDefault(FileType, u"", FileTypeName);
        if (CreateNewContextMenu) writeDefault(Extension + u"\\ShellNew", u"NullFile", u"");
        if (SetIcon)
            writeDefault(FileType + u"\\DefaultIcon", u"",
                         DefaultIcon.empty() ? Trim(AppPath + u",0") : Trim(DefaultIcon));
        return true;
    } catch (const RuntimeError&) {
        report(u"An error occured while attempting to create the file extension '" + Extension + u"'.");
        return false;
    }
}

}  // namespace velmora
