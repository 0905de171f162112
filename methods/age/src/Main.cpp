#include "Main.h"

#include "FileKeys.h"
#include "Payload.h"
#include "SealedInput.h"
#include "argon/ByteArguments.h"
#include "argon/ChunkReporter.h"
#include "argon/FileSink.h"
#include "argon/FileSource.h"
#include "argon/HexText.h"
#include "argon/MethodClass.h"
#include "argon/MethodErrors.h"
#include "platform/entry.h"
#include "runtime/text.h"

namespace velmora::ageseal {
namespace {

using namespace argonbox;

constexpr std::u16string_view kMethodName = u"age (scrypt, ChaCha20-Poly1305) - opens with any age tool";
constexpr int kWorkFactor = 18;

std::size_t sealedSize(std::size_t plainBytes) {
    constexpr std::size_t kHeaderBytes = 200;  // about: the version, stanza and MAC lines
    return kHeaderBytes + kPayloadNonceBytes + plainBytes + (plainBytes / kChunkBytes + 1) * kTagBytes;
}

}  // namespace

const ClassInfo& Main::describe() {
    return methodClassInfo<Main>();
}

Main::Main() : Main(kWorkFactor) {}

Main::Main(int workFactor) : m_workFactor(workFactor), m_system(makeObject<SystemObject>()) {}

std::u16string Main::MethodName() const {
    return std::u16string(kMethodName);
}

void Main::seal(ByteSource& plain, ByteSink& sealed, std::u16string_view password, const ObjectRef& handler) {
    const auto work = m_workspaces.take();
    sealed.write(bytesOf(FileKeys::process().forSealing(work->password(password), m_workFactor, *work)));
    ChunkReporter reporter(m_reports, m_system, handler);
    sealPayload(plain, sealed, *work, reporter);
}

void Main::open(SealedInput& sealed, ByteSink& plain, std::u16string_view password,
                const ObjectRef& handler) {
    const auto work = m_workspaces.take();
    FileKeys::process().forOpening(work->password(password), sealed.header(), *work);
    ChunkReporter reporter(m_reports, m_system, handler);
    openPayload(sealed.payload(), sealed.payloadSize(), plain, *work, reporter);
}

std::vector<std::uint8_t> Main::sealBytes(std::span<const std::uint8_t> plain, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(plain);
    std::vector<std::uint8_t> sealed;
    sealed.reserve(sealedSize(plain.size()));
    MemorySink sink(sealed);
    seal(source, sink, password, handler);
    return sealed;
}

std::vector<std::uint8_t> Main::openBytes(std::span<const std::uint8_t> sealed, std::u16string_view password,
                                          const ObjectRef& handler) {
    MemorySource source(sealed);
    SealedInput input(source);
    std::vector<std::uint8_t> plain;
    plain.reserve(sealed.size());
    MemorySink sink(plain);
    open(input, sink, password, handler);
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
        seal(source, destination, KEY, objEventHandler);
        destination.commit();
        return true;
    });
}

bool Main::DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseMethodError(methodError::SourceMissing);
        FileSource source(SourceFile);
        SealedInput input(source);  // a foreign file is refused before anything is made
        // Decrypted data is nobody else's to read.
        FileSink destination(DestFile, ReplacementFile::NewFile::OwnerOnly);
        open(input, destination, KEY, objEventHandler);
        destination.commit();  // only once the last chunk has been verified
        return true;
    });
}

bool Main::FileExist(std::u16string& FileName) {
    if (FileName.empty()) return false;
    // Whether its length can be read: what the name leads to exists. No attribute is wanted here.
    return fileEntryOf(toUtf8(FileName), true).kind != EntryKind::Missing;
}

}  // namespace velmora::ageseal
