#include "fileerrors.h"

#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

void replaceFile(std::u16string_view path, std::span<const std::uint8_t> contents,
                 ReplacementFile::NewFile newFile) {
    ReplacementFile output;
    if (!output.open(toUtf8(path), newFile) || !output.write(contents) || !output.commit())
        raiseFileError(GetLastError());
}

}  // namespace velmora
