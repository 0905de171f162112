// A small library for the library-loading tests: a few plain C entry points.
#include <cstdint>

extern "C" {

std::uint32_t testlibAdd(std::uint32_t a, std::uint32_t b) {
    return a + b;
}

// Where this library sits: the tests ask the platform which module holds this address.
const void* testlibAddress() {
    return reinterpret_cast<const void*>(&testlibAdd);
}
}
