#pragma once
// The editor window's zoom: the design size, a display base factor chosen
// from the screen, a user factor from twelve steps, the settings that
// remember it ("noresize", "forceresize", "resizefactor%d") and the pixel
// scaling of the paint from the design-size back buffer to the window.
//
// Total factor = user factor x display base factor.  Zoom mode 0 copies
// (factor 1.0), mode 1 repeats pixels (factors 2 to 6), mode 2 mixes the four
// neighbours with weights in 1/256 (every other factor).  GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "guitoolkit/CRect.h"
#include "platform/WindowSystem.h"

namespace VSTGUI {

class EditorZoom {
public:
    EditorZoom();

    // Chooses the display base factor for the screen and takes the stored
    // factor when allowed (the derived editor's constructor calls it once).
    void setup(int32_t width, int32_t height);
    // Sets the user factor; stores the total percentage.  Nothing when there
    // is no design size or the factor is 0.
    void apply(float factor);
    // Whether the window at this user factor fits the screen.
    bool fitsScreen(float factor) const;
    // The step nearest to the factor (the first of equals), -1 without steps.
    int32_t nearestStep(float factor) const;
    // The settings value name for the current base factor.
    std::string settingName() const;
    // The user factor: total divided by the base.
    float userFactor() const { return totalFactor / baseFactor; }

    // Copies the rectangle (window pixels) of the window from the back buffer
    // (design-size pixels, stride in pixels) by the zoom mode.
    void blit(const uint32_t* source, int32_t sourceStride, int32_t sourceWidth, int32_t sourceHeight,
              const platform::WindowSurface& target, const CRect& rect) const;
    // The window rectangle that a mode-1 blit writes for a rectangle.
    static CRect integerBlitRect(const CRect& rect, int32_t factor);

    int32_t designWidth = 0;
    int32_t designHeight = 0;
    int32_t zoomedWidth = 0;
    int32_t zoomedHeight = 0;
    float totalFactor = 1.0f;
    float inverseFactor = 1.0f;
    std::vector<float> steps;
    std::vector<std::string> labels;
    std::string label = "100 %";
    float baseFactor = 1.0f;
    int32_t mode = 0;
    bool resizePending = false;
    bool resizable = false;

private:
    // Where each window column (or row) of a mode-2 blit reads: the first of
    // its two source pixels and the second one's weight in 1/256.  Made once
    // per zoom and source size, not once per pixel.
    struct BilinearTaps {
        std::vector<int32_t> index;
        std::vector<int32_t> weight;
        // Per column: the two pixels' weights, each four times (one per
        // channel) and times 128, as the mix's multiply takes them.
        std::vector<uint16_t> spread;
        int32_t zoomed = -1;
        int32_t sourceLimit = -1;
        void make(int32_t design, int32_t zoomed, int32_t sourceLimit);
    };

    void blitInteger(const uint32_t* source, int32_t stride, int32_t width, int32_t height,
                     const platform::WindowSurface& target, const CRect& rect) const;
    void blitBilinear(const uint32_t* source, int32_t stride, int32_t width, int32_t height,
                      const platform::WindowSurface& target, const CRect& rect) const;

    // The paint's caches: GUI thread only, as the blit itself.
    mutable BilinearTaps columns;
    mutable BilinearTaps rows;
};

}  // namespace VSTGUI
