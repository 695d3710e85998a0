#pragma once
// The page switches of the interface (Tag::ChordModePages, the modulation
// pages and tracks, Tag::SoundDelayPages to Tag::DelaySwitch):
// each controls a set of pages under a parent page and shows, per state, a
// pattern of them.  Some re-send another switch when one of its pages changes,
// so that the switch under it follows.

#include <cstdint>
#include <span>

struct PageResend {
    int32_t page;
    int32_t targets[4];  // -1 ends the list
};

struct PageSwitch {
    int32_t index;
    int32_t states;         // 2, or 5 for the modulation track switch
    int32_t parentPage;
    int32_t firstPage;      // the controlled pages: firstPage .. lastPage,
    int32_t lastPage;       // or the two pages of pagesOf when set
    int32_t pagesOf[2];     // for 354, whose pages are 1 and 11
    // Bit k: the page firstPage + k (or pagesOf[k]) is shown in that state.
    uint32_t shown[5];
    PageResend resends[5];
};

// The switch of an index, or null.
const PageSwitch* findPageSwitch(int32_t index);
std::span<const PageSwitch> pageSwitches();
