// The library's class table: the file, directory and file-list objects, the platform records and the
// file-access enumerations.
#include "DirectoryObject.h"
#include "FilesObject.h"
#include "PlatformRecords.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "files/FileObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    ClassTable table(u"Diskware");
    table.add<FileObject>(u"{6B1E3D52-7A40-4C9E-8F21-5D0A9C3E7B01}", u"Diskware.FileObject")
        .add<DirectoryObject>(u"{6B1E3D52-7A40-4C9E-8F21-5D0A9C3E7B02}", u"Diskware.DirectoryObject")
        .add<FilesObject>(u"{6B1E3D52-7A40-4C9E-8F21-5D0A9C3E7B03}", u"Diskware.FilesObject")
        .describes(Enumerator::describe());
    for (const ClassInfo* record : platformRecords()) table.describes(*record);
    table
        .enumeration(u"AccessRights", {{u"FileRead", FileRead},
                                       {u"FileWrite", FileWrite},
                                       {u"FileReadWrite", FileReadWrite},
                                       {u"FileExe", FileExe},
                                       {u"FileAllAccess", FileAllAccess}})
        .enumeration(u"ShareMode", {{u"FileShareNone", FileShareNone},
                                    {u"FileShareRead", FileShareRead},
                                    {u"FileShareWrite", FileShareWrite},
                                    {u"FileShareReadWrite", FileShareReadWrite}})
        .enumeration(u"CreationDistribution", {{u"FileCreateNew", FileCreateNew},
                                               {u"FileCreateAlways", FileCreateAlways},
                                               {u"FileOpenExisting", FileOpenExisting},
                                               {u"FileOpenAlways", FileOpenAlways},
                                               {u"FileTruncateExisting", FileTruncateExisting}})
        .enumeration(u"FlagsAndAttributes", {{u"FileAttributeReadOnly", FileAttributeReadOnly},
                                             {u"FileAttributeHidden", FileAttributeHidden},
                                             {u"FileAttributeSystem", FileAttributeSystem},
                                             {u"FileAttributeDirectory", FileAttributeDirectory},
                                             {u"FileAttributeArchive", FileAttributeArchive},
                                             {u"FileAttributeNormal", FileAttributeNormal},
                                             {u"FileAttributeTemporary", FileAttributeTemporary},
                                             {u"FileAttributeCompressed", FileAttributeCompressed},
                                             {u"FileAttributeAll", FileAttributeAll},
                                             {u"FlagDeleteOnClose", FlagDeleteOnClose},
                                             {u"FlagNoBuffering", FlagNoBuffering},
                                             {u"FlagOverlapped", FlagOverlapped},
                                             {u"FlagPosixSemantics", FlagPosixSemantics},
                                             {u"FlagRandomAccess", FlagRandomAccess},
                                             {u"FlagSequentialScan", FlagSequentialScan},
                                             {u"FlagWriteThrough", FlagWriteThrough}})
        .enumeration(
            u"DeleteType",
            {{u"vKill", vKill}, {u"vRecycle", vRecycle}, {u"vDestroy", vDestroy}, {u"vWipe", vWipe}});
    return table;
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
