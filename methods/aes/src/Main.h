// Main: the AES encryption method. Byte arrays, strings and whole files are framed (length, data, zero
// padding), enciphered block by block with Rijndael-256/256 under a key taken from the password's
// characters, and reported on through the caller's handler (RaiseProgress, RaiseError) and this
// object's own Progress and Error events. Long operations never raise: errors go through the error path
// and the call returns its empty result.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ProgressThreshold.h"
#include "aes/RijndaelCipher.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/Marshal.h"
#include "component/OperationReports.h"
#include "system/SystemObject.h"

namespace velmora {

class Main : public Dispatchable<Main> {
  public:
    static const ClassInfo& describe();

    Main();
    ~Main() override;

    EventSource* events() noexcept override { return &m_events; }

    // Stored and returned; no operation reads it.
    const std::u16string& KEY() const noexcept { return m_KEY; }
    void setKEY(const std::u16string& value);
    std::u16string MethodName() const;
    std::u16string WebAddress() const;

    ByteArrayArg EncryptByte(ByteArrayArg& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    ByteArrayArg DecryptByte(ByteArrayArg& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    std::u16string EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    std::u16string DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    bool EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool FileExist(std::u16string& FileName);

    // The block cipher itself.
    void gentables();
    void gkey(std::int32_t nb, std::int32_t nk, ByteArrayArg& KEY);
    void Encrypt(ByteArrayArg& buff);
    void Decrypt(ByteArrayArg& buff);

  private:
    void yieldToQueue();

    // The tables and the password's key schedule; the files of a run, one password, share them.
    void prepareCipher(std::u16string_view password);
    void cipherBlocks(std::span<std::uint8_t> data, bool decrypt, const ObjectRef& handler,
                      ProgressThreshold& progress, std::size_t base);
    // The byte operations' work on a frame the caller laid out; false (or nothing) for the empty result,
    // any error reported as the byte operation's own.
    bool encipherFrame(std::span<std::uint8_t> frame, std::u16string_view password, const ObjectRef& handler);
    std::optional<std::span<std::uint8_t>> decipherFrame(std::span<std::uint8_t> data,
                                                         std::u16string_view password,
                                                         const ObjectRef& handler);

    std::u16string m_KEY;
    std::u16string m_methodName;
    std::u16string m_webAddress;
    Ref<SystemObject> m_system;
    RijndaelCipher m_cipher;
    EventSource m_events{*this};
    OperationReports m_reports{m_events};
};

}  // namespace velmora
