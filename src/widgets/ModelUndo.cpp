#include "widgets/ModelUndo.h"

#include "core/BWSystemInfo.h"
#include "guitoolkit/BWFrame.h"
#include "persistence/BWUndoManager.h"
#include "platform/GuiThread.h"
#include "widgets/BWControl.h"

namespace VSTGUI {

void recordModelUndo(const BWControl& widget, BWChunkableClass* model) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (widget.undoMode == BWControl::kNoUndo || !widget.getOwner()) return;
    BWSystemInfo* info = widget.getOwner()->getSystemInfo();
    BWUndoManager* undo = info ? info->undoManager : nullptr;
    if (!undo) return;
    if (model)
        undo->storeObjectState(model);
    else
        undo->storeState();
}

}  // namespace VSTGUI
