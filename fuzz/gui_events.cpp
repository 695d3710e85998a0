// Plays the input as a sequence of injected events on a small view tree: a
// frame with containers, views that remove themselves while they handle an
// event, controls whose listener removes them, parameter displays and text
// edits with open fields.  Presses, moves, releases, wheel, keys, drags,
// focus changes, resizes, idles and drawing mix with adding and removing
// views.  Beyond "no crash, no leak" it checks that no pressed, drag, focus
// or mouse-over place ever holds a view that is not in the tree.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "guitoolkit/CControl.h"
#include "guitoolkit/CDragContainer.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/CTextEdit.h"
#include "guitoolkit/EditField.h"
#include "support/ByteInput.h"

using namespace VSTGUI;

namespace {

class Input : public ByteInput {
public:
    using ByteInput::ByteInput;
    int32_t coordinate() { return static_cast<int32_t>(byte() % 140) - 6; }
};

// A view that takes itself out of its container while it handles a press or
// a move, and still answers "handled".
class Vanishing : public CView {
public:
    using CView::CView;
    int32_t onMouseDown(CPoint&, const CButtonState&, int32_t) override { return vanish(); }
    int32_t onMouseMoved(CPoint&, const CButtonState&, int32_t) override { return vanish(); }
    int32_t onMouseUp(CPoint&, const CButtonState&, int32_t) override { return kMouseEventHandled; }

private:
    int32_t vanish() {
        if (auto* parent = getParentView(); parent && parent->isTypeOf("CViewContainer"))
            static_cast<CViewContainer*>(parent)->removeView(this, true);
        return kMouseEventHandled;
    }
};

class Knob : public CControl {
public:
    using CControl::CControl;
    void draw(CDrawContext* context) override {
        if (context) context->drawRect(size, kDrawFilledAndFramed);
        setDirty(false);
    }
    CView* newCopy() const override { return new Knob(*this); }
    int32_t onMouseDown(CPoint&, const CButtonState& buttons, int32_t) override {
        if (checkDefaultValue(buttons)) return kMouseHandledNoMoves;
        beginEdit();
        return kMouseEventHandled;
    }
    int32_t onMouseMoved(CPoint& where, const CButtonState&, int32_t) override {
        value = static_cast<float>(where.y % 10) / 10.0f;
        if (listener) listener->valueChanged(this);
        return kMouseEventHandled;
    }
    int32_t onMouseUp(CPoint&, const CButtonState&, int32_t) override {
        endEdit();
        return kMouseEventHandled;
    }
    using CView::onWheel;
    bool onWheel(const CPoint&, float distance, const CButtonState&) override {
        value += distance * wheelInc;
        bounceValue();
        if (listener) listener->valueChanged(this);
        return true;
    }
};

// Removes an edited control from the tree when told to, as an editor might
// on a page switch.
class Remover : public CControlListener {
public:
    void valueChanged(CControl* control) override {
        if (!removeOnChange) return;
        if (auto* parent = control->getParentView(); parent && parent->isTypeOf("CViewContainer"))
            static_cast<CViewContainer*>(parent)->removeView(control, true);
    }
    int32_t controlModifierClicked(CControl*, CButtonState buttons) override { return buttons & kAlt ? 1 : 0; }
    bool removeOnChange = false;
};

class Drag : public CDragContainer {
public:
    void* first(int32_t& size, int32_t& type) override { return next(size, type); }
    void* next(int32_t& size, int32_t& type) override {
        size = 0;
        type = 0;
        return nullptr;
    }
    int32_t getCount() const override { return 0; }
};

void collect(CViewContainer* container, std::vector<CView*>& views, std::vector<CViewContainer*>& containers) {
    containers.push_back(container);
    for (int32_t i = 0; i < container->getNbViews(); ++i) {
        CView* child = container->getView(i);
        views.push_back(child);
        if (child->isTypeOf("CViewContainer")) collect(static_cast<CViewContainer*>(child), views, containers);
    }
}

bool inTree(const std::vector<CView*>& views, const CView* view) {
    if (!view) return true;
    for (const CView* v : views)
        if (v == view) return true;
    return false;
}

CView* makeView(uint8_t kind, const CRect& r, Remover& listener) {
    switch (kind % 6) {
        case 0: return new CView(r);
        case 1: {
            auto* container = new CViewContainer(r);
            container->setAutosizeFlags(kind & 0x10 ? kAutosizeColumn : kAutosizeRow);
            container->useOffscreen(kind & 0x20);
            container->setTransparency(kind & 0x40);
            return container;
        }
        case 2: return new Vanishing(r);
        case 3: return new Knob(r, &listener, kind);
        case 4: return new CParamDisplay(r, nullptr, kind & 0x20 ? kStyle3DIn : kStyleShadowText);
        default: {
            auto* edit = new CTextEdit(r, &listener, kind, "text");
            edit->setStyle(kind & 0x40 ? kStyleDoubleClick : 0);
            return edit;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    Remover listener;
    Drag drag;
    std::vector<CView*> detached;  // removed without forget: ours to release
    {
        CFrame frame(CRect(0, 0, 128, 128));
        COffscreenContext canvas(&frame, 128, 128);
        for (int step = 0; in.more() && step < 400; ++step) {
            std::vector<CView*> views;
            std::vector<CViewContainer*> containers;
            collect(&frame, views, containers);
            CPoint where(in.coordinate(), in.coordinate());
            const CButtonState buttons = static_cast<CButtonState>(in.byte()) << 1 | (in.byte() & 1 ? kDoubleClick : 0);
            const int32_t index = in.byte() % 3 == 2 ? 1 : 0;
            const uint8_t op = in.byte();
            CView* some = views.empty() ? nullptr : views[op % views.size()];
            CViewContainer* place = containers[in.byte() % containers.size()];
            switch (op % 16) {
                case 0: frame.onMouseDown(where, buttons, index); break;
                case 1: frame.onMouseMoved(where, buttons, index); break;
                case 2: frame.onMouseUp(where, buttons, index); break;
                case 3: frame.onWheel(where, in.byte() % 2, static_cast<float>(static_cast<int8_t>(in.byte())) / 16, buttons); break;
                case 4:
                case 5: {
                    VstKeyCode key{in.byte(), static_cast<uint8_t>(in.byte() % 40), static_cast<uint8_t>(in.byte() % 16)};
                    if (EditField* field = frame.getEditField())
                        op % 16 == 4 ? field->keyDown(key) : field->keyUp(key);
                    else
                        op % 16 == 4 ? frame.onKeyDown(key) : frame.onKeyUp(key);
                    break;
                }
                case 6: {
                    const CRect r(where.x, where.y, where.x + in.byte() % 60, where.y + in.byte() % 60);
                    CView* view = makeView(in.byte(), r, listener);
                    const bool added = some && in.byte() & 1 ? place->addView(view, some) : place->addView(view);
                    if (!added) view->forget();
                    break;
                }
                case 7:
                    if (some && some->getParentView() && some->getParentView()->isTypeOf("CViewContainer")) {
                        const bool withForget = in.byte() & 1;
                        if (!withForget) some->remember();  // keep our own reference when the list lets go
                        static_cast<CViewContainer*>(some->getParentView())->removeView(some, true);
                        if (!withForget) detached.push_back(some);
                    }
                    break;
                case 8:
                    if (some) (in.byte() & 1) ? some->setVisible(!some->isVisible()) : some->setMouseEnabled(!some->getMouseEnabled());
                    break;
                case 9: {
                    const CRect r = place->getViewSize();
                    place->setViewSize(CRect(r.left, r.top, r.right + static_cast<int8_t>(in.byte()) % 20,
                                             r.bottom + static_cast<int8_t>(in.byte()) % 20));
                    break;
                }
                case 10:
                    switch (in.byte() % 4) {
                        case 0: place->onDragEnter(&drag, where); break;
                        case 1: place->onDragMove(&drag, where); break;
                        case 2: place->onDrop(&drag, where); break;
                        default: place->onDragLeave(&drag, where); break;
                    }
                    break;
                case 11:
                    if (in.byte() & 1)
                        frame.advanceNextFocusView(frame.getFocusView(), in.byte() & 1);
                    else
                        frame.setFocusView(some);
                    break;
                case 12: frame.drawRect(&canvas, CRect(where.x, where.y, where.x + 50, where.y + 50)); break;
                case 13: frame.idle(); break;
                case 14:
                    if (EditField* field = frame.getEditField()) field->focusLost();
                    break;
                default:
                    listener.removeOnChange = in.byte() & 1;
                    frame.onMouseCancel(index);
                    break;
            }

            views.clear();
            containers.clear();
            collect(&frame, views, containers);
            for (CViewContainer* container : containers)
                if (!inTree(views, container->getPressedView(0)) || !inTree(views, container->getPressedView(1)) ||
                    !inTree(views, container->getDragView()))
                    std::abort();
            if (!inTree(views, frame.getFocusView()) || !inTree(views, frame.getMouseOverView())) std::abort();
        }
    }
    for (CView* view : detached) view->forget();
    return 0;
}
