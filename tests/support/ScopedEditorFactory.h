#pragma once
// Installs an editor factory for the length of a test, so that the
// instances it makes get that editor; none afterwards.

#include "plugin/EditorFactory.h"

struct ScopedEditorFactory {
    explicit ScopedEditorFactory(EditorFactory factory) { setEditorFactory(factory); }
    ~ScopedEditorFactory() { setEditorFactory(nullptr); }
    ScopedEditorFactory(const ScopedEditorFactory&) = delete;
    ScopedEditorFactory& operator=(const ScopedEditorFactory&) = delete;
};
