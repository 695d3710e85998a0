#include "widgets/BWWidgetEditor.h"

#include "guitoolkit/CFrame.h"
#include "guitoolkit/VSTGUIEditorInterface.h"

namespace VSTGUI {

BWWidgetEditor* BWWidgetEditor::of(const CFrame* frame) {
    return frame ? dynamic_cast<BWWidgetEditor*>(frame->getEditor()) : nullptr;
}

}  // namespace VSTGUI
