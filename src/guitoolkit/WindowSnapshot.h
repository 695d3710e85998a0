#pragma once
// Saves what a window shows as a PNG file: the headless editor's screenshot.
// The window's surface is written as opaque RGB; the file is replaced
// atomically, so a failed save leaves the old one.  GUI thread only.

#include <filesystem>

#include "platform/WindowSystem.h"

namespace VSTGUI {

// False when the window does not exist or the file cannot be written.
bool writeWindowPng(platform::WindowId window, const std::filesystem::path& path);
// The same for pixels of a window's layout (a host's copy of a view):
// false when there are none or the file cannot be written.
bool writePixelsPng(const platform::WindowSurface& pixels, const std::filesystem::path& path);

}  // namespace VSTGUI
