#include "guitoolkit/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace VSTGUI {
namespace {

// The most libpng may hold for one ancillary chunk, and how many it keeps:
// the images here carry none of any size.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
constexpr png_uint_32 kMaxAncillaryChunks = 128;

// Every chunk's declared length fits in the bytes that follow it.  libpng
// sizes some buffers from a chunk's length before it reads the chunk, so a
// bogus length in a small file could otherwise ask for gigabytes.
bool chunksFitTheFile(const uint8_t* bytes, size_t size) {
    for (size_t at = 8; at + 12 <= size;) {
        const size_t length = size_t(bytes[at]) << 24 | size_t(bytes[at + 1]) << 16 | size_t(bytes[at + 2]) << 8 |
                              bytes[at + 3];
        if (length > size - at - 12) return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return true;  // a file cut short is libpng's to refuse
}

struct MemoryReader {
    const uint8_t* bytes;
    size_t size;
    size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at) png_error(png, "read past the end");
    std::memcpy(out, reader->bytes + reader->at, count);
    reader->at += count;
}

// libpng reports through longjmp; no warning is worth a line on stderr.
void ignoreWarning(png_structp, png_const_charp) {}
void failDecode(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void requestTransforms(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_strip_16(png);
    png_set_bgr(png);
}

// Everything that may longjmp; the caller owns what outlives a failure.
bool readRows(png_structp png, png_infop info, MemoryReader& reader, DecodedImage& image) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &reader, readFromMemory);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // A chunk's declared length (or an ancillary chunk that inflates) must
    // not make libpng itself ask for gigabytes before the size check below.
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxAncillaryChunks);
    png_read_info(png, info);
    const int64_t width = png_get_image_width(png, info);
    const int64_t height = png_get_image_height(png, info);
    if (width * height > kMaxImagePixels) return false;
    requestTransforms(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return false;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.pixels.assign(static_cast<size_t>(width * height), 0u);
    for (int pass = 0; pass < passes; ++pass)
        for (int64_t y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(image.pixels.data() + y * width), nullptr);
    return true;
}

void premultiply(DecodedImage& image) {
    for (uint32_t& p : image.pixels) {
        p = premultipliedPixel(p >> 24, p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    }
}

}  // namespace

bool decodePng(const uint8_t* bytes, size_t size, DecodedImage& image) {
    image = {};
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8) != 0 || !chunksFitTheFile(bytes, size)) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failDecode, ignoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{bytes, size};
    const bool ok = info && readRows(png, info, reader, image);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok) {
        image = {};
        return false;
    }
    premultiply(image);
    return true;
}

}  // namespace VSTGUI
