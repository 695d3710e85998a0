#include "guitoolkit/DibDecoder.h"

#include <cstdlib>

#include "platform/LittleEndian.h"

namespace VSTGUI {
namespace {

using platform::appendLittle;
using platform::littleHalf;
using platform::littleWord;

constexpr size_t kHeaderBytes = 40;

}  // namespace

bool decodeDib(const uint8_t* bytes, size_t size, DecodedImage& image) {
    image = {};
    if (!bytes || size < kHeaderBytes) return false;
    const uint32_t headerSize = littleWord(bytes);
    const int64_t width = static_cast<int32_t>(littleWord(bytes + 4));
    const int64_t signedHeight = static_cast<int32_t>(littleWord(bytes + 8));
    const int bits = littleHalf(bytes + 14);
    const int64_t height = std::llabs(signedHeight);
    if (headerSize < kHeaderBytes || headerSize > size || littleHalf(bytes + 12) != 1 || littleWord(bytes + 16) != 0) return false;
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
    appendLittle(out, kHeaderBytes, 4);
    appendLittle(out, static_cast<uint32_t>(image.width), 4);
    appendLittle(out, static_cast<uint32_t>(image.height), 4);  // bottom-up
    appendLittle(out, 1, 2);
    appendLittle(out, 24, 2);
    for (int i = 0; i < 6; ++i) appendLittle(out, 0, 4);  // uncompressed; sizes and palette unused
    for (int64_t y = image.height - 1; y >= 0; --y) {
        const uint32_t* row = image.pixels.data() + y * image.width;
        for (int64_t x = 0; x < image.width; ++x) appendLittle(out, row[x], 3);
        for (int64_t pad = int64_t{image.width} * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace VSTGUI
