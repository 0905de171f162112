// One file named by its path: names, existence, attributes, dates and checksums; deleting (with the
// multi-pass wipe), copying, moving and handing the file to the shell; reading and writing single values
// through a handle. Every member works on the path as given and opens and closes the file inside the
// call; only the hidden and read-only flags and the size recorded at FileOpen are kept between calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "files/FileWiper.h"
#include "files/WipePool.h"
#include "platform/win32types.h"
#include "runtime/exports.h"

namespace velmora {

enum AccessRights : std::int32_t {
    FileRead = static_cast<std::int32_t>(0x80000000u),
    FileWrite = 0x40000000,
    FileReadWrite = static_cast<std::int32_t>(0xC0000000u),
    FileExe = 0x20000000,
    FileAllAccess = 0x10000000,
};

enum ShareMode : std::int32_t {
    FileShareNone = 0,
    FileShareRead = 1,
    FileShareWrite = 2,
    FileShareReadWrite = 3,
};

enum CreationDistribution : std::int32_t {
    FileCreateNew = 1,
    FileCreateAlways = 2,
    FileOpenExisting = 3,
    FileOpenAlways = 4,
    FileTruncateExisting = 5,
};

enum FlagsAndAttributes : std::int32_t {
    FileAttributeReadOnly = 0x1,
    FileAttributeHidden = 0x2,
    FileAttributeSystem = 0x4,
    FileAttributeDirectory = 0x10,
    FileAttributeArchive = 0x20,
    FileAttributeNormal = 0x80,
    FileAttributeTemporary = 0x100,
    FileAttributeCompressed = 0x800,
    FileAttributeAll = 0x9B7,
    FlagDeleteOnClose = 0x04000000,
    FlagNoBuffering = 0x20000000,
    FlagOverlapped = 0x40000000,
    FlagPosixSemantics = 0x01000000,
    FlagRandomAccess = 0x10000000,
    FlagSequentialScan = 0x08000000,
    FlagWriteThrough = static_cast<std::int32_t>(0x80000000u),
};

enum DeleteType : std::int32_t {
    vKill = 0,
    vRecycle = 1,
    vDestroy = 2,
    vWipe = 3,
};

class VELMORA_API FileObject : public Dispatchable<FileObject> {
  public:
    ~FileObject() override;
    static const ClassInfo& describe();
    EventSource* events() noexcept override { return &m_events; }

    // Names, existence, attributes, dates and checksums.
    bool IsOpened() const { return m_opened; }
    std::int32_t FileHandle() const { return m_handle; }
    std::int32_t FileSize() const;
    std::int32_t CRC32() const;
    std::int32_t CRCAlder32() const;
    bool Hidden();
    void setHidden(bool value);
    void setReadOnly(bool value);
    std::u16string FileType() const;
    bool ReadOnly();
    Date DateModified() const;
    void setDateModified(Date value);
    Date DateAccessed() const;
    void setDateAccessed(Date value);
    Date DateCreated() const;
    void setDateCreated(Date value);
    std::u16string Drive() const;
    std::u16string ComputerName() const;
    bool FixedDisk() const;
    std::u16string Title() const;
    Date LastAccessed() const;
    std::u16string LongName() const;
    std::u16string ShortName() const;
    void setFileName(std::u16string value) { m_fileName = std::move(value); }
    const std::u16string& FileName() const { return m_fileName; }
    bool Exists() const;
    std::u16string Extension() const;
    std::u16string ParentDirectory() const;
    std::u16string Directory() const;

    // Whole-file operations.
    bool FileDelete(std::int32_t typ, std::u16string& sFileName, bool blnConfirm = false,
                    std::int16_t intPasses = 0);
    bool FileCopy(std::u16string strToFileName, std::u16string& sFileName);
    bool FileMove(std::u16string strDestination, std::u16string& sFileName);
    std::int32_t FileExecute(std::u16string strFileName = {}, std::u16string strParameters = {},
                             std::u16string RunFrom = u"C:\\");
    void FilePropertiesDialog(std::u16string strFileName);
    void FileExplorDir(std::u16string strFileName);
    bool FileRename(std::u16string strDestination, std::u16string& sFileName);
    // A file time as a date-time, without any time-zone conversion (milliseconds dropped).
    Date timeFileToDate(const FILETIME& ft) const;
    // The late-bound form: a FILETIME record, its 8-byte image or a tick count; error 13 otherwise.
    Date timeFileToDateOf(Variant& ft) const;

    // Reading and writing through a handle.
    std::int32_t FileOpen(std::u16string FileName = {}, std::int32_t ofAccessRights = FileRead,
                          std::int32_t ofShareMode = FileShareRead,
                          std::int32_t ofCreationDisposition = FileOpenExisting,
                          std::int32_t ofFlagsAndAttributes = FileAttributeNormal);
    void FileClose(std::int32_t FileHandle = 0);
    bool SetFilePosition(std::int32_t FileHandle, std::int32_t StartPos);
    std::int32_t GetDataFromFile(std::u16string FileName, std::int32_t StartPos, Variant& Data);
    std::int32_t GetData(std::int32_t FileHandle, Variant& Data);
    std::int32_t PutDataInFile(std::u16string FileName, std::int32_t StartPos, Variant& Data);
    std::int32_t PutData(std::int32_t FileHandle, Variant& Data);

    // Where the wipe sends its calls; the platform unless a test puts a recording layer in between.
    void setWipeIo(std::shared_ptr<WipeIo> io) { m_wipeIo = std::move(io); }
    // Starts the wipe of that file now, on a worker thread, so that a caller with many files has several
    // in flight. Its FileDelete(vWipe) with the same passes, called later on this thread, waits for it and
    // then raises its Progress, message and error, as if the wipe had run inside the call.
    void wipeAhead(const std::u16string& name, std::int16_t passes);

  private:
    std::string path() const;
    void refreshFlags();
    void writeFlags();
    // Which of the three times a date member reads or writes.
    enum class Stamp { Created, Accessed, Modified };
    Date localDate(Stamp stamp) const;
    void writeDate(Stamp stamp, Date value);
    std::uint32_t checksum(bool adler) const;
    int shellOperation(unsigned operation, const std::u16string& from, const std::u16string& to,
                       unsigned flags) const;
    std::u16string& nameOrOwn(std::u16string& sFileName) const;
    void truncate(const std::u16string& name) const;
    void wipe(const std::u16string& name, std::int16_t passes);
    FileWiper::Callbacks wipeCallbacks();
    // A wipe started ahead: its outcome raised now, on this thread.
    void finishAhead(const std::string& target);
    void shellVerb(const char* verb, const std::u16string& name) const;
    void adopt(std::int32_t handleArgument);

    std::u16string m_fileName;
    std::int32_t m_handle = 0;
    std::int32_t m_size = 0;
    bool m_opened = false;
    bool m_hidden = false;
    bool m_readOnly = false;
    std::shared_ptr<WipeIo> m_wipeIo = std::make_shared<PlatformWipeIo>();
    EventSource m_events{*this};
    std::unique_ptr<WipePool> m_ahead;  // last: its running wipes end before anything else goes
};

}  // namespace velmora
