// The library's class table: registry access, file associations, the recent-file list and server
// registration, with the root-key enumeration and the records the registry calls use.
#include "AssociationObject.h"
#include "CollectionObject.h"
#include "FileTimeRecord.h"
#include "MRUObject.h"
#include "RegistryObject.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "registry/RegServerObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Hivekeep")
        .add<RegistryObject>(u"{8D2F4A60-1E93-4B7C-A5D8-3C6E9F0B2A11}", u"Hivekeep.RegistryObject")
        .add<AssociationObject>(u"{8D2F4A60-1E93-4B7C-A5D8-3C6E9F0B2A12}", u"Hivekeep.AssociationObject")
        .add<MRUObject>(u"{8D2F4A60-1E93-4B7C-A5D8-3C6E9F0B2A13}", u"Hivekeep.MRUObject")
        .add<RegServerObject>(u"{8D2F4A60-1E93-4B7C-A5D8-3C6E9F0B2A14}", u"Hivekeep.RegServerObject")
        .describes(CollectionObject::describe())
        .describes(FileTimeRecord::describe())
        .enumeration(u"StandardRegistryKeys", {{u"HKeyClassesRoot", HKeyClassesRoot},
                                               {u"HkeyCurrentUser", HkeyCurrentUser},
                                               {u"HKeyLocalMachine", HKeyLocalMachine},
                                               {u"HKeyUsers", HKeyUsers},
                                               {u"HKeyPerformanceData", HKeyPerformanceData},
                                               {u"HKeyCurrentConfig", HKeyCurrentConfig},
                                               {u"HKeyDynamicData", HKeyDynamicData}});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
