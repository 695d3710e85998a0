// Where the sample voices plug into the render routine.  The tick hands each
// layer its passed gates and start notes (sequencer.layers[layer]) right
// before that layer's note output; the per-sample part fills the sub-block
// buffers of the voice mix from index `from` on.  Until the voices are
// plugged in the layers are silent; the kick plays on the beat clock.

#include <algorithm>

#include "plugin/BWUniClient.h"

void BWUniClient::startLayerVoices(int /*layer*/) {}

void BWUniClient::tickKick() {
    KickGenerator& kick = render.kick;
    kick.setLevel(engine.raw[3]);
    kick.setTone(engine.raw[4]);
    kick.tick(render.beatPosition, context);
}

void BWUniClient::renderVoices(int32_t from, int32_t n) {
    RenderState& r = render;
    std::fill_n(r.mainLeft.data() + from, n, 0.0f);
    std::fill_n(r.mainRight.data() + from, n, 0.0f);
    r.kick.render(r.kickLeft.data() + from, n, context);
    std::copy_n(r.kickLeft.data() + from, n, r.kickRight.data() + from);
}
