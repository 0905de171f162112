#include "Main.h"

#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Container.h"
#include "argon/ByteArguments.h"
#include "argon/ChunkReporter.h"
#include "argon/FileSink.h"
#include "argon/FileSource.h"
#include "argon/HexText.h"
#include "argon/MethodClass.h"
#include "argon/MethodErrors.h"
#include "component/calls.h"
#include "platform/entry.h"
#include "runtime/text.h"

namespace velmora::argonbox {
namespace {

constexpr std::u16string_view kMethodName = u"XChaCha20-Poly1305 with Argon2id";

std::size_t sealedSize(std::size_t plainBytes, std::size_t chunkBytes) {
    return kPrefixBytes + plainBytes + (plainBytes / chunkBytes + 1) * kChunkOverhead;
}

}  // namespace

const ClassInfo& Main::describe() {
    return methodClassInfo<Main>();
}

Main::Main() : Main(Parameters::defaults()) {}

Main::Main(const Parameters& sealing)
    : m_sealing(sealing), m_methodName(kMethodName), m_system(makeObject<SystemObject>()) {}

std::u16string Main::MethodName() const {
    return m_methodName;
}

// The key is copied while the lock is held: the entry it comes from may go once others derive keys.
void Main::holdSealingKey(Workspace& work, std::u16string_view password, ContainerHeader& header) {
    const auto utf8 = work.password(password);
    std::lock_guard lock(m_keysLock);
    work.holdKey(m_keys.forSealing(utf8, m_sealing, header).bytes());
}

void Main::holdOpeningKey(Workspace& work, std::u16string_view password, const ContainerHeader& header) {
    const auto utf8 = work.password(password);
    std::lock_guard lock(m_keysLock);
    work.holdKey(m_keys.forOpening(utf8, header).bytes());
}

std::vector<std::uint8_t> Main::sealBytes(std::span<const std::uint8_t> plain, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(plain);
    std::vector<std::uint8_t> sealed;
    sealed.reserve(sealedSize(plain.size(), m_sealing.chunkBytes));
    MemorySink sink(sealed);
    const auto work = m_workspaces.take();
    ContainerHeader header{};
    holdSealingKey(*work, password, header);
    ChunkReporter reporter(m_reports, m_system, handler);
    seal(source, sink, header, *work, reporter);
    return sealed;
}

std::vector<std::uint8_t> Main::openBytes(std::span<const std::uint8_t> sealed, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(sealed);
    const ContainerStart start = readStart(source);
    const auto work = m_workspaces.take();
    holdOpeningKey(*work, password, start.header);
    std::vector<std::uint8_t> plain;
    plain.reserve(sealed.size());
    MemorySink sink(plain);
    ChunkReporter reporter(m_reports, m_system, handler);
    openChunks(start, source, sink, *work, reporter);
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
        return textOf(openBytes(fromHexText(Text), KEY, objEventHandler));
    });
}

bool Main::EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseMethodError(methodError::SourceMissing);
        FileSource source(SourceFile);
        FileSink destination(DestFile, ReplacementFile::NewFile::Shared);
        const auto work = m_workspaces.take();
        ContainerHeader header{};
        holdSealingKey(*work, KEY, header);
        ChunkReporter reporter(m_reports, m_system, objEventHandler);
        seal(source, destination, header, *work, reporter);
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
        const auto work = m_workspaces.take();
        holdOpeningKey(*work, KEY, start.header);
        ChunkReporter reporter(m_reports, m_system, objEventHandler);
        openChunks(start, source, destination, *work, reporter);
        destination.commit();  // only once the FINAL chunk has been verified
        return true;
    });
}

bool Main::FileExist(std::u16string& FileName) {
    if (FileName.empty()) return false;
    // Whether its length can be read: what the name leads to exists. No attribute is wanted here.
    return fileEntryOf(toUtf8(FileName), true).kind != EntryKind::Missing;
}

}  // namespace velmora::argonbox
