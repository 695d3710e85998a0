#include "editor/InterfaceWidgets.h"

#include "editor/LayoutRows.h"
#include "widgets/BWOptionMenu.h"

VSTGUI::BWControl* InterfaceWidgets::find(int32_t tag) const {
    if (tag == layout::kHiddenLearnMenuTag) return hiddenLearnMenu;
    if (tag == layout::kExportButtonTag) return exportButton;
    return tag >= 0 && tag < kTags ? byTag[static_cast<size_t>(tag)] : nullptr;
}

void InterfaceWidgets::clear() {
    byTag.fill(nullptr);
    hiddenLearnMenu = nullptr;
    exportButton = nullptr;
    locateContainer = nullptr;
    hookContainer = nullptr;
    versionLabel = nullptr;
    insertionAnchor = nullptr;
}
