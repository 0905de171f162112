#include "Main.h"

#include <string.h>  // explicit_bzero

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "DerivedKey.h"
#include "InputFile.h"
#include "component/calls.h"
#include "fileerrors.h"
#include "frame.h"
#include "hex.h"
#include "platform/ReplacementFile.h"
#include "platform/attributes.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr std::u16string_view kMethodName = u"256 bit - Rinjdael - AES";
constexpr std::u16string_view kWebAddress = u"https://csrc.nist.gov/pubs/fips/197/final";

// At most one report per percent: a report at the block at offset o, then none until o passes the
// next whole percent of the total. Double precision and halves to even, as the reports have always
// been computed, so that their values do not shift.
class ProgressThreshold {
  public:
    explicit ProgressThreshold(std::size_t total) : m_total(static_cast<double>(total)) {}

    bool due(std::size_t offset) const noexcept { return static_cast<double>(offset) >= m_next; }
    std::int32_t advance(std::size_t offset) noexcept {
        const auto percent =
            static_cast<std::int32_t>(std::floor(static_cast<double>(offset) / m_total * 100.0));
        m_next = std::nearbyint((percent + 1) / 100.0 * m_total + 1);
        return percent;
    }

  private:
    double m_total;
    double m_next = 0;
};

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

// A whole file in memory, left uninitialised: every byte is read or written before it is used.
class Buffer {
  public:
    Buffer() = default;
    explicit Buffer(std::size_t size)
        : m_data(std::make_unique_for_overwrite<std::uint8_t[]>(size)), m_size(size) {}
    std::span<std::uint8_t> bytes() const noexcept { return {m_data.get(), m_size}; }

