// The host stand-in's side of a file dragged out of the plug-in (the MIDI
// export): the plug-in's drag service finds this function by name in the
// program and hands it the file; the host takes a copy, as a host takes a
// dropped file onto a track.  The drop goes to $ZORVANE_DROP_DIR, else the
// current folder.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/DragOut.h"

extern "C" __attribute__((visibility("default"))) uint32_t zorvane_receive_drop(const char* path,
                                                                                uint32_t allowedEffects) {
    if (!path || !(allowedEffects & platform::kDropEffectCopy)) return platform::kDropEffectNone;
    const char* folder = std::getenv("ZORVANE_DROP_DIR");
    const std::filesystem::path source(path);
    const std::filesystem::path target = std::filesystem::path(folder && *folder ? folder : ".") / source.filename();
    std::error_code error;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "zorvane-host: could not take the dropped file %s: %s\n", path, error.message().c_str());
        return platform::kDropEffectNone;
    }
    std::fprintf(stderr, "zorvane-host: dropped %s into %s\n", path, target.c_str());
    return platform::kDropEffectCopy;
}
