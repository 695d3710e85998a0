#pragma once
// The source side of the MIDI file drag: goes on while a mouse button is
// held, drops when it is let go, cancels on escape.  Reference counted like
// the system's drag sources; it deletes itself with its last reference.

#include <atomic>
#include <cstdint>

#include "platform/DragOut.h"

// A 128-bit interface identifier.
struct InterfaceId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
    bool operator==(const InterfaceId&) const = default;
};

class BWDropSource : public platform::DragSource {
public:
    static constexpr InterfaceId kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static constexpr InterfaceId kDropSourceId = {0x00000121, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static constexpr int32_t kNoInterface = int32_t(0x80004002);

    BWDropSource() = default;

    // Itself (with a reference added) for the two identifiers it answers to.
    int32_t QueryInterface(const InterfaceId& id, void** object);
    uint32_t AddRef();
    uint32_t Release();
    int32_t QueryContinueDrag(bool escapePressed, uint32_t keyState) override;
    int32_t GiveFeedback(uint32_t effect) override;

private:
    ~BWDropSource() override = default;
    std::atomic<uint32_t> references{1};
};
