#include "guitoolkit/CDropTarget.h"

#include <filesystem>
#include <system_error>

#include "guitoolkit/CFrame.h"
#include "persistence/PathStrings.h"

namespace VSTGUI {

namespace {

WinDragContainer* current = nullptr;

// A link's target; the name itself when it is no link or cannot be read.
std::string resolveLink(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_symlink(name, error)) return name;
    const fs::path target = fs::read_symlink(name, error);
    if (error) return name;
    const fs::path full = target.is_absolute() ? target : fs::path(name).parent_path() / target;
    return full.lexically_normal().string();
}

}  // namespace

WinDragContainer::WinDragContainer(const DropData* data) : data(data) {
    if (data) count = data->hasText ? 1 : static_cast<int32_t>(data->files.size());
}

void WinDragContainer::forget() {
    if (--references == 0) delete this;
}

int32_t WinDragContainer::getType() const {
    if (!data) return kDragNoData;
    return data->hasText ? kDragText : kDragFile;
}

void* WinDragContainer::first(int32_t& size, int32_t& type) {
    index = 0;
    return next(size, type);
}

void* WinDragContainer::next(int32_t& size, int32_t& type) {
    item.clear();
    size = 0;
    type = kDragEnd;
    if (!data) {
        type = kDragNoData;
        return nullptr;
    }
    if (data->hasText) {
        // The text as the clipboard holds it: with its terminating zero.
        if (index++ != 0 || data->text.size() + 1 <= 1) return nullptr;
        item = data->text;
        size = static_cast<int32_t>(item.size() + 1);
        type = kDragText;
        return item.data();
    }
    if (index >= static_cast<int32_t>(data->files.size())) return nullptr;
    item = data->files[index++];
    if (hasSuffix(toLowerCopy(item), ".lnk")) item = resolveLink(item);
    size = static_cast<int32_t>(item.size());
    type = kDragFile;
    return item.data();
}

WinDragContainer* CDropTarget::currentDrag() { return current; }

int32_t CDropTarget::Release() {
    const int32_t left = --references;
    if (left == 0) delete this;
    return left;
}

CPoint CDropTarget::where() const {
    CPoint point;
    if (frame) frame->getCurrentLocation(point);
    return point;
}

uint8_t CDropTarget::DragEnter(const DropData* data) {
    if (!data || !frame) return 0;
    if (current) endDrag();
    current = new WinDragContainer(data);
    current->effect = 0;
    frame->onDragEnter(current, where());
    return current ? current->effect : 0;
}

uint8_t CDropTarget::DragOver() {
    if (!current || !frame) return 0;
    frame->onDragMove(current, where());
    return current ? current->effect : 0;
}

void CDropTarget::DragLeave() {
    if (!current || !frame) return;
    frame->onDragLeave(current, where());
    endDrag();
}

uint8_t CDropTarget::Drop() {
    if (!current || !frame) return 0;
    frame->onDrop(current, where());
    const uint8_t effect = current ? current->effect : 0;
    endDrag();
    return effect;
}

void CDropTarget::endDrag() {
    if (WinDragContainer* drag = current) {
        current = nullptr;
        drag->forget();
    }
}

uint8_t CDropTarget::deliver(const std::string& text, const std::vector<std::string>& files) {
    AddRef();  // a view may end the frame during the drop
    held = DropData{!text.empty() && files.empty(), text, files};
    // The drop has happened already when the window layer reports it, so
    // the views get the whole sequence whatever they answered on the way.
    DragEnter(&held);
    DragOver();
    const uint8_t effect = Drop();
    Release();
    return effect;
}

}  // namespace VSTGUI
