#include "guitoolkit/DibDecoder.h"

#include <cstdlib>

namespace VSTGUI {
namespace {

constexpr size_t kHeaderBytes = 40;

uint32_t word(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t half(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool decodeDib(const uint8_t* bytes, size_t size, DecodedImage& image) {
    image = {};
    if (!bytes || size < kHeaderBytes) return false;
    const uint32_t headerSize = word(bytes);
    const int64_t width = static_cast<int32_t>(word(bytes + 4));
    const int64_t signedHeight = static_cast<int32_t>(word(bytes + 8));
    const int bits = half(bytes + 14);
    const int64_t height = std::llabs(signedHeight);
    if (headerSize < kHeaderBytes || headerSize > size || half(bytes + 12) != 1 || word(bytes + 16) != 0) return false;
    if ((bits != 24 && bits != 32) || width <= 0 || height <= 0 || width > kMaxImageSide ||
        height > kMaxImageSide || width * height > kMaxImagePixels)
        return false;
    const int64_t stride = (width * bits / 8 + 3) / 4 * 4;
    if (stride * height > static_cast<int64_t>(size - headerSize)) return false;

    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.pixels.resize(static_cast<size_t>(width * height));
    const uint8_t* rows = bytes + headerSize;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* src = rows + (signedHeight > 0 ? height - 1 - y : y) * stride;
        uint32_t* dst = image.pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x, src += bits / 8)
            dst[x] = 0xFF000000u | uint32_t{src[2]} << 16 | uint32_t{src[1]} << 8 | src[0];
    }
    return true;
}

std::vector<uint8_t> encodeDib(const DecodedImage& image) {
    std::vector<uint8_t> out;
    const int64_t stride = (int64_t{image.width} * 3 + 3) / 4 * 4;
    out.reserve(kHeaderBytes + static_cast<size_t>(stride * image.height));
    put(out, kHeaderBytes, 4);
    put(out, static_cast<uint32_t>(image.width), 4);
    put(out, static_cast<uint32_t>(image.height), 4);  // bottom-up
    put(out, 1, 2);
    put(out, 24, 2);
    for (int i = 0; i < 6; ++i) put(out, 0, 4);  // uncompressed; sizes and palette unused
    for (int64_t y = image.height - 1; y >= 0; --y) {
        const uint32_t* row = image.pixels.data() + y * image.width;
        for (int64_t x = 0; x < image.width; ++x) put(out, row[x], 3);
        for (int64_t pad = int64_t{image.width} * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace VSTGUI
