#include "guitoolkit/WindowSnapshot.h"

#include <cairo.h>

#include "platform/AtomicFile.h"

namespace VSTGUI {

namespace {
cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    return static_cast<platform::AtomicFile*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS
                                                                            : CAIRO_STATUS_WRITE_ERROR;
}
}  // namespace

bool writeWindowPng(platform::WindowId window, const std::filesystem::path& path) {
    return writePixelsPng(platform::windowSystem().surface(window), path);
}

bool writePixelsPng(const platform::WindowSurface& s, const std::filesystem::path& path) {
    if (!s.pixels || s.width <= 0 || s.height <= 0) return false;
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(s.pixels), CAIRO_FORMAT_RGB24, s.width, s.height, s.width * 4);
    platform::AtomicFile file(path);
    const bool written = cairo_surface_write_to_png_stream(image, writeToFile, &file) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return written && file.commit();
}

}  // namespace VSTGUI