  private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size = 0;
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

// The error path of every data operation: the handler's RaiseError, then the Error event, then the
// empty result. The error does not reach the caller.
template <class Result, class Body>
Result Main::guarded(std::u16string_view operation, const ObjectRef& handler, Result empty, Body&& body) {
    try {
        return body();
    } catch (const RuntimeError& error) {
        reportError(error, operation, handler);
    } catch (const std::bad_alloc&) {
        reportError(RuntimeError(err::OutOfMemory), operation, handler);
    } catch (const std::length_error&) {
        reportError(RuntimeError(err::OutOfMemory), operation, handler);
    }
    return empty;
}

void Main::reportError(const RuntimeError& error, std::u16string_view operation, const ObjectRef& handler) {
    Variant number(error.number());
    Variant description(error.description());
    Variant source(error.source().empty() ? u"Main:" + std::u16string(operation) : error.source());
    if (handler) call(handler, u"RaiseError", number, description, source);
    m_events.fire(u"Error", number, description, source);
}

void Main::reportProgress(std::int32_t percent, const ObjectRef& handler) {
    Variant value(percent);
    if (handler) call(handler, u"RaiseProgress", value);
    m_events.fire(u"Progress", value);
}

void Main::yieldToQueue() {
    if (!m_system) m_system = makeObject<SystemObject>();
    m_system->Do_Events();
}

void Main::prepareCipher(std::u16string_view password) {
    const DerivedKey key(password);
    m_cipher.gentables();
    m_cipher.gkey(8, 8, key.bytes());
}

void Main::cipherBlocks(std::span<std::uint8_t> data, bool decrypt, const ObjectRef& handler) {
    struct Scrub {
        ~Scrub() { RijndaelCipher::scrubBlockState(); }
    } scrub;
    ProgressThreshold progress(data.size());
    for (std::size_t offset = 0; offset < data.size(); offset += kBlockBytes) {
        std::uint8_t* block = data.data() + offset;
        decrypt ? m_cipher.decryptBlock256(block) : m_cipher.encryptBlock256(block);
        if (progress.due(offset)) reportProgress(progress.advance(offset), handler);
        yieldToQueue();
    }
}

bool Main::encipherFrame(std::span<std::uint8_t> frame, std::u16string_view password,
                         const ObjectRef& handler) {
    return guarded(u"EncryptByte", handler, false, [&] {
        prepareCipher(password);
        cipherBlocks(frame, false, handler);
        return true;
    });
}

std::optional<std::span<std::uint8_t>> Main::decipherFrame(std::span<std::uint8_t> data,
                                                           std::u16string_view password,
                                                           const ObjectRef& handler) {
    using Result = std::optional<std::span<std::uint8_t>>;
    return guarded(u"DecryptByte", handler, Result{}, [&]() -> Result {
        if (data.size() % kBlockBytes != 0) return std::nullopt;
        prepareCipher(password);
        cipherBlocks(data, true, handler);
        const std::optional<std::size_t> length = frameDataLength(data);
        if (!length) return std::nullopt;
        return data.subspan(kLengthBytes, *length);
    });
}

ByteArrayArg Main::EncryptByte(ByteArrayArg& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler) {
    return guarded(u"EncryptByte", objEventHandler, ByteArrayArg::empty(), [&] {
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
    return guarded(u"DecryptByte", objEventHandler, ByteArrayArg::empty(), [&] {
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
    return guarded(u"EncryptString", objEventHandler, std::u16string(), [&] {
        if (Text.empty() || KEY.empty()) return std::u16string();
        ByteArrayArg bytes = ByteArrayArg::of(utf16Bytes(Text));
        const ByteArrayArg encrypted = EncryptByte(bytes, KEY, objEventHandler);
        return toHexText(encrypted.value.arrayRef().bytes());  // an empty result fails here with 9
    });
}

std::u16string Main::DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler) {
    return guarded(u"DecryptString", objEventHandler, std::u16string(), [&] {
        if (Text.empty() || KEY.empty()) return std::u16string();
        ByteArrayArg bytes = ByteArrayArg::of(fromHexText(Text));
        const ByteArrayArg plain = DecryptByte(bytes, KEY, objEventHandler);
        if (!plain.hasBounds()) return std::u16string();
        return textOfUtf16Bytes(plain.value.arrayRef().bytes());
    });
}

bool Main::EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return guarded(u"EncryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseSourceMissing(u"EncryptFile");
        // One buffer laid out as the frame: the file is read in behind the length and enciphered in place.
        Buffer frame;
        {
            InputFile input(SourceFile);
            if (input.size() == 0) raise(err::SubscriptOutOfRange);
            const auto length = static_cast<std::size_t>(input.size());
            frame = Buffer(frameSize(input.size()));
            writeFrameLength(frame.bytes(), static_cast<std::int32_t>(length));
            input.readInto(frame.bytes().subspan(kLengthBytes, length));
            std::fill(frame.bytes().begin() + kLengthBytes + length, frame.bytes().end(), std::uint8_t{0});
        }
        if (!encipherFrame(frame.bytes(), KEY, objEventHandler)) return false;
        replaceFile(DestFile, frame.bytes(), ReplacementFile::NewFile::Shared);
        return true;
    });
}

bool Main::DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                       ObjectRef& objEventHandler) {
    return guarded(u"DecryptFile", objEventHandler, false, [&] {
        if (!FileExist(SourceFile)) raiseSourceMissing(u"DecryptFile");
        Buffer data;
        {
            InputFile input(SourceFile);
            if (input.size() == 0) raise(err::SubscriptOutOfRange);
            if (input.size() > std::numeric_limits<std::int32_t>::max()) raise(err::Overflow);
            data = Buffer(static_cast<std::size_t>(input.size()));
            input.readInto(data.bytes());
        }
        const auto plain = decipherFrame(data.bytes(), KEY, objEventHandler);
        if (!plain) return false;  // refused or reported: the destination keeps what it held
        replaceFile(DestFile, *plain, ReplacementFile::NewFile::OwnerOnly);  // nobody else's to read
        return true;
    });
}

bool Main::FileExist(std::u16string& FileName) {
    if (FileName.empty()) return false;
    return GetFileAttributesA(toUtf8(FileName).c_str()) != INVALID_FILE_ATTRIBUTES;
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
