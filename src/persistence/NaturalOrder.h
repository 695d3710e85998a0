#pragma once
// The order in which people expect numbered names: "Pad 9" before "Pad 10".
// Used for the preset files of a bank and for sorted name lists.  The
// comparison keeps the product's established quirks, since the order of
// banks and programs rests on it: "_" counts as the digit "0" (so a blank
// sorts before it), and after two equal digit runs the comparison goes on at
// the end of the second name's run.

#include <string>
#include <string_view>
#include <vector>

// A name's character as the orders compare it: ASCII case folded, "_" as "0".
char foldNameChar(char c);

// True when a goes before b.  Digit runs that both names have at the same
// place compare by value; other characters compare with ASCII case folded
// and "_" as "0"; when one name runs out the shorter goes first.
bool compareNatural(std::string_view a, std::string_view b);

// Sorts the names with compareNatural; names that compare equal keep their
// order.  Host/GUI thread.
void sortStrings(std::vector<std::string>& names);
