// Scans arbitrary bytes as a preset file of a bank, as the preset library
// does at start-up and after every save.  An entry that is kept must hold a
// whole file whose header the chunk accepts.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "persistence/PresetLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One folder for the whole run, removed when the process ends; in memory
    // where the system offers it, so that inputs make no disk traffic.
    static const struct Folder {
        std::filesystem::path root =
            (access("/dev/shm", W_OK) == 0 ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
            ("zorvane-fuzz-presets-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(root / "Midi Programs"); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        }
    } folder;
    const std::filesystem::path& root = folder.root;
    if (size > (1u << 20)) return 0;
    const std::filesystem::path file = root / "Midi Programs" / "Input.zvp";
    if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    PresetLibrary library("zvp", 1, 290908);
    library.rescan(root.string(), true);
    if (PresetLibraryEntry* entry = library.getPresetInCurrentBank(0)) {
        if (!entry->chunk.parseHeader(true) || entry->chunk.getDataLength() != entry->chunk.getCapacityWords())
            __builtin_trap();
        if (!library.copyPresetInCurrentBank(0)) __builtin_trap();
    }
    return 0;
}
