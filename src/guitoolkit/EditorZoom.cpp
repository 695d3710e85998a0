#include "guitoolkit/EditorZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "persistence/Settings.h"

namespace VSTGUI {

namespace {

constexpr float kSteps[] = {0.9f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 2.0f};

int32_t modeOf(float total) {
    if (total == 1.0f) return 0;
    for (float k : {2.0f, 3.0f, 4.0f, 5.0f, 6.0f})
        if (total == k) return 1;
    return 2;
}

// One channel of four pixels mixed with weights that sum to at most 256.
uint32_t mixChannel(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int32_t shift, const int32_t w[4]) {
    const int32_t sum = static_cast<int32_t>((a >> shift) & 255) * w[0] + static_cast<int32_t>((b >> shift) & 255) * w[1] +
                        static_cast<int32_t>((c >> shift) & 255) * w[2] + static_cast<int32_t>((d >> shift) & 255) * w[3];
    return static_cast<uint32_t>(std::clamp(sum >> 8, 0, 255)) << shift;
}

}  // namespace

EditorZoom::EditorZoom() : steps(std::begin(kSteps), std::end(kSteps)) {
    for (float step : steps) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d %%", static_cast<int32_t>(step * 100.0f));
        labels.emplace_back(text);
    }
}

std::string EditorZoom::settingName() const {
    char name[32];
    std::snprintf(name, sizeof(name), "resizefactor%d", static_cast<int32_t>(baseFactor));
    return name;
}

bool EditorZoom::fitsScreen(float factor) const {
    const platform::ScreenInfo screen = platform::windowSystem().screen();
    return static_cast<int32_t>(designWidth * baseFactor * factor) <= screen.width &&
           static_cast<int32_t>(designHeight * baseFactor * factor) <= screen.height;
}

void EditorZoom::setup(int32_t width, int32_t height) {
    designWidth = zoomedWidth = width;
    designHeight = zoomedHeight = height;
    if (getSettingDword("noresize") != 0) return;
    const bool force = getSettingDword("forceresize") != 0;
    const platform::ScreenInfo screen = platform::windowSystem().screen();
    float base = 1.0f;
    if (screen.dpiAware && width > 0) {
        base = static_cast<float>(screen.width / width) - 2.0f;
        if (base == 1.0f && width * 3.0f < screen.width) base = 2.0f;
        if (screen.height >= 401)
            while (base * height > screen.height - 100) base *= 0.5f;
        if (base < 1.0f) base = 1.0f;
    }
    if (width > screen.width || height > screen.height) base = 0.5f;
    if (width > 2 * screen.width || height > 2 * screen.height) base = 0.25f;
    baseFactor = base;

    const uint32_t stored = getSettingDword(settingName());
    float factor = 1.0f;
    if (stored != 0 && (resizable || force)) {
        // In double, as the percentage was written: 240 at base 2 reads back
        // as exactly 1.2, not one float step below it.
        const auto f = static_cast<float>(stored * 0.01 / base);
        if (f == 1.0f || force || fitsScreen(f)) factor = f;
    }
    apply(factor);
}

void EditorZoom::apply(float factor) {
    if (designWidth == 0 || factor == 0.0f) return;
    totalFactor = factor * baseFactor;
    inverseFactor = 1.0f / totalFactor;
    zoomedWidth = static_cast<int32_t>(designWidth * totalFactor);
    zoomedHeight = static_cast<int32_t>(designHeight * totalFactor);
    setSettingDword(settingName(), static_cast<uint32_t>(static_cast<int32_t>(totalFactor * 100.0f)));
    mode = modeOf(totalFactor);
    const int32_t nearest = nearestStep(userFactor());
    label = nearest >= 0 && static_cast<size_t>(nearest) < labels.size() ? labels[nearest] : "0%";
}

