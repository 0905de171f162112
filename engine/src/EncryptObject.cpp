#include "EncryptObject.h"

#include <string.h>  // explicit_bzero

#include "component/CallbackSink.h"
#include "component/calls.h"
#include "engine/IEventHandler.h"
#include "files/FileObject.h"
#include "platform/library.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {

// Any address inside this library names its file.
const char kInThisLibrary = 0;

std::u16string plugInFolder() {
    const std::u16string library = fromUtf8(modulePathOf(&kInThisLibrary));
    const std::size_t cut = library.find_last_of(u"\\/");
    return (cut == std::u16string::npos ? std::u16string() : library.substr(0, cut)) + u"\\Encryption";
}

void scrub(std::u16string& secret) {
    explicit_bzero(secret.data(), secret.size() * sizeof(char16_t));
}

bool isByteArray(const Variant& value) {
    return value.isArray() && value.type() == VarType::Byte;
}

}  // namespace

const ClassInfo& EncryptObject::describe() {
    using E = EncryptObject;
    static const ClassInfo info =
        ClassBuilder<EncryptObject>(u"EncryptObject")
            .property(u"IEventHandler", &E::IEventHandler, &E::setIEventHandler)
            .property(u"Key", &E::Key, &E::setKey)
            .property(u"EncryptionMethods", &E::EncryptionMethods, &E::setEncryptionMethods)
            .property(u"SelectedMethod", &E::SelectedMethod, &E::setSelectedMethod)
            .method(u"EncryptByte", &E::EncryptByte, {u"ByteIn", opt(u"Key")})
            .method(u"DecryptByte", &E::DecryptByte, {u"ByteIn", opt(u"Key")})
            .method(u"EncryptString", &E::EncryptString, {u"Text", opt(u"Key")})
            .method(u"DecryptString", &E::DecryptString, {u"Text", opt(u"Key")})
            .method(u"EncryptFile", &E::EncryptFile, {u"SourceFile", u"DestFile", opt(u"Key")})
            .method(u"DecryptFile", &E::DecryptFile, {u"SourceFile", u"DestFile", opt(u"Key")})
            .build();
    return info;
}

EncryptObject::EncryptObject() : m_events(makeObject<EventHandler>()) {
    // The sink refers back without a count: the engine owns the source and disconnects before it goes.
    m_listening = m_events->events()->connect(makeObject<CallbackSink>(
        [this](std::u16string_view event, std::span<Variant> args) { routeNotification(event, args); }));
    m_client = makeObject<velmora::IEventHandler>();
    m_methods = makeObject<PlugIns>();
    std::u16string folder = plugInFolder();
    m_methods->Load(folder);
    m_probe = makeObject<FileObject>();
}

EncryptObject::~EncryptObject() {
    // A plug-in may still hold the event source; it must not reach this object any more.
    m_events->events()->disconnect(m_listening);
    m_events.reset();
    m_methods.reset();
    m_probe.reset();
    scrub(m_key);
}

void EncryptObject::setIEventHandler(ObjectRef value) {
    const auto* described = dynamic_cast<const ComObject*>(value.get());
    if (described &&
        !(described->hasMember(u"Progress", InvokeMethod) && described->hasMember(u"Error", InvokeMethod)))
        raise(err::TypeMismatch);
    m_client = std::move(value);
}

void EncryptObject::setKey(const std::u16string& value) {
    scrub(m_key);
    m_key = value;
}

void EncryptObject::setSelectedMethod(std::int32_t value) {
    if (!m_methods) raise(err::ObjectNotSet);
    if (value > m_methods->Count() || value < 1) {
        Variant args[] = {Variant(9), Variant(u"Subscript Out Of Range"), Variant(u"SelectedMethod")};
        routeNotification(u"Error", args);
        return;
    }
    m_selectedMethod = value;
}

ByteArrayArg EncryptObject::EncryptByte(ByteArrayArg& ByteIn, std::u16string& Key) {
    return byteOperation(u"EncryptByte", ByteIn, Key);
}
ByteArrayArg EncryptObject::DecryptByte(ByteArrayArg& ByteIn, std::u16string& Key) {
    return byteOperation(u"DecryptByte", ByteIn, Key);
}
std::u16string EncryptObject::EncryptString(std::u16string& Text, std::u16string& Key) {
    return stringOperation(u"EncryptString", Text, Key);
}
std::u16string EncryptObject::DecryptString(std::u16string& Text, std::u16string& Key) {
    return stringOperation(u"DecryptString", Text, Key);
}
bool EncryptObject::EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& Key) {
    return fileOperation(u"EncryptFile", SourceFile, DestFile, Key);
}
bool EncryptObject::DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& Key) {
    return fileOperation(u"DecryptFile", SourceFile, DestFile, Key);
}

ByteArrayArg EncryptObject::byteOperation(std::u16string_view method, ByteArrayArg& ByteIn,
                                          std::u16string& Key) {
    // The bound is read first, so an array that was never dimensioned fails even with no method.
    const bool hasInput = ByteIn.value.ubound(1) > 0;
    if (!hasInput || m_selectedMethod <= 0 || !takeKey(Key)) return ByteArrayArg::empty();
    const Variant result = callPlugIn(method, byRef(ByteIn));
    return {isByteArray(result) ? result : Variant(result.toBytes())};
}

std::u16string EncryptObject::stringOperation(std::u16string_view method, std::u16string& Text,
                                              std::u16string& Key) {
    if (Text.empty() || m_selectedMethod <= 0 || !takeKey(Key)) return {};
    return callPlugIn(method, byRef(Text)).toString();
}

bool EncryptObject::fileOperation(std::u16string_view method, std::u16string& SourceFile,
                                  std::u16string& DestFile, std::u16string& Key) {
    if (!m_probe) m_probe = makeObject<FileObject>();
    m_probe->setFileName(SourceFile);
    const bool exists = m_probe->Exists();
    if (!exists || m_selectedMethod <= 0 || !takeKey(Key)) return false;
    return callPlugIn(method, byRef(SourceFile), byRef(DestFile)).toBool();
}

bool EncryptObject::takeKey(const std::u16string& key) {
    if (!key.empty()) setKey(key);
    return !m_key.empty();
}

ObjectRef EncryptObject::selectedPlugIn() const {
    if (!m_methods) raise(err::ObjectNotSet);
    Variant position(m_selectedMethod);
    return m_methods->Item(position)->obj();
}

// The data arguments, then the stored key and the event source; the plug-in may assign to the key. It
// gets its own reference to the event source, so that it cannot replace the engine's.
template <class... A>
Variant EncryptObject::callPlugIn(std::u16string_view method, A&&... dataArguments) {
    const ObjectRef plugIn = selectedPlugIn();
    Variant events(m_events);
    return call(plugIn, method, std::forward<A>(dataArguments)..., byRef(m_key), events);
}

// Progress(Percent) and Error(Number, Description, Source) from the event source, passed on to the client
// with this object in front. With no client (Nothing) nobody listens.
void EncryptObject::routeNotification(std::u16string_view event, std::span<Variant> args) {
    if (!m_client) return;
    std::vector<Variant> withEngine;
    withEngine.reserve(args.size() + 1);
    withEngine.emplace_back(ObjectRef(this));
    withEngine.insert(withEngine.end(), args.begin(), args.end());
    callByName(m_client, event, InvokeMethod, withEngine);
}

}  // namespace velmora
