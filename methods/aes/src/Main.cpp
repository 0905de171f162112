#include "Main.h"

#include <string.h>  // explicit_bzero

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "BlockRunner.h"
#include "DerivedKey.h"
#include "Destination.h"
#include "InputFile.h"
#include "ProgressThreshold.h"
#include "component/calls.h"
#include "component/fileerrors.h"
#include "frame.h"
#include "hex.h"
#include "platform/ReplacementFile.h"
#include "platform/entry.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr std::u16string_view kMethodName = u"256 bit - Rinjdael - AES";
constexpr std::u16string_view kWebAddress = u"https://csrc.nist.gov/pubs/fips/197/final";

// The elements at indices 0 to the upper bound, as the operations read an array "starting at 0"; an
// array that has no index 0 gives nothing, so that reading from it is out of range.
std::span<const std::uint8_t> elementsFromZero(const SafeArray& array) {
    if (array.dimensions() != 1 || array.lowerBound() > 0 || array.upperBound() < 0) return {};
    return std::span(array.bytes())
        .subspan(static_cast<std::size_t>(-static_cast<std::int64_t>(array.lowerBound())));
}

std::span<std::uint8_t> mutableElementsFromZero(SafeArray& array) {
    if (array.dimensions() != 1 || array.lowerBound() > 0 || array.upperBound() < 0) return {};
    return std::span(array.bytes())
        .subspan(static_cast<std::size_t>(-static_cast<std::int64_t>(array.lowerBound())));
}

std::vector<std::uint8_t> utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    return bytes;
}

// Two bytes per character, low byte first; an odd last byte makes no character.
std::u16string textOfUtf16Bytes(std::span<const std::uint8_t> bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return text;
}

// The file operations take the frame a chunk at a time: memory stays the same for a file of any size, and
// a chunk stays in the processor's caches from the read through the cipher to the write.
constexpr std::size_t kChunkBytes = 16 * BlockRunner::kPieceBytes;  // a whole number of blocks

// A chunk of a frame in memory, wiped when done: it holds plaintext.
class Chunk {
  public:
    explicit Chunk(std::size_t frameSize)
        : m_frameSize(frameSize),
          m_size(std::min(frameSize, kChunkBytes)),
          m_data(std::make_unique_for_overwrite<std::uint8_t[]>(m_size)) {}
    ~Chunk() { explicit_bzero(m_data.get(), m_size); }
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;

    // The chunk's memory for the frame's bytes from start (a multiple of kChunkBytes) on.
    std::span<std::uint8_t> at(std::size_t start) const noexcept {
        return {m_data.get(), std::min(m_size, m_frameSize - start)};
    }

  private:
    std::size_t m_frameSize, m_size;
    std::unique_ptr<std::uint8_t[]> m_data;
};

[[noreturn]] void raiseSourceMissing(std::u16string_view operation) {
    raise(vbObjectError,
          u"Error in Rijindael " + std::u16string(operation) + u" procedure (Source file does not exist).",
          u"");
}

}  // namespace

const ClassInfo& Main::describe() {
    static const ClassInfo info =
        ClassBuilder<Main>(u"Main")
            .property(u"KEY", &Main::KEY, &Main::setKEY)
            .propertyGet(u"MethodName", &Main::MethodName)
            .propertyGet(u"WebAddress", &Main::WebAddress)
            .method(u"EncryptByte", &Main::EncryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptByte", &Main::DecryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptString", &Main::EncryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptString", &Main::DecryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptFile", &Main::EncryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptFile", &Main::DecryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"FileExist", &Main::FileExist, {u"FileName"})
            .method(u"gentables", &Main::gentables)
            .method(u"gkey", &Main::gkey, {u"nb", u"nk", u"KEY"})
            .method(u"Encrypt", &Main::Encrypt, {u"buff"})
            .method(u"Decrypt", &Main::Decrypt, {u"buff"})
            .event(u"Progress", {arg(u"Percent", VarType::Long)})
            .event(u"Error", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String),
                              arg(u"Source", VarType::String)})
            .build();
    return info;
}

Main::Main() : m_methodName(kMethodName), m_webAddress(kWebAddress), m_system(makeObject<SystemObject>()) {}

Main::~Main() {
    // The password and the key schedule go with the object, not into freed memory.
    explicit_bzero(m_KEY.data(), m_KEY.size() * sizeof(char16_t));
    m_cipher.wipe();
}

void Main::setKEY(const std::u16string& value) {
    explicit_bzero(m_KEY.data(), m_KEY.size() * sizeof(char16_t));
    m_KEY = value;
}

std::u16string Main::MethodName() const {
    return m_methodName;
}

std::u16string Main::WebAddress() const {
    return m_webAddress;
}

void Main::yieldToQueue() {
    if (!m_system) m_system = makeObject<SystemObject>();
    m_system->Do_Events();
}

