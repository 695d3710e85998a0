#pragma once
// The 122 interface images (resource ids 1000 to 1121), shared by every
// editor of the process: loaded when the first editor opens, released when
// the last one closes.  GUI thread only (all editors open and close there).

#include <cstdint>
#include <vector>

#include "guitoolkit/InterfaceImages.h"

namespace VSTGUI {
class CBitmap;
}

class SharedImages {
public:
    static constexpr int32_t kFirstId = Image::First;
    static constexpr int32_t kCount = Image::Count;

    // One more open editor; the first loads the images.
    static void acquire();
    // One fewer; the last releases them.  Without an open editor: nothing.
    static void release();

    // The image of a resource id, null outside 1000..1121 or while no
    // editor is open.
    static VSTGUI::CBitmap* get(int32_t id);
    // The table the frame hands out (entry = id - 1000).
    static std::vector<VSTGUI::CBitmap*>* table();
    static uint32_t openCount();
};
