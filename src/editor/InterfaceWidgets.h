#pragma once
// The widgets one open of the editor built, by tag, and the few the editor
// reaches by role.  The frame owns them; close forgets the pointers.  GUI
// thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "widgets/ViewGroup.h"

namespace VSTGUI {
class BWControl;
class BWLabel;
class BWOptionMenu;
class BWViewContainer;
}  // namespace VSTGUI

struct InterfaceWidgets {
    static constexpr int32_t kTags = 400;

    // The widget of a tag (0..399, or the hidden learn menu's and the export
    // button's), null when the open built none.
    VSTGUI::BWControl* find(int32_t tag) const;
    void clear();

    std::array<VSTGUI::BWControl*, kTags> byTag{};
    VSTGUI::BWOptionMenu* hiddenLearnMenu = nullptr;
    VSTGUI::BWControl* exportButton = nullptr;
    VSTGUI::BWViewContainer* locateContainer = nullptr;  // the first container
    VSTGUI::BWViewContainer* hookContainer = nullptr;    // the second
    VSTGUI::BWLabel* versionLabel = nullptr;
    // The view groups the editor places at the end of each open.
    std::vector<VSTGUI::ViewGroup> viewGroups;
    // The first widget of the top layer: views added later go below it.
    VSTGUI::BWControl* insertionAnchor = nullptr;
};
