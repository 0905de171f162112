// Conversions between the caller's typed values and registry value data, as RegistryObject reads and
// writes them. Text goes to the registry in the platform's 8-bit code page (UTF-8).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registryapi.h"
#include "runtime/Variant.h"

namespace velmora {

struct RegistryData {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};

// The data SetValue writes for a value; nothing for values that have no registry form (objects, Empty,
// Null, byte arrays, arrays of anything but text).
std::optional<RegistryData> encodeValue(const Variant& value);

// The value GetValue returns for data of a type (the data is never empty here).
Variant decodeValue(const RegistryData& data);

// The value EnumRegistryValues lists for data of a type.
Variant displayValue(const RegistryData& data);

// Every element followed by a NUL, then one more NUL. Error 13 for anything but a one-dimensional
// array of texts.
std::u16string toMultiSZ(const Variant& array);
// A String array from element 0 (always empty) on; every NUL opens the next element.
Variant fromMultiSZ(std::u16string_view text);

}  // namespace velmora
