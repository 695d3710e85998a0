#pragma once
// Dragging a file out of the plug-in to the host (the MIDI export offers its
// file this way).  The drag is handed to a receiver: one installed in this
// process (tests), else the host program's own, which it exports as the C
// function kHostDropReceiver (the stand-in for the system's drag service,
// reached without the module linking to its host); headless, the drag ends
// at once without a drop.  An installed receiver may ask the drag's source
// whether to go on, as a drop target would while the mouse moves.  The
// drag is a wait on the person (a ModalWait, ModalWait.h).  GUI thread only.

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// The allowed and performed effects of a drag.
constexpr uint32_t kDropEffectNone = 0;
constexpr uint32_t kDropEffectCopy = 1;
constexpr uint32_t kDropEffectMove = 2;
constexpr uint32_t kDropEffectLink = 4;

// Answers of a drag source.
constexpr int32_t kDragContinue = 0;                          // S_OK
constexpr int32_t kDragDrop = 0x00040100;
constexpr int32_t kDragCancel = 0x00040101;
constexpr int32_t kDragUseDefaultCursors = 0x00040102;

// Mouse buttons in a key state.
constexpr uint32_t kKeyLeftButton = 1;
constexpr uint32_t kKeyRightButton = 2;

class DragSource {
public:
    virtual ~DragSource() = default;
    virtual int32_t QueryContinueDrag(bool escapePressed, uint32_t keyState) = 0;
    virtual int32_t GiveFeedback(uint32_t effect) = 0;
};

struct DragOutRequest {
    std::string path;
    uint32_t allowedEffects = kDropEffectNone;
    DragSource* source = nullptr;
};

// Answers the effect performed (kDropEffectNone when nothing was dropped).
using DragOutReceiver = std::function<uint32_t(const DragOutRequest&)>;

// The name and form of the host program's receiver: takes the path and the
// allowed effects, answers the effect performed.
constexpr const char* kHostDropReceiver = "zorvane_receive_drop";
using HostDropReceiver = uint32_t (*)(const char* path, uint32_t allowedEffects);

uint32_t dragFileOut(const DragOutRequest& request);

// Replaces the receiver; an empty one restores the headless default.
// Answers the receiver that was installed before.
DragOutReceiver setDragOutReceiver(DragOutReceiver receiver);

}  // namespace platform
