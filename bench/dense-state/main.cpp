// zorvane-dense-state <file>: writes the dense patch as a state file, so
// that a whole-program comparison (bench/compare-fluidsynth) can render it
// with zorvane-host render --state.  The instruments come from the folder
// the settings name (zorvane-host content DIR points them there for good).

#include <cstdio>
#include <string_view>

#include "ToolArguments.h"
#include "engine/BWRomplerLibrary.h"
#include "host/demo/DensePatch.h"
#include "platform/AtomicFile.h"
#include "platform/Framework.h"
#include "plugin/BWUniClient.h"

namespace {

const char* const kUsage =
    "usage: zorvane-dense-state FILE\n"
    "  Writes the dense patch's state to FILE: three layers of the factory\n"
    "  keys, pad and bass through a filter per voice, chord steps that\n"
    "  retrigger, the kick, the compressor and every effect.  The settings\n"
    "  must name a folder with the factory instruments (zorvane-host\n"
    "  content DIR does); without them nothing is written.\n";

}  // namespace

int main(int argc, char** argv) {
    const ToolArguments args = readToolArguments(argc, argv, "zorvane-dense-state", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    initFramework(defaultProductInfo(), 1, true);
    globalRomplerLibrary().scan(true);
    BWUniClient client(nullptr, 1, false);
    densePatch(client, true);
    // Empty layers would render only the kick and effects: no state at all
    // beats one that quietly measures something else.
    if (!denseInstrumentsLoaded(client)) {
        std::fprintf(stderr,
                     "zorvane-dense-state: the instrument library lacks the factory keys, pad or bass; point the "
                     "settings at the factory content (zorvane-host content DIR)\n");
        return 1;
    }
    void* data = nullptr;
    const int32_t size = client.getChunk(&data, false);
    if (size <= 0 || !data ||
        !platform::writeFileAtomically(args.path, std::string_view(static_cast<const char*>(data), size_t(size)))) {
        std::fprintf(stderr, "zorvane-dense-state: cannot write %s\n", args.path.c_str());
        return 1;
    }
    return 0;
}
