// Compiled into the plug-in module only: every instance the module makes
// gets this editor.  The factory is installed while the module loads, before
// the host can ask for an instance.

#include "editor/BWUniClientEditor.h"
#include "plugin/EditorFactory.h"

namespace {

// The host adapter drives the editor's idle from its view timer; the
// editor's own timer is never wanted.
AEffEditor* makeEditor(BWUniClient& instance, bool /*hostPrivate*/) { return new BWUniClientEditor(&instance, false); }

[[maybe_unused]] const bool installed = (setEditorFactory(&makeEditor), true);

}  // namespace
