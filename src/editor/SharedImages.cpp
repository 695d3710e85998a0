#include "editor/SharedImages.h"

#include "guitoolkit/CBitmap.h"
#include "platform/GuiThread.h"

namespace {

struct Shared {
    uint32_t openEditors = 0;
    std::vector<VSTGUI::CBitmap*> images;
};

Shared& shared() {
    static Shared instance;
    return instance;
}

}  // namespace

void SharedImages::acquire() {
    ZORVANE_ASSERT_GUI_THREAD();
    Shared& s = shared();
    if (s.openEditors++ > 0) return;
    s.images.assign(kCount, nullptr);
    for (int32_t i = 0; i < kCount; ++i) s.images[i] = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(kFirstId + i));
}

void SharedImages::release() {
    ZORVANE_ASSERT_GUI_THREAD();
    Shared& s = shared();
    if (s.openEditors == 0 || --s.openEditors > 0) return;
    for (VSTGUI::CBitmap*& image : s.images) {
        if (image) image->forget();
        image = nullptr;
    }
}

VSTGUI::CBitmap* SharedImages::get(int32_t id) {
    Shared& s = shared();
    const int32_t entry = id - kFirstId;
    if (entry < 0 || entry >= kCount || s.images.empty()) return nullptr;
    return s.images[static_cast<size_t>(entry)];
}

std::vector<VSTGUI::CBitmap*>* SharedImages::table() { return &shared().images; }

uint32_t SharedImages::openCount() { return shared().openEditors; }
