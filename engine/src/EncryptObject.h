// The engine's facade: byte arrays, strings and files are encrypted and decrypted by the plug-in the
// client selected, called by method name with the engine's stored key (by reference) and its event
// source. The plug-ins come from the folder "Encryption" beside this library. Progress and errors the
// plug-in reports reach the client's IEventHandler synchronously, with this object as objEncrypt.
#pragma once

#include <cstdint>
#include <string>

#include "EventHandler.h"
#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "component/Marshal.h"
#include "plugins/PlugIns.h"

namespace velmora {

class FileObject;

// Published for clients; the engine itself never reads or sets it.
enum EncryptingStatuses : std::int32_t {
    Idle = 0,
    Encrypting = 3,
    Decrypting = 4,
};

class EncryptObject : public Dispatchable<EncryptObject> {
  public:
    static const ClassInfo& describe();

    // Loads the plug-ins; an error while loading them fails the creation with that error.
    EncryptObject();
    ~EncryptObject() override;

    const ObjectRef& IEventHandler() const noexcept { return m_client; }
    // Error 13 for an object whose member table lacks Progress or Error.
    void setIEventHandler(ObjectRef value);
    const std::u16string& Key() const noexcept { return m_key; }
    void setKey(const std::u16string& value);
    Variant EncryptionMethods() const { return Variant(m_methods); }
    void setEncryptionMethods(Ref<PlugIns> value) { m_methods = std::move(value); }
    std::int32_t SelectedMethod() const noexcept { return m_selectedMethod; }
    // Out of 1..Count: the client's Error notification (9) and the old value stays.
    void setSelectedMethod(std::int32_t value);

    ByteArrayArg EncryptByte(ByteArrayArg& ByteIn, std::u16string& Key);
    ByteArrayArg DecryptByte(ByteArrayArg& ByteIn, std::u16string& Key);
    std::u16string EncryptString(std::u16string& Text, std::u16string& Key);
    std::u16string DecryptString(std::u16string& Text, std::u16string& Key);
    bool EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& Key);
    bool DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& Key);

  private:
    ByteArrayArg byteOperation(std::u16string_view method, ByteArrayArg& ByteIn, std::u16string& Key);
    std::u16string stringOperation(std::u16string_view method, std::u16string& Text, std::u16string& Key);
    bool fileOperation(std::u16string_view method, std::u16string& SourceFile, std::u16string& DestFile,
                       std::u16string& Key);
    // A non-empty key replaces the stored one; false when there is no stored key to work with.
    bool takeKey(const std::u16string& key);
    ObjectRef selectedPlugIn() const;
    template <class... A>
    Variant callPlugIn(std::u16string_view method, A&&... dataArguments);
    void routeNotification(std::u16string_view event, std::span<Variant> args);

    Ref<EventHandler> m_events;
    EventSource::Cookie m_listening = 0;
    ObjectRef m_client;
    Ref<PlugIns> m_methods;
    Ref<FileObject> m_probe;
    std::u16string m_key;
    std::int32_t m_selectedMethod = 0;
};

}  // namespace velmora
