// CharLowerA over UTF-8 text.
#include "platform/charcase.h"

#include <cstdint>

namespace {

// Lowers one letter if it has a lower-case form of the same UTF-8 length. Returns the bytes consumed.
std::size_t lowerAt(unsigned char* p) {
    if (p[0] < 0x80) {
        if (p[0] >= 'A' && p[0] <= 'Z') p[0] = static_cast<unsigned char>(p[0] + 32);
        return 1;
    }
    // U+00C0..U+00DE are C3 80..C3 9E; their lower forms are C3 A0..C3 BE. U+00D7 (multiplication) has none.
    if (p[0] == 0xC3 && p[1] >= 0x80 && p[1] <= 0x9E && p[1] != 0x97) {
        p[1] = static_cast<unsigned char>(p[1] + 0x20);
        return 2;
    }
    return 1;  // continuation bytes and other alphabets pass through untouched
}

}  // namespace

LPSTR CharLowerA(LPSTR lpsz) {
    const auto raw = reinterpret_cast<std::uintptr_t>(lpsz);
    if (raw >> 16 == 0) {  // a single character in the low word, as Win32 allows
        const unsigned char c = static_cast<unsigned char>(raw);
        return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(c >= 'A' && c <= 'Z' ? c + 32 : c));
    }
    auto* p = reinterpret_cast<unsigned char*>(lpsz);
    while (*p) p += lowerAt(p);
    return lpsz;
}