void Main::prepareCipher(std::u16string_view password) {
    const DerivedKey key(password);
    if (m_cipher.keyedWith(8, 8, key.bytes())) return;
    m_cipher.gentables();
    m_cipher.gkey(8, 8, key.bytes());
}

// The blocks go through in pieces on every core. The calling thread takes them in order as the pieces
// complete: progress checked and the queue asked after every block, as if it had enciphered them itself.
// `base` is the offset of data in the whole run that progress counts.
void Main::cipherBlocks(std::span<std::uint8_t> data, bool decrypt, const ObjectRef& handler,
                        ProgressThreshold& progress, std::size_t base) {
    struct Scrub {
        ~Scrub() { RijndaelCipher::scrubBlockState(); }
    } scrub;
    BlockRunner runner(m_cipher, data, decrypt);
    for (std::size_t offset = 0; offset < data.size();) {
        for (const std::size_t done = runner.work(); offset < done; offset += kBlockBytes) {
            if (progress.due(base + offset))
                m_reports.reportProgress(progress.advance(base + offset), handler);
            yieldToQueue();
        }
    }
}

bool Main::encipherFrame(std::span<std::uint8_t> frame, std::u16string_view password,
                         const ObjectRef& handler) {
    return m_reports.guarded(u"EncryptByte", handler, false, [&] {
        prepareCipher(password);
        ProgressThreshold progress(frame.size());
        cipherBlocks(frame, false, handler, progress, 0);
        return true;
    });
}

std::optional<std::span<std::uint8_t>> Main::decipherFrame(std::span<std::uint8_t> data,
                                                           std::u16string_view password,
                                                           const ObjectRef& handler) {
    using Result = std::optional<std::span<std::uint8_t>>;
    return m_reports.guarded(u"DecryptByte", handler, Result{}, [&]() -> Result {
        if (data.size() % kBlockBytes != 0) return std::nullopt;
        prepareCipher(password);
        ProgressThreshold progress(data.size());
        cipherBlocks(data, true, handler, progress, 0);
        const std::optional<std::size_t> length = frameDataLength(data);
        if (!length) return std::nullopt;
        return data.subspan(kLengthBytes, *length);
    });
}

ByteArrayArg Main::EncryptByte(ByteArrayArg& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptByte", objEventHandler, ByteArrayArg::empty(), [&] {
        if (!ByteIn.hasBounds()) return ByteArrayArg::empty();
        const std::int64_t length = static_cast<std::int64_t>(ByteIn.value.ubound()) + 1;
        const std::span<const std::uint8_t> data = elementsFromZero(ByteIn.value.arrayRef());
        if (length == 0 || static_cast<std::int64_t>(data.size()) < length) raise(err::SubscriptOutOfRange);
        std::vector<std::uint8_t> frame(frameSize(length));
        writeFrameLength(frame, static_cast<std::int32_t>(length));
        std::copy_n(data.begin(), length, frame.begin() + kLengthBytes);
        if (!encipherFrame(frame, KEY, objEventHandler)) return ByteArrayArg::empty();
        return ByteArrayArg::of(std::move(frame));
    });
}

ByteArrayArg Main::DecryptByte(ByteArrayArg& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptByte", objEventHandler, ByteArrayArg::empty(), [&] {
        if (!ByteIn.hasBounds()) return ByteArrayArg::empty();
        const std::int64_t total = static_cast<std::int64_t>(ByteIn.value.ubound()) + 1;
        if (total % static_cast<std::int64_t>(kBlockBytes) != 0) return ByteArrayArg::empty();
        const std::span<const std::uint8_t> data = elementsFromZero(ByteIn.value.arrayRef());
        if (static_cast<std::int64_t>(data.size()) < total) raise(err::SubscriptOutOfRange);
        std::vector<std::uint8_t> plain(data.begin(), data.begin() + total);
        const auto text = decipherFrame(plain, KEY, objEventHandler);
        if (!text) return ByteArrayArg::empty();
        const std::size_t length = text->size();
        plain.erase(plain.begin(), plain.begin() + kLengthBytes);
        plain.resize(length);
        return ByteArrayArg::of(std::move(plain));
    });
}

std::u16string Main::EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptString", objEventHandler, std::u16string(), [&] {
        if (Text.empty() || KEY.empty()) return std::u16string();
        ByteArrayArg bytes = ByteArrayArg::of(utf16Bytes(Text));
        const ByteArrayArg encrypted = EncryptByte(bytes, KEY, objEventHandler);
        return toHexText(encrypted.value.arrayRef().bytes());  // an empty result fails here with 9
    });
}

