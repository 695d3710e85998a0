#pragma once
// How a person goes through the interface's page sets: the clicks on the
// page buttons, in design pixels of the 960 x 697 interface, that lead from
// one page set to the next, starting from the interface as it opens.  The
// snapshot command takes a picture after each step; the tests follow the
// same steps in a real window.

#include <cstdint>
#include <span>

struct DesignPoint {
    int32_t x;
    int32_t y;
};

struct PageSetStep {
    const char* name;           // of the page set it leads to
    std::span<const DesignPoint> clicks;
};

std::span<const PageSetStep> pageSetScript();

// Where a design point lies in a window at a zoom (in percent): the middle
// of the window pixels that show it.
inline int32_t windowPixel(int32_t design, int32_t zoomPercent) {
    return int32_t((int64_t(design) * 2 + 1) * zoomPercent / 200);
}
