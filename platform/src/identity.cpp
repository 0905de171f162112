#include "platform/identity.h"

#include <sys/stat.h>

#include <string>

#include "resolve.h"

namespace velmora {

std::optional<FileIdentity> fileIdentity(std::string_view suitePath) {
    std::string native;
    struct stat st {};
    if (!resolveSuitePath(suitePath, native) || ::stat(native.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace velmora
