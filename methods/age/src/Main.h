// Main: the method whose files any tool of the age format opens (docs/formats/ageseal.md): a passphrase's
// scrypt stanza wraps the file key, the payload is ChaCha20-Poly1305 in chunks of 64 KiB. It offers what
// Argonbox offers, with the same results, errors and notifications: byte arrays, strings (as hexadecimal
// text) and files, files read and written chunk by chunk, a destination changed only when the whole
// result is known to be good. Binary files are written; armoured ones are read too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Workspace.h"
#include "argon/Streams.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/OperationReports.h"
#include "system/SystemObject.h"

namespace velmora::ageseal {

class SealedInput;

class Main : public Dispatchable<Main> {
  public:
    static const ClassInfo& describe();

    // What the plug-in writes: scrypt's work factor 18, as other tools of the format write it. Another
    // factor serves tests that must not spend that derivation on every file; reading takes the file's own.
    Main();
    explicit Main(int workFactor);

    EventSource* events() noexcept override { return &m_events; }

    std::u16string MethodName() const;

    Variant EncryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    Variant DecryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    std::u16string EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    std::u16string DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    bool EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool FileExist(std::u16string& FileName);

  private:
    void seal(argonbox::ByteSource& plain, argonbox::ByteSink& sealed, std::u16string_view password,
              const ObjectRef& handler);
    void open(SealedInput& sealed, argonbox::ByteSink& plain, std::u16string_view password,
              const ObjectRef& handler);
    std::vector<std::uint8_t> sealBytes(std::span<const std::uint8_t> plain, std::u16string_view password,
                                        const ObjectRef& handler);
    std::vector<std::uint8_t> openBytes(std::span<const std::uint8_t> sealed, std::u16string_view password,
                                        const ObjectRef& handler);

    int m_workFactor;
    Workspaces m_workspaces;
    Ref<SystemObject> m_system;
    EventSource m_events{*this};
    OperationReports m_reports{m_events};
};

}  // namespace velmora::ageseal
