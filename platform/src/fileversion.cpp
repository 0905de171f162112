#include "platform/fileversion.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace {

constexpr char kSectionName[] = ".velmora_version";
// The block: its length (WORD), the fixed record's length (WORD), a tag, then the record.
constexpr DWORD kBlockTag = 0x56454C56;  // "VLEV"
struct VersionBlock {
    WORD wLength;
    WORD wValueLength;
    DWORD tag;
    VS_FIXEDFILEINFO value;
};

template <class T>
bool readAt(std::ifstream& in, std::uint64_t offset, T& value) {
    in.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in.read(reinterpret_cast<char*>(&value), sizeof value));
}

// The version record of an ELF file, or nothing with the error set.
std::optional<VS_FIXEDFILEINFO> readVersion(LPCSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    std::ifstream in(velmora::toNativePath(fileName), std::ios::binary);
    if (!in) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return std::nullopt;
    }
    Elf64_Ehdr header{};
    if (!readAt(in, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr) ||
        header.e_shstrndx >= header.e_shnum) {
        SetLastError(ERROR_BAD_FORMAT);
        return std::nullopt;
    }
    Elf64_Shdr names{};
    if (!readAt(in, header.e_shoff + std::uint64_t{header.e_shstrndx} * sizeof(Elf64_Shdr), names)) {
        SetLastError(ERROR_BAD_FORMAT);
        return std::nullopt;
    }
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        if (!readAt(in, header.e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr), section)) break;
        if (section.sh_name >= names.sh_size || section.sh_size != sizeof(VS_FIXEDFILEINFO)) continue;
        char name[sizeof kSectionName] = {};
        in.clear();
        in.seekg(static_cast<std::streamoff>(names.sh_offset + section.sh_name));
        in.read(name, sizeof name);
        if (!in || std::memcmp(name, kSectionName, sizeof kSectionName) != 0) continue;
        VS_FIXEDFILEINFO info{};
        if (readAt(in, section.sh_offset, info) && info.dwSignature == VS_FFI_SIGNATURE) return info;
    }
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return std::nullopt;
}

}  // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    return readVersion(lptstrFilename) ? sizeof(VersionBlock) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
    if (!lpData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<VS_FIXEDFILEINFO> info = readVersion(lptstrFilename);
    if (!info) return FALSE;
    if (dwLen < sizeof(VersionBlock)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const VersionBlock block{sizeof(VersionBlock), sizeof(VS_FIXEDFILEINFO), kBlockTag, *info};
    std::memcpy(lpData, &block, sizeof block);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
    if (!pBlock || !lpSubBlock || !lplpBuffer || std::strcmp(lpSubBlock, "\\") != 0) return FALSE;
    const auto* block = static_cast<const VersionBlock*>(pBlock);
    if (block->tag != kBlockTag) return FALSE;
    *lplpBuffer = const_cast<VS_FIXEDFILEINFO*>(&block->value);
    if (puLen) *puLen = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}
