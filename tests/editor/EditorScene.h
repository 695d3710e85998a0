#pragma once
// A plug-in object with this editor on a host that records every request,
// in a settings sandbox, with the in-process window system and captured
// message boxes; open() opens the editor in a host window.

#include <memory>
#include <vector>

#include "core/VstOpcodes.h"
#include "editor/BWUniClientEditor.h"
#include "editor/EditRoute.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CControl.h"
#include "support/InstanceTestSupport.h"
#include "support/MessageCapture.h"
#include "support/RealEditor.h"
#include "support/RecordingHost.h"
#include "support/ScopedEditorFactory.h"
#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"

namespace editor_test {

template <class Client = BWUniClient>
struct EditorSceneOf {
    // A host of the test's own may answer instead of the recording one.
    explicit EditorSceneOf(audioMasterCallback callback = &RecordingHost::callback)
        : client(std::make_unique<Client>(callback, 1, false)),
          editor(static_cast<BWUniClientEditor*>(client->getEditor())) {
        host.clear();
    }
    bool open() { return editor->open(toolkit_test::handleOf(parent)); }
    VSTGUI::BWFrame* frame() const { return editor->getBWFrame(); }
    std::vector<HostRequest> requests(int32_t opcode) const {
        std::vector<HostRequest> found;
        for (const HostRequest& r : host.requests())
            if (r.opcode == opcode) found.push_back(r);
        return found;
    }

    UserFoldersSandbox sandbox;
    toolkit_test::ScopedWindows windows;
    RecordingHost host;
    MessageCapture messages;
    ScopedEditorFactory factory{&makeRealEditor};
    std::unique_ptr<Client> client;
    BWUniClientEditor* editor;
    platform::WindowId parent = windows.createWindow(0, 1200, 800, nullptr);
};

using EditorScene = EditorSceneOf<>;

// A control of a tag holding a value, as any widget reports its edit.
struct Edit : VSTGUI::CControl {
    Edit(int32_t tag, float v) : CControl(VSTGUI::CRect(0, 0, 10, 10), nullptr, tag) { value = v; }
    void draw(VSTGUI::CDrawContext*) override {}
    VSTGUI::CView* newCopy() const override { return nullptr; }
};

}  // namespace editor_test
