// A help file's directory checked the way chmlib walks it, before chmlib sees the file: chmlib trusts the
// directory (a lookup or a listing follows page numbers without end, reads entries past their page, and
// opening divides by the compression window the file states), so ChmFile hands it only files where every
// page number is in range, the lookup tree and the listing chain end, every entry lies inside its page, and
// the compression record it reads at opening is whole and usable.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

// bytesAt(offset, length) gives that part of the file, shorter where the file ends.
class ChmBytes {
  public:
    virtual std::string_view bytesAt(std::uint64_t offset, std::uint64_t length) = 0;
    virtual std::uint64_t size() const = 0;

  protected:
    ~ChmBytes() = default;
};

bool soundChmDirectory(ChmBytes& file);

}  // namespace velmora
