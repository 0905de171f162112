#include "Destination.h"

#include "component/fileerrors.h"
#include "platform/win32types.h"
#include "runtime/text.h"

namespace velmora {

Destination::Destination(std::u16string_view path, ReplacementFile::NewFile newFile)
    : m_path(toUtf8(path)), m_newFile(newFile) {}

void Destination::open() {
    if (!m_file.open(m_path, m_newFile)) raiseFileError(GetLastError());
    m_open = true;
}

void Destination::write(std::span<const std::uint8_t> bytes) {
    if (!m_open) open();
    if (!m_writer.write(bytes)) raiseFileError(GetLastError());
}

void Destination::commit() {
    if (!m_open) open();
    if (!m_writer.flush() || !m_file.commit()) raiseFileError(GetLastError());
}

}  // namespace velmora
