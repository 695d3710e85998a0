#include "plugin/EditorFactory.h"

#include <atomic>

namespace {

std::atomic<EditorFactory> installedFactory{nullptr};

}  // namespace

void setEditorFactory(EditorFactory factory) { installedFactory.store(factory); }

EditorFactory editorFactory() { return installedFactory.load(); }
