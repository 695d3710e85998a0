// The editor's open after its frame: the whole interface from the layout
// tables, then the instrument check and one full redraw.

#include "editor/BWUniClientEditor.h"
#include "editor/InterfaceBuilder.h"
#include "engine/BWRomplerLibrary.h"
#include "guitoolkit/BWFrame.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWViewContainer.h"

void BWUniClientEditor::buildInterface() {
    InterfaceBuilder(*this, *client, *getBWFrame(), values, built).build();
    values.update(*client);
    // Without any instrument the panel that locates the library shows at
    // once; otherwise the instrument menus list the library's folder.
    BWRomplerLibrary* library = client->soundLayer(0).getLibrary();
    if (popupContainer && library && library->isEmpty()) {
        popupContainer->activate(VSTGUI::BWViewContainer::kCloseOnPressInside, nullptr, 0);
    } else {
        scanInstrumentFolders();
    }
    frame->setDirty(true);
}
