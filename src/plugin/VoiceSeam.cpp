// Where the sample voices plug into the render routine.  The tick hands each
// layer its passed gates and start notes (sequencer.layers[layer]) right
// before that layer's note output; the per-sample part fills the sub-block
// buffers of the voice mix and the kick from index `from` on.  Until the
// voices are built the layers are silent and the chain hears nothing but
// its own tails.

#include <algorithm>

#include "plugin/BWUniClient.h"

void BWUniClient::startLayerVoices(int /*layer*/) {}

void BWUniClient::renderVoices(int32_t from, int32_t n) {
    RenderState& r = render;
    std::fill_n(r.mainLeft.data() + from, n, 0.0f);
    std::fill_n(r.mainRight.data() + from, n, 0.0f);
    std::fill_n(r.kickLeft.data() + from, n, 0.0f);
    std::fill_n(r.kickRight.data() + from, n, 0.0f);
}
