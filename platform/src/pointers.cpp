// The memory checks ask the kernel to copy from our own address space: a bad address is EFAULT there,
// never a fault in the process.
#include "platform/pointers.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uintptr_t kPiece = 4096;

// Copies `size` bytes from `from` into `to`; false when some of them cannot be read.
bool readOwn(const void* from, void* to, std::size_t size) {
    iovec local{to, size};
    iovec remote{const_cast<void*>(from), size};
    return process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

// The bytes from `address` to the end of its page, so that one read never spans a readable and an
// unreadable page.
std::uintptr_t toPageEnd(std::uintptr_t address) {
    return kPiece - (address % kPiece);
}

}  // namespace

BOOL IsBadReadPtr(const void* lp, std::uintptr_t ucb) {
    if (ucb == 0) return FALSE;
    auto address = reinterpret_cast<std::uintptr_t>(lp);
    if (address == 0 || address + ucb < address) return TRUE;
    char buffer[kPiece];
    while (ucb > 0) {
        const std::uintptr_t piece = std::min(ucb, toPageEnd(address));
        if (!readOwn(reinterpret_cast<const void*>(address), buffer, piece)) return TRUE;
        address += piece;
        ucb -= piece;
    }
    return FALSE;
}

BOOL IsBadStringPtrA(LPCSTR lpsz, std::uintptr_t ucchMax) {
    if (ucchMax == 0) return FALSE;
    auto address = reinterpret_cast<std::uintptr_t>(lpsz);
    if (address == 0) return TRUE;
    char buffer[kPiece];
    while (ucchMax > 0) {
        const std::uintptr_t piece = std::min(ucchMax, toPageEnd(address));
        if (!readOwn(reinterpret_cast<const void*>(address), buffer, piece)) return TRUE;
        if (std::memchr(buffer, '\0', piece)) return FALSE;
        address += piece;
        ucchMax -= piece;
    }
    return FALSE;
}
