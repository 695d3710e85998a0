#pragma once
// A sheet's design-size drawing as the editor's window shows it at a zoom
// factor: the same blit (copy, repeated pixels or bilinear) that the frame's
// paint makes from its back buffer.

#include <cstdint>
#include <vector>

namespace VSTGUI {
class COffscreenContext;
}

namespace sheet {

// The context's pixels scaled by the factor; width and height come out.
std::vector<uint32_t> zoomedPixels(const VSTGUI::COffscreenContext& design, float factor, int32_t& width,
                                   int32_t& height);

}  // namespace sheet
