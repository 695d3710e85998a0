#pragma once
// Drops into the frame.  The window layer reports a finished drop (text, or
// a list of file paths) to the frame's window; the drop target plays it to
// the views as enter, move and drop with a drag container that hands out the
// items: the text once (type 1), or the file paths in drop order (type 0),
// a path whose extension is ".lnk" (any letter case) that is a symbolic link
// giving its target instead.  Then -1 (no more) or -2 (no data).  Paths are
// whole strings, however long.  GUI thread only.

#include <string>
#include <vector>

#include "guitoolkit/CDragContainer.h"
#include "guitoolkit/CPoint.h"

namespace VSTGUI {

class CFrame;

// What a drop carries.
struct DropData {
    bool hasText = false;
    std::string text;
    std::vector<std::string> files;
};

enum DragItemType : int32_t { kDragText = 1, kDragFile = 0, kDragEnd = -1, kDragNoData = -2 };

class WinDragContainer : public CDragContainer {
public:
    // Without data the container answers no data.
    explicit WinDragContainer(const DropData* data);

    void forget();
    void remember() { ++references; }
    void* first(int32_t& size, int32_t& type) override;
    void* next(int32_t& size, int32_t& type) override;
    int32_t getType() const;
    int32_t getCount() const override { return count; }

    // What the views answered: 0 = no drop.
    uint8_t effect = 0;

private:
    int32_t references = 1;
    const DropData* data;
    int32_t count = 0;
    int32_t index = 0;
    std::string item;
};

class CDropTarget {
public:
    explicit CDropTarget(CFrame* frame) : frame(frame) {}

    int32_t AddRef() { return ++references; }
    int32_t Release();
    // Each answers the effect byte that the views left (0 = refused).
    uint8_t DragEnter(const DropData* data);
    uint8_t DragOver();
    void DragLeave();
    uint8_t Drop();
    // Plays one finished drop: enter, move, drop.
    uint8_t deliver(const std::string& text, const std::vector<std::string>& files);
    // The frame goes away; later calls do nothing.
    void clearFrame() { frame = nullptr; }

    // The drag under way in the process, or null.
    static WinDragContainer* currentDrag();

private:
    ~CDropTarget() = default;
    CPoint where() const;
    void endDrag();

    int32_t references = 0;
    CFrame* frame;
    DropData held;
};

}  // namespace VSTGUI
