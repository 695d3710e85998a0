#include "image-foundry/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>

namespace foundry {
namespace {

void append(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}
void noFlush(png_structp) {}

}  // namespace

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height, bool grey) {
    std::vector<uint8_t> rows;
    const int channels = grey ? 2 : 4;
    rows.reserve(size_t(width) * height * channels);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        if (grey) {
            rows.push_back(static_cast<uint8_t>((rgba[i] * 299 + rgba[i + 1] * 587 + rgba[i + 2] * 114) / 1000));
            rows.push_back(rgba[i + 3]);
        } else {
            rows.insert(rows.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 4);
        }
    }
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, append, noFlush);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, width, height, 8, grey ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rows.data() + size_t(y) * width * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace foundry
