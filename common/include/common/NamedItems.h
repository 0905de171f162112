// What a window says about the files and folders its command line names, before it touches any of them.
// Only the named paths are looked at (a folder is shown as a folder, never walked), so the window
// appears at once however large the trees are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

struct NamedItem {
    std::u16string path;  // as the command line gave it
    bool folder = false;
};

// The items of arguments[first...], each marked a folder when the path names one (a link is not
// followed: it is what it is).
std::vector<NamedItem> namedItems(const std::vector<std::u16string>& arguments, std::size_t first);

// One line for a person: the first item's name ("report.odt", "photos (folder)"), followed by
// " and N more" when there are others; empty without items.
std::u16string itemsSummary(const std::vector<NamedItem>& items);

// An item as a line of a list: its path, and " (folder)" for a folder.
std::u16string itemLine(const NamedItem& item);

// The lines of a list of items: up to `shown` lines, then "and N more" for the rest.
std::vector<std::u16string> itemLines(const std::vector<NamedItem>& items, std::size_t shown);

}  // namespace velmora
