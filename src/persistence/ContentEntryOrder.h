#pragma once
// The order of content folders in menus and banks: the maker's own folders
// ("Brindlewick ..." ) first, then the rest alphabetically with case folded
// and "_" counted as "0".  Host/GUI thread.

#include <string_view>
#include <vector>

#include "persistence/BWDirHelper.h"

// True when a goes before b.
bool compareContentEntries(std::string_view a, std::string_view b);

// Sorts the records by their names with compareContentEntries; records that
// compare equal keep their order.
void sortDirEntries(std::vector<BWDirHelper>& entries);
