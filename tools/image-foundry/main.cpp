// zorvane-image-foundry <table.bin>: draws every interface image and writes
// the module's resource table (PNG resources with alpha, opaque bitmaps).
// Runs at build time.

#include <cairo.h>

#include <chrono>
#include <cstdio>

#include "guitoolkit/DecodedImage.h"
#include "guitoolkit/DibDecoder.h"
#include "image-foundry/Catalogue.h"
#include "image-foundry/Look.h"
#include "image-foundry/PngWriter.h"
#include "platform/AtomicFile.h"
#include "platform/ResourceTable.h"

namespace {

using foundry::ImageRecipe;
using foundry::Storage;

cairo_surface_t* render(const ImageRecipe& recipe) {
    const int height = recipe.frameHeight * recipe.frames;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, recipe.width, height);
    cairo_t* cr = cairo_create(surface);
    if (recipe.storage == Storage::bitmap) {
        foundry::setColour(cr, foundry::palette::panel);
        cairo_paint(cr);
    }
    if (recipe.storage == Storage::keyedBitmap) {
        // Hard edges: a blend towards the key colour would show as a light fringe.
        foundry::setColour(cr, foundry::palette::key);
        cairo_paint(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
    }
    for (int f = 0; f < recipe.frames; ++f) {
        cairo_save(cr);
        cairo_translate(cr, 0, f * recipe.frameHeight);
        cairo_rectangle(cr, 0, 0, recipe.width, recipe.frameHeight);
        cairo_clip(cr);
        recipe.draw(cr, {recipe.width, recipe.frameHeight, f, recipe.frames});
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

std::vector<uint8_t> store(const ImageRecipe& recipe, cairo_surface_t* surface) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (recipe.storage == Storage::bitmap || recipe.storage == Storage::keyedBitmap) {
        VSTGUI::DecodedImage image{w, h, {}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.pixels.push_back(*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) | 0xFF000000u);
        return VSTGUI::encodeDib(image);
    }
    std::vector<uint8_t> rgba;  // straight alpha for the PNG
    rgba.reserve(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            const uint32_t a = p >> 24;
            auto straight = [a](uint32_t c) { return uint8_t(a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0); };
            rgba.insert(rgba.end(), {straight(p >> 16 & 255), straight(p >> 8 & 255), straight(p & 255), uint8_t(a)});
        }
    return foundry::encodePng(rgba, w, h, recipe.storage == Storage::greyPng);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorvane-image-foundry <table.bin>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<platform::ResourceTable::Item> items;
    for (const ImageRecipe& recipe : foundry::catalogue()) {
        cairo_surface_t* surface = render(recipe);
        const bool png = recipe.storage == Storage::rgbaPng || recipe.storage == Storage::greyPng;
        items.push_back({recipe.id, png ? platform::ResourceType::png : platform::ResourceType::bitmap,
                         store(recipe, surface)});
        cairo_surface_destroy(surface);
    }
    const std::vector<uint8_t> table = platform::ResourceTable::write(items);
    platform::AtomicFile out(argv[1]);
    out.write(table.data(), table.size());
    if (!out.commit()) {
        std::fprintf(stderr, "zorvane-image-foundry: cannot write %s\n", argv[1]);
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("zorvane-image-foundry: %zu images, %zu bytes in %.0f ms\n", items.size(), table.size(), ms);
    return 0;
}
