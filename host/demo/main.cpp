// zorvane-demo-state <file>: writes the state chunk of the demo set-up (see
// DemoState.h).  A content tool like zorvane-factory: it builds an instance
// of the plug-in object directly and saves what the host would.

#include <cstdio>
#include <string_view>

#include "ToolArguments.h"
#include "host/demo/DemoState.h"
#include "platform/AtomicFile.h"
#include "platform/Framework.h"
#include "plugin/BWUniClient.h"

namespace {

const char* const kUsage =
    "usage: zorvane-demo-state FILE\n"
    "  Writes the demo's state to FILE: chords held on the keys play as a\n"
    "  phrase (a struck chord, then an arpeggio) on the factory piano, pad and\n"
    "  bass over a soft kick, with chorus, echo and a hall.  Load it with\n"
    "  zorvane-host render --state FILE (the content folder must hold the\n"
    "  factory instruments: zorvane-factory).\n";

}  // namespace

int main(int argc, char** argv) {
    const ToolArguments args = readToolArguments(argc, argv, "zorvane-demo-state", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    initFramework(defaultProductInfo(), 1, true);
    BWUniClient client(nullptr, 1, false);
    setUpDemo(client);
    void* data = nullptr;
    const int32_t size = client.getChunk(&data, false);
    if (size <= 0 || !data || !platform::writeFileAtomically(args.path, std::string_view(static_cast<const char*>(data), size_t(size)))) {
        std::fprintf(stderr, "zorvane-demo-state: cannot write %s\n", args.path.c_str());
        return 1;
    }
    return 0;
}
