// The host stand-in's side of a file dragged out of the plug-in (the MIDI
// export): the plug-in's drag service finds this function by name in the
// program and hands it the file; the host takes a copy, as a host takes a
// dropped file onto a track.  The drop goes to $ZORVANE_DROP_DIR, else the
// current folder, through the atomic writer: a copy cut short by a crash or
// a full disk leaves the file that was there before, never a part of one.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/DragOut.h"
#include "platform/ReadableFile.h"

namespace {

bool copyWhole(const std::filesystem::path& source, const std::filesystem::path& target, std::string& error) {
    // Anything but a file (a folder, a pipe that would never end) is no drop.
    platform::ReadableFile in(source);
    if (!in.isOpen()) {
        error = in.problem();
        return false;
    }
    platform::AtomicFile out(target);
    char block[64 * 1024];
    for (size_t got; (got = in.read(block, sizeof block)) > 0;) out.write(block, got);
    if (!in.problem().empty()) {
        error = in.problem();
        return false;
    }
    if (!out.commit()) error = out.error();
    return error.empty();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) uint32_t zorvane_receive_drop(const char* path,
                                                                                uint32_t allowedEffects) {
    if (!path || !(allowedEffects & platform::kDropEffectCopy)) return platform::kDropEffectNone;
    const char* folder = std::getenv("ZORVANE_DROP_DIR");
    const std::filesystem::path source(path);
    const std::filesystem::path target = std::filesystem::path(folder && *folder ? folder : ".") / source.filename();
    std::string error;
    if (!copyWhole(source, target, error)) {
        std::fprintf(stderr, "zorvane-host: could not take the dropped file %s: %s\n", path, error.c_str());
        return platform::kDropEffectNone;
    }
    std::fprintf(stderr, "zorvane-host: dropped %s into %s\n", path, target.c_str());
    return platform::kDropEffectCopy;
}
