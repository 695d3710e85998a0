#pragma once
// How the plug-in object gets its editor without knowing the editor's class:
// the module that links both installs a factory before it creates instances.
// Without one an instance has no editor.

class AEffEditor;
class BWUniClient;

// Builds the editor object for the instance without opening a window.
using EditorFactory = AEffEditor* (*)(BWUniClient& instance, bool hostPrivate);

// Host/GUI thread, before instances are created.
void setEditorFactory(EditorFactory factory);
EditorFactory editorFactory();
