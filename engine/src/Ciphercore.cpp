// The engine's class table: the facade, the event source, the default callback and the status values.
#include "EncryptObject.h"
#include "EventHandler.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "engine/IEventHandler.h"

namespace {

velmora::ClassTable makeClassTable() {
    return velmora::ClassTable(u"Ciphercore")
        .add<velmora::EncryptObject>(u"{2718A200-DE6D-4E6D-87D7-94DD95055773}", u"Ciphercore.EncryptObject")
        .add<velmora::EventHandler>(u"{168B6C30-D4B2-43E1-8A5D-3101A3F21C48}", u"Ciphercore.EventHandler")
        .add<velmora::IEventHandler>(u"{3C1E8A52-6F04-4B7D-9E21-5A8D0C7F4B36}", u"Ciphercore.IEventHandler")
        .enumeration(u"EncryptingStatuses", {{u"Idle", 0}, {u"Encrypting", 3}, {u"Decrypting", 4}});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
