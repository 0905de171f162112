// Short (8.3) names of folder entries (see platform/shortnames.h for the rules).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// True when name is already a valid 8.3 name (of any letter case).
bool isValid83(std::string_view name);

// The short names of all entries of the folder nativeFolder ("." and ".." excluded), by long name.
std::map<std::string, std::string> shortNamesOf(const std::string& nativeFolder,
                                                const std::vector<std::string>& entries);

// The short name of one entry of a folder.
std::string shortNameIn(const std::string& nativeFolder, const std::string& name);

// The entries of a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string& nativeFolder);

}  // namespace velmora
