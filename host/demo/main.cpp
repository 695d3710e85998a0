// zorvane-demo-state <file>: writes the state chunk of the demo set-up, so
// that a phrase played into the plug-in comes out as a sequence: the
// instrument's own clock at two steps a beat, chords from the held keys,
// the first sound layer on with the factory piano, and an event and an
// arpeggio step on every step of the first pattern.  A content tool like zorvane-factory: it builds an
// instance of the plug-in object directly and saves what the host would.

#include <cstdio>
#include <string_view>

#include "plugin/BWUniClient.h"
#include "platform/AtomicFile.h"
#include "platform/Framework.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <state file>\n", argc > 0 ? argv[0] : "zorvane-demo-state");
        return 2;
    }
    initFramework(defaultProductInfo(), 1, true);
    BWUniClient client(nullptr, 1, false);
    client.setParameter(276, 0.0f);  // the instrument's own clock
    client.setParameter(76, 0.5f);   // two steps a beat
    client.setParameter(74, 1.0f);   // chords from the held keys
    client.setParameter(341, 1.0f);  // the first sound layer plays
    // The layer's record names its instrument; the host loads it by that name
    // from the content folder when it restores the state.
    client.soundLayer(0).setName("Soft Keys");
    client.setParameter(14, 0.6f);  // a longer decay into
    client.setParameter(15, 0.5f);  // half sustain,
    client.setParameter(17, 0.8f);  // a little louder,
    client.setParameter(3, 0.5f);   // with the kick under the chords
    client.setParameter(9, 0.0f);
    client.setParameter(77, 0.0f);   // no swing
    client.setParameter(328, 1.0f);
    client.setParameter(217, 0.0f);
    for (uint64_t step = 0; step < 32; ++step) {
        client.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
        client.patterns().stepLine(1).setStepOnLine(0, step, 1.0f);
    }
    void* data = nullptr;
    const int32_t size = client.getChunk(&data, false);
    if (size <= 0 || !data || !platform::writeFileAtomically(argv[1], std::string_view(static_cast<const char*>(data), size_t(size)))) {
        std::fprintf(stderr, "zorvane-demo-state: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
