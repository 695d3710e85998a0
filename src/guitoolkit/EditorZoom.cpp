#include "guitoolkit/EditorZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <emmintrin.h>

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

// The bilinear mix of one window pixel, eight 16-bit lanes at a time (SSE2,
// which every x86-64 machine has): the top pair of source pixels a, b and
// the bottom pair c, d, one channel a lane.  `spread` holds 128 (256 - wx)
// four times, then 128 wx four times; `rowTop` is 2 (256 - wy), `rowBottom`
// 2 wy in every lane.  The high half of a product then is exactly
// ((256 - wx) (256 - wy)) >> 8 and its kin, the weights in 1/256, and no
// lane's sum of weighted channels (at most 255 x 256) overflows: each channel
// comes out as (sum >> 8), bit for bit what mixing it alone gives.
inline uint32_t mixPixel(const uint32_t* top, const uint32_t* bottom, __m128i spread, __m128i rowTop,
                         __m128i rowBottom) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ab = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)), zero);
    const __m128i cd = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), zero);
    const __m128i weighted = _mm_add_epi16(_mm_mullo_epi16(ab, _mm_mulhi_epu16(spread, rowTop)),
                                           _mm_mullo_epi16(cd, _mm_mulhi_epu16(spread, rowBottom)));
    const __m128i sum = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_srli_si128(weighted, 8)), 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
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
        uint32_t* out = target.pixels + static_cast<size_t>(y) * target.width;
        // The k window rows of one source row are alike: the first is made,
        // the others copied.
        if (y > r.top && y % k != 0) {
            std::copy_n(out - target.width + r.left, r.width(), out + r.left);
            continue;
        }
        const uint32_t* row = source + static_cast<size_t>(y / k) * stride;
        int32_t column = r.left / k;
        int32_t repeat = r.left % k;
        for (int32_t x = r.left; x < r.right; ++column, repeat = 0)
            for (const uint32_t pixel = row[column]; repeat < k && x < r.right; ++repeat) out[x++] = pixel;
    }
}

void EditorZoom::BilinearTaps::make(int32_t design, int32_t zoomedSize, int32_t limit) {
    if (zoomed == zoomedSize && sourceLimit == limit && index.size() == size_t(zoomedSize)) return;
    zoomed = zoomedSize;
    sourceLimit = limit;
    index.resize(size_t(zoomedSize));
    weight.resize(size_t(zoomedSize));
    spread.resize(size_t(zoomedSize) * 8);
    // In double, position by position, as the mix was first worked out: the
    // weights must not drift by a rounding step from one column to the next.
    const double scale = static_cast<double>(design) / zoomedSize;
    for (int32_t i = 0; i < zoomedSize; ++i) {
        const double f = i * scale;
        const auto whole = static_cast<int32_t>(f);
        const auto w = static_cast<int32_t>((f - whole) * 256.0);
        weight[size_t(i)] = w;
        // The last column or row mixes with the one before it.
        index[size_t(i)] = std::min(whole, limit - 2);
        std::fill_n(spread.begin() + i * 8, 4, static_cast<uint16_t>((256 - w) * 128));
        std::fill_n(spread.begin() + i * 8 + 4, 4, static_cast<uint16_t>(w * 128));
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
    if (r.isEmpty()) return;
    columns.make(designWidth, zoomedWidth, w);
    rows.make(designHeight, zoomedHeight, h);
    const int32_t* columnIndex = columns.index.data();
    const auto* spread = reinterpret_cast<const __m128i*>(columns.spread.data());
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const int32_t wy = rows.weight[size_t(y)];
        const __m128i rowTop = _mm_set1_epi16(static_cast<int16_t>((256 - wy) * 2));
        const __m128i rowBottom = _mm_set1_epi16(static_cast<int16_t>(wy * 2));
        const uint32_t* row0 = source + static_cast<size_t>(rows.index[size_t(y)]) * stride;
        const uint32_t* row1 = row0 + stride;
        uint32_t* out = target.pixels + static_cast<size_t>(y) * target.width;
        for (int32_t x = r.left; x < r.right; ++x) {
            const int32_t ix = columnIndex[x];
            out[x] = mixPixel(row0 + ix, row1 + ix, _mm_loadu_si128(spread + x), rowTop, rowBottom);
        }
    }
}

}  // namespace VSTGUI
