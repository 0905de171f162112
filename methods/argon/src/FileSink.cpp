#include "argon/FileSink.h"

#include "argon/MethodErrors.h"
#include "runtime/text.h"

namespace velmora::argonbox {

FileSink::FileSink(std::u16string_view path, ReplacementFile::NewFile newFile) {
    if (!m_file.open(toUtf8(path), newFile)) raiseFileError(GetLastError());
}

void FileSink::write(std::span<const std::uint8_t> bytes) {
    if (!m_writer.write(bytes)) raiseFileError(GetLastError());
}

void FileSink::commit() {
    if (!m_writer.flush() || !m_file.commit()) raiseFileError(GetLastError());
}

}  // namespace velmora::argonbox
