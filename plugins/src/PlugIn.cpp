#include "plugins/PlugIn.h"

#include "component/CreateObject.h"
#include "files/FileObject.h"
#include "platform/messagebox.h"
#include "registry/RegServerObject.h"
#include "runtime/Error.h"
#include "strings/ParsingObject.h"

namespace velmora {

namespace {

constexpr std::size_t kExtensionLength = 4;  // ".dll", ".exe"

// The name less its extension; shorter names have none to drop (error 5, as cutting would fail).
std::u16string withoutExtension(const std::u16string& name) {
    if (name.size() < kExtensionLength) raise(err::InvalidProcedureCall);
    return name.substr(0, name.size() - kExtensionLength);
}

// Registration or unregistration through the registry library; a refusal is shown, never raised.
void registerFile(const std::u16string& file, bool unregister) {
    bool bUnReg = unregister;
    if (!makeObject<RegServerObject>()->RegSvr32(file, bUnReg))
        MessageBoxA(0, "Could not register", "Addonry", MB_OK);
}

}  // namespace

const ClassInfo& PlugIn::describe() {
    static const ClassInfo info = ClassBuilder<PlugIn>(u"PlugIn")
                                      .property(u"obj", &PlugIn::obj, &PlugIn::setObj)
                                      .propertyGet(u"Loaded", &PlugIn::Loaded)
                                      .property(u"PlugInFile", &PlugIn::PlugInFile, &PlugIn::setPlugInFile)
                                      .propertyGet(u"Title", &PlugIn::Title)
                                      .method(u"Load", &PlugIn::Load, {opt(u"sPlugInFile")})
                                      .method(u"Unload", &PlugIn::Unload)
                                      .build();
    return info;
}

PlugIn::~PlugIn() {
    if (!m_loaded) return;
    try {
        Unload();
    } catch (...) {
        // A release cannot fail; the registration is all that might be left behind.
    }
}

void PlugIn::setPlugInFile(const std::u16string& value) {
    m_plugInFile = value;
    auto file = makeObject<FileObject>();
    file->setFileName(value);
    std::u16string separator = u"_";
    std::int32_t binaryCompare = 0;
    const Variant pieces =
        makeObject<ParsingObject>()->StrSplit(withoutExtension(file->Title()), separator, binaryCompare);
    std::u16string title;
    for (const Variant& piece : pieces.arrayRef().items()) title += u" " + piece.toString();
    m_title = std::move(title);
}

bool PlugIn::Load(std::u16string& sPlugInFile) {
    if (!sPlugInFile.empty()) m_plugInFile = sPlugInFile;
    if (m_plugInFile.empty()) raise(1, u"Invalid plugin File: No file specified", u"PlugIn:PlugInLoad");
    registerFile(m_plugInFile, false);
    // Both separators name folders here, as everywhere in the suite's path text.
    const std::size_t cut = m_plugInFile.find_last_of(u"\\/");
    if (cut == std::u16string::npos) raise(err::InvalidProcedureCall);
    m_obj = CreateObject(withoutExtension(m_plugInFile.substr(cut + 1)) + u".Main");
    m_loaded = true;
    return true;
}

void PlugIn::Unload() {
    m_obj.reset();
    m_loaded = false;
    registerFile(m_plugInFile, true);
}

}  // namespace velmora
