// Main: the authenticated encryption method. Byte arrays, strings and files become containers (an
// Argon2id-keyed XChaCha20-Poly1305 secret stream in chunks, docs/formats/argonbox.md); files are read
// and written chunk by chunk. Progress and errors go to the caller's handler (RaiseProgress, RaiseError)
// and to this object's own Progress and Error events; the operations never raise, they report and return
// their empty result, and a destination file changes only when the whole result is known to be good.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "ContainerHeader.h"
#include "DerivedKeys.h"
#include "Workspace.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/OperationReports.h"
#include "system/SystemObject.h"

namespace velmora::argonbox {

class Main : public Dispatchable<Main> {
  public:
    static const ClassInfo& describe();

    // What the plug-in writes: Parameters::defaults(), under one salt per password for the object's life.
    // Other parameters serve tests that must not spend the default key derivation on every container; reading
    // always follows the container's header.
    Main();
    explicit Main(const Parameters& sealing);

    EventSource* events() noexcept override { return &m_events; }

    std::u16string MethodName() const;

    // ByteIn is a byte array; one without bounds gives the empty result without a report. The result is
    // a byte array: the container, or the plain bytes (no element for empty data); on failure an array
    // without bounds.
    Variant EncryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    Variant DecryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& objEventHandler);
    // The text's UTF-8 bytes; the container as upper-case hexadecimal text (read in either case). An empty
    // KEY gives an empty string without a report.
    std::u16string EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    std::u16string DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& objEventHandler);
    // True once the destination holds the whole result; false after a reported error, the destination as
    // it was. SourceFile and DestFile may name the same file.
    bool EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& objEventHandler);
    bool FileExist(std::u16string& FileName);

  private:
    std::vector<std::uint8_t> sealBytes(std::span<const std::uint8_t> plain, std::u16string_view password,
                                        const ObjectRef& handler);
    std::vector<std::uint8_t> openBytes(std::span<const std::uint8_t> sealed, std::u16string_view password,
                                        const ObjectRef& handler);
    // The password into work, and the stream key for it into work: header is the one to write (sealing)
    // or the container's (opening).
    void holdSealingKey(Workspace& work, std::u16string_view password, ContainerHeader& header);
    void holdOpeningKey(Workspace& work, std::u16string_view password, const ContainerHeader& header);

    Parameters m_sealing;
    std::mutex m_keysLock;
    DerivedKeys m_keys;  // one derivation per password for all the containers of this object's life
    Workspaces m_workspaces;
    std::u16string m_methodName;
    Ref<SystemObject> m_system;
    EventSource m_events{*this};
    OperationReports m_reports{m_events};
};

}  // namespace velmora::argonbox