std::u16string Main::DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptString", objEventHandler, std::u16string(), [&] {
        if (Text.empty() || KEY.empty()) return std::u16string();
        ByteArrayArg bytes = ByteArrayArg::of(fromHexText(Text));
        const ByteArrayArg plain = DecryptByte(bytes, KEY, objEventHandler);
        if (!plain.hasBounds()) return std::u16string();
        return textOfUtf16Bytes(plain.value.arrayRef().bytes());
    });
}

// The frame goes through a chunk at a time: the length field and the file's data read in, enciphered, written
// out. Errors of the cipher step are the byte operation's, as when the file went through EncryptByte.
bool Main::EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"EncryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseSourceMissing(u"EncryptFile");
        InputFile input(SourceFile);
        if (input.size() == 0) raise(err::SubscriptOutOfRange);
        const auto length = static_cast<std::size_t>(input.size());
        const std::size_t total = frameSize(input.size());
        const std::size_t dataEnd = kLengthBytes + length;
        Destination output(DestFile, ReplacementFile::NewFile::Shared);
        const Chunk chunk(total);
        ProgressThreshold progress(total);
        for (std::size_t start = 0; start < total; start += kChunkBytes) {
            const std::span<std::uint8_t> piece = chunk.at(start);
            const std::size_t from = std::max(start, kLengthBytes);
            const std::size_t to = std::max(from, std::min(start + piece.size(), dataEnd));
            if (start == 0) writeFrameLength(piece, static_cast<std::int32_t>(length));
            input.readInto(piece.subspan(from - start, to - from));
            std::fill(piece.begin() + static_cast<std::ptrdiff_t>(to - start), piece.end(), std::uint8_t{0});
            const bool enciphered = m_reports.guarded(u"EncryptByte", objEventHandler, false, [&] {
                if (start == 0) prepareCipher(KEY);
                cipherBlocks(piece, false, objEventHandler, progress, start);
                return true;
            });
            if (!enciphered) return false;
            output.write(piece);
        }
        output.commit();
        return true;
    });
}

// The frame's length is checked as soon as its first chunk is deciphered, so that a wrong password stops
// there; the padding when the last one is. Nothing reaches the destination unless the whole frame passes.
bool Main::DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return m_reports.guarded(u"DecryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseSourceMissing(u"DecryptFile");
        InputFile input(SourceFile);
        if (input.size() == 0) raise(err::SubscriptOutOfRange);
        if (input.size() > std::numeric_limits<std::int32_t>::max()) raise(err::Overflow);
        const auto total = static_cast<std::size_t>(input.size());
        if (total % kBlockBytes != 0) return false;  // no frame of this format: refused, nothing reported
        Destination output(DestFile, ReplacementFile::NewFile::OwnerOnly);  // nobody else's to read
        const Chunk chunk(total);
        ProgressThreshold progress(total);
        std::size_t dataEnd = 0;
        for (std::size_t start = 0; start < total; start += kChunkBytes) {
            const std::span<std::uint8_t> piece = chunk.at(start);
            input.readInto(piece);
            const bool deciphered = m_reports.guarded(u"DecryptByte", objEventHandler, false, [&] {
                if (start == 0) prepareCipher(KEY);
                cipherBlocks(piece, true, objEventHandler, progress, start);
                if (start > 0) return true;
                const std::optional<std::size_t> length = frameLengthFor(piece, total);
                dataEnd = length ? kLengthBytes + *length : 0;
                return length.has_value();
            });
            if (!deciphered) return false;  // refused or reported: the destination keeps what it held
            const std::size_t from = std::max(start, kLengthBytes);
            const std::size_t to = std::max(from, std::min(start + piece.size(), dataEnd));
            if (!isZeroPadding(piece.subspan(to - start))) return false;
            output.write(piece.subspan(from - start, to - from));
        }
        output.commit();
        return true;
    });
}

bool Main::FileExist(std::u16string& FileName) {
    if (FileName.empty()) return false;
    // Whether its length can be read: what the name leads to exists. No attribute is wanted here.
    return fileEntryOf(toUtf8(FileName), true).kind != EntryKind::Missing;
}

void Main::gentables() {
    m_cipher.gentables();
}

void Main::gkey(std::int32_t nb, std::int32_t nk, ByteArrayArg& KEY) {
    std::span<const std::uint8_t> key;
    if (KEY.hasBounds()) key = elementsFromZero(KEY.value.arrayRef());
    m_cipher.gkey(nb, nk, key);
}

void Main::Encrypt(ByteArrayArg& buff) {
    // Copy on write: the caller's array changes only when the block is done.
    SafeArray& array = buff.value.arrayMut();
    m_cipher.encrypt(mutableElementsFromZero(array));
}

void Main::Decrypt(ByteArrayArg& buff) {
    SafeArray& array = buff.value.arrayMut();
    m_cipher.decrypt(mutableElementsFromZero(array));
}

}  // namespace velmora
