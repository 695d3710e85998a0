#include "gui-sheet/SheetZoom.h"

#include <cairo.h>

#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/EditorZoom.h"

namespace sheet {

std::vector<uint32_t> zoomedPixels(const VSTGUI::COffscreenContext& design, float factor, int32_t& width,
                                   int32_t& height) {
    VSTGUI::EditorZoom zoom;
    zoom.designWidth = design.getWidth();
    zoom.designHeight = design.getHeight();
    zoom.totalFactor = factor;
    zoom.inverseFactor = 1.0f / factor;
    zoom.mode = factor == 1.0f ? 0 : factor == 2.0f ? 1 : 2;
    width = zoom.zoomedWidth = static_cast<int32_t>(static_cast<float>(design.getWidth()) * factor);
    height = zoom.zoomedHeight = static_cast<int32_t>(static_cast<float>(design.getHeight()) * factor);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    cairo_surface_t* surface = design.getSurface();
    if (!surface) return pixels;
    cairo_surface_flush(surface);
    const auto* source = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    const int32_t stride = cairo_image_surface_get_stride(surface) / 4;
    zoom.blit(source, stride, design.getWidth(), design.getHeight(), platform::WindowSurface{pixels.data(), width, height},
              VSTGUI::CRect(0, 0, width, height));
    return pixels;
}

}  // namespace sheet
