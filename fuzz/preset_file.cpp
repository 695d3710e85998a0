// Loads arbitrary bytes as a preset file of each of the four kinds, as the
// preset menus and the default preset at start-up do.  A refused file
// changes nothing: the instance's whole state is the same before and after.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/FuzzInstance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("zorvane-fuzz-preset-" + std::to_string(getpid()) + ".zvp");
    if (size > (1u << 20)) return 0;
    BWUniClient& client = fuzzInstance();
    if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    for (int32_t kind = 0; kind < 4; ++kind) {
        const std::vector<uint8_t> before = stateOf(client);
        if (!client.loadPresetFromFile(file.c_str(), kind) && stateOf(client) != before) __builtin_trap();
    }
    std::remove(file.c_str());
    return 0;
}
