#include "Main.h"

#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Container.h"
#include "FileSink.h"
#include "FileSource.h"
#include "HexText.h"
#include "MethodErrors.h"
#include "SecureBytes.h"
#include "component/calls.h"
#include "platform/attributes.h"
#include "runtime/text.h"

namespace velmora::argonbox {
namespace {

constexpr std::u16string_view kMethodName = u"XChaCha20-Poly1305 with Argon2id";

// The elements of a byte-array argument; nothing for an array without bounds. Anything but a
// one-dimensional byte array is error 13.
std::optional<std::span<const std::uint8_t>> byteArrayOf(const Variant& value) {
    if (!value.isArray() || value.type() != VarType::Byte) raise(err::TypeMismatch);
    if (!value.isAllocatedArray()) return std::nullopt;
    const SafeArray& array = value.arrayRef();
    if (array.dimensions() != 1) raise(err::TypeMismatch);
    return std::span(array.bytes());
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::size_t sealedSize(std::size_t plainBytes, std::size_t chunkBytes) {
    return kPrefixBytes + plainBytes + (plainBytes / chunkBytes + 1) * kChunkOverhead;
}

}  // namespace

// Progress at most once per whole percent (0 once the key is derived, 100 after the last chunk), and the
// yield to the caller's message queue after every chunk.
class Main::Reporter final : public ChunkObserver {
  public:
    Reporter(Main& main, const ObjectRef& handler) noexcept : m_main(main), m_handler(handler) {}

    void progressed(std::uint64_t done, std::uint64_t total) override {
        // A source that grew while it was read counts as done at its end.
        const auto percent =
            static_cast<std::int32_t>(total == 0 ? 0 : std::min<std::uint64_t>(done, total) * 100 / total);
        if (percent > m_last) {
            m_last = percent;
            m_main.m_reports.reportProgress(percent, m_handler);
        }
        m_main.yieldToQueue();
    }

  private:
    Main& m_main;
    const ObjectRef& m_handler;
    std::int32_t m_last = -1;
};

const ClassInfo& Main::describe() {
    static const ClassInfo info =
        ClassBuilder<Main>(u"Main")
            .propertyGet(u"MethodName", &Main::MethodName)
            .method(u"EncryptByte", &Main::EncryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptByte", &Main::DecryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptString", &Main::EncryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptString", &Main::DecryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptFile", &Main::EncryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptFile", &Main::DecryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"FileExist", &Main::FileExist, {u"FileName"})
            .event(u"Progress", {arg(u"Percent", VarType::Long)})
            .event(u"Error", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String),
                              arg(u"Source", VarType::String)})
            .build();
    return info;
}

Main::Main() : Main(Parameters::defaults()) {}

Main::Main(const Parameters& sealing)
    : m_sealing(sealing), m_methodName(kMethodName), m_system(makeObject<SystemObject>()) {}

std::u16string Main::MethodName() const {
    return m_methodName;
}

void Main::yieldToQueue() {
    if (!m_system) m_system = makeObject<SystemObject>();
    m_system->Do_Events();
}

std::vector<std::uint8_t> Main::sealBytes(std::span<const std::uint8_t> plain, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(plain);
    std::vector<std::uint8_t> sealed;
    sealed.reserve(sealedSize(plain.size(), m_sealing.chunkBytes));
    MemorySink sink(sealed);
    ContainerHeader header{};
    const SecureBytes& key = m_keys.forSealing(SecureBytes::utf8Of(password), m_sealing, header);
    Reporter reporter(*this, handler);
    seal(source, sink, header, key, reporter);
    return sealed;
}

std::vector<std::uint8_t> Main::openBytes(std::span<const std::uint8_t> sealed, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(sealed);
    const ContainerStart start = readStart(source);
    const SecureBytes& key = m_keys.forOpening(SecureBytes::utf8Of(password), start.header);
    std::vector<std::uint8_t> plain;
    plain.reserve(sealed.size());
    MemorySink sink(plain);
    Reporter reporter(*this, handler);
    openChunks(start, source, sink, key, reporter);
    return plain;
}

Variant Main::EncryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptByte", objEventHandler, Variant::unallocatedArray(VarType::Byte), [&] {
        const auto data = byteArrayOf(ByteIn);
        if (!data) return Variant::unallocatedArray(VarType::Byte);
        return Variant(sealBytes(*data, KEY, objEventHandler));
    });
}

Variant Main::DecryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptByte", objEventHandler, Variant::unallocatedArray(VarType::Byte), [&] {
        const auto data = byteArrayOf(ByteIn);
        if (!data) return Variant::unallocatedArray(VarType::Byte);
        return Variant(openBytes(*data, KEY, objEventHandler));
    });
}

std::u16string Main::EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptString", objEventHandler, std::u16string(), [&] {
        if (KEY.empty()) return std::u16string();
        const std::string utf8 = toUtf8(Text);
        return toHexText(sealBytes(bytesOf(utf8), KEY, objEventHandler));
    });
}

std::u16string Main::DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptString", objEventHandler, std::u16string(), [&] {
        if (Text.empty() || KEY.empty()) return std::u16string();
        const std::vector<std::uint8_t> plain = openBytes(fromHexText(Text), KEY, objEventHandler);
        return fromUtf8(std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
    });
}

bool Main::EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseMethodError(methodError::SourceMissing);
        FileSource source(SourceFile);
        FileSink destination(DestFile, ReplacementFile::NewFile::Shared);
        ContainerHeader header{};
        const SecureBytes& key = m_keys.forSealing(SecureBytes::utf8Of(KEY), m_sealing, header);
        Reporter reporter(*this, objEventHandler);
        seal(source, destination, header, key, reporter);
        destination.commit();
        return true;
    });
}

bool Main::DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseMethodError(methodError::SourceMissing);
        FileSource source(SourceFile);
        const ContainerStart start = readStart(source);  // a foreign file is refused before anything is made
        // Decrypted data is nobody else's to read.
        FileSink destination(DestFile, ReplacementFile::NewFile::OwnerOnly);
        const SecureBytes& key = m_keys.forOpening(SecureBytes::utf8Of(KEY), start.header);
        Reporter reporter(*this, objEventHandler);
        openChunks(start, source, destination, key, reporter);
        destination.commit();  // only once the FINAL chunk has been verified
        return true;
    });
}

bool Main::FileExist(std::u16string& FileName) {
    if (FileName.empty()) return false;
    return GetFileAttributesA(toUtf8(FileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace velmora::argonbox