int32_t EditorZoom::nearestStep(float factor) const {
    int32_t best = -1;
    float distance = 100.0f;
    for (size_t i = 0; i < steps.size(); ++i) {
        const float d = std::fabs(steps[i] - factor);
        if (d < distance) {
            distance = d;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

CRect EditorZoom::integerBlitRect(const CRect& rect, int32_t k) {
    if (k <= 0) return rect;
    auto down = [k](int32_t v) { return v >= 0 ? v / k * k : -((-v + k - 1) / k * k); };
    auto up = [k](int32_t v) { return v >= 0 ? (v + k - 1) / k * k : -(-v / k * k); };
    return CRect(down(rect.left), down(rect.top), up(rect.right), up(rect.bottom));
}

void EditorZoom::blit(const uint32_t* source, int32_t stride, int32_t width, int32_t height,
                      const platform::WindowSurface& target, const CRect& rect) const {
    if (!source || !target.pixels) return;
    if (mode == 1) return blitInteger(source, stride, width, height, target, rect);
    if (mode == 2) return blitBilinear(source, stride, width, height, target, rect);
    CRect r = rect;
    r.bound(CRect(0, 0, std::min(width, target.width), std::min(height, target.height)));
    for (int32_t y = r.top; y < r.bottom; ++y)
        std::copy_n(source + static_cast<size_t>(y) * stride + r.left, r.width(),
                    target.pixels + static_cast<size_t>(y) * target.width + r.left);
}

void EditorZoom::blitInteger(const uint32_t* source, int32_t stride, int32_t width, int32_t height,
                             const platform::WindowSurface& target, const CRect& rect) const {
    const auto k = static_cast<int32_t>(totalFactor);
    CRect r = integerBlitRect(rect, k);
    r.bound(CRect(0, 0, std::min(target.width, width * k), std::min(target.height, height * k)));
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint32_t* row = source + static_cast<size_t>(y / k) * stride;
        uint32_t* out = target.pixels + static_cast<size_t>(y) * target.width;
        for (int32_t x = r.left; x < r.right; ++x) out[x] = row[x / k];
    }
}

void EditorZoom::blitBilinear(const uint32_t* source, int32_t stride, int32_t width, int32_t height,
                              const platform::WindowSurface& target, const CRect& rect) const {
    // The back buffer's design-size area is what the window shows.
    const int32_t w = std::min(width, designWidth);
    const int32_t h = std::min(height, designHeight);
    if (w < 2 || h < 2 || zoomedWidth <= 0 || zoomedHeight <= 0) return;
    CRect r = rect;
    r.bound(CRect(0, 0, std::min(target.width, zoomedWidth), std::min(target.height, zoomedHeight)));
    const double sx = static_cast<double>(designWidth) / zoomedWidth;
    const double sy = static_cast<double>(designHeight) / zoomedHeight;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const double fy = y * sy;
        int32_t iy = static_cast<int32_t>(fy);
        const auto wy = static_cast<int32_t>((fy - iy) * 256.0);
        if (iy > h - 2) iy = h - 2;
        const uint32_t* row0 = source + static_cast<size_t>(iy) * stride;
        const uint32_t* row1 = row0 + stride;
        uint32_t* out = target.pixels + static_cast<size_t>(y) * target.width;
        for (int32_t x = r.left; x < r.right; ++x) {
            const double fx = x * sx;
            int32_t ix = static_cast<int32_t>(fx);
            const auto wx = static_cast<int32_t>((fx - ix) * 256.0);
            if (ix > w - 2) ix = w - 2;
            const int32_t weights[4] = {((256 - wx) * (256 - wy)) >> 8, (wx * (256 - wy)) >> 8,
                                        ((256 - wx) * wy) >> 8, (wx * wy) >> 8};
            const uint32_t a = row0[ix], b = row0[ix + 1], c = row1[ix], d = row1[ix + 1];
            out[x] = mixChannel(a, b, c, d, 0, weights) | mixChannel(a, b, c, d, 8, weights) |
                     mixChannel(a, b, c, d, 16, weights) | mixChannel(a, b, c, d, 24, weights);
        }
    }
}

}  // namespace VSTGUI
