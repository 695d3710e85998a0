#pragma once
// The undo step of the pattern editors: before a press edits a model, a
// widget that asks for undo steps (any undoMode but 0) records a snapshot of
// the whole model, or of the whole state when it edits no model object.  The
// undo manager is the core's, reached through the widget's frame; without it
// nothing is recorded.  GUI thread only.

class BWChunkableClass;

namespace VSTGUI {

class BWControl;

void recordModelUndo(const BWControl& widget, BWChunkableClass* model);

}  // namespace VSTGUI
