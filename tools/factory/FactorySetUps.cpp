#include "factory/FactorySetUps.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "host/demo/DemoState.h"
#include "plugin/BWUniClient.h"

namespace {

using Settings = std::initializer_list<std::pair<int32_t, float>>;

void set(BWUniClient& client, Settings settings) {
    for (auto [tag, value] : settings) client.setParameter(tag, value);
}

// The parameters of one sound layer, by what they do.
struct LayerTags {
    int32_t on, plays, octave, attack, decay, sustain, release, level, pan, tie;
};
constexpr std::array<LayerTags, 3> kLayers = {{
    {341, 8, 10, 13, 14, 15, 16, 17, 18, 223},
    {342, 19, 21, 24, 25, 26, 27, 28, 29, 224},
    {343, 30, 32, 35, 36, 37, 38, 39, 40, 225},
}};

// "plays": the struck chords and the arpeggio, or the struck chords only.
constexpr float kPlaysEverything = 0.0f;
constexpr float kPlaysChordsOnly = 1.0f;
// "octave": the pitch played, an octave above it.
constexpr float kAtPitch = 0.3f;
constexpr float kOctaveUp = 0.5f;

struct Envelope {
    float attack, decay, sustain, release;
};

void layer(BWUniClient& client, int index, const char* instrument, float plays, float octave, Envelope shape,
           float level, float pan) {
    const LayerTags& t = kLayers[size_t(index)];
    client.soundLayer(index).setName(instrument);
    set(client, {{t.on, 1.0f}, {t.plays, plays}, {t.octave, octave}, {t.attack, shape.attack}, {t.decay, shape.decay},
                 {t.sustain, shape.sustain}, {t.release, shape.release}, {t.level, level}, {t.pan, pan}});
}

void silence(BWUniClient& client, int index) { client.setParameter(kLayers[size_t(index)].on, 0.0f); }

// One step of a bar's phrase, as the step lanes hold it.
struct Step {
    float strikes;  // "Acclr8": 0.5 one strike, 1 two sixteenths
    float arp;      // "aRP": 0 the chord as a block, 1 the arpeggio's next note
    float tie;      // "tie": 1 holds the tied layers on from the last strike
    float gate;     // the step's level
};
using Bar = std::array<Step, 8>;
constexpr int32_t kBars = 4;

void phrase(BWUniClient& client, const Bar& bar) {
    for (int32_t step = 0; step < kBars * int32_t(bar.size()); ++step) {
        const Step& s = bar[size_t(step) % bar.size()];
        const uint64_t at = uint64_t(step);
        client.patterns().stepLine(0).setStepOnLine(0, at, s.strikes);
        client.patterns().stepLine(1).setStepOnLine(0, at, s.arp);
        client.patterns().stepLine(3).setStepOnLine(0, at, s.tie);
        client.patterns().gateTable.setValueOnPage(at, 0, s.gate);
    }
}

// Struck on the downbeat, then the arpeggio in eighths: a picked pattern.
constexpr Bar kEighthArpeggio = {{{0.5f, 0.0f, 0.0f, 1.0f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.8f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.9f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.8f},
                                  {0.5f, 1.0f, 1.0f, 0.7f}}};
// The chord struck as a block on every eighth, accented on the beats and
// on the "and" of two: a comping figure.
constexpr Bar kBlockPulse = {{{0.5f, 0.0f, 0.0f, 1.0f},
                              {0.5f, 0.0f, 0.0f, 0.5f},
                              {0.5f, 0.0f, 0.0f, 0.8f},
                              {0.5f, 0.0f, 0.0f, 0.9f},
                              {0.5f, 0.0f, 0.0f, 0.9f},
                              {0.5f, 0.0f, 0.0f, 0.5f},
                              {0.5f, 0.0f, 0.0f, 0.8f},
                              {0.5f, 0.0f, 0.0f, 0.5f}}};

// Effect switches and levels, as the demo names them.
void dryRoom(BWUniClient& client) { set(client, {{308, 0.0f}, {311, 0.0f}, {73, 0.25f}}); }

}  // namespace

namespace factory {

void pianoArpeggio(BWUniClient& client) { setUpDemo(client); }

// The arpeggio picked on nylon strings in eighths, at the pitch played,
// answered by a wide echo; the pad and bass stay underneath.
void nylonArpeggio(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kEighthArpeggio);
    layer(client, 0, "Nylon Pluck", kPlaysEverything, kOctaveUp, {0.0f, 0.5f, 0.3f, 0.6f}, 0.75f, 0.42f);
    set(client, {{28, 0.22f}, {308, 0.0f}, {311, 1.0f}, {69, 0.55f}, {66, 0.6667f}, {68, 0.5f}, {73, 0.4f}, {70, 0.35f}});
}

// Only the pad, struck on every eighth with a slow swell, so that the
// chords breathe in and out over the bass in a large hall; no kick.
void padChords(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kBlockPulse);
    silence(client, 0);
    layer(client, 1, "Warm Pad", kPlaysEverything, kOctaveUp, {0.7f, 0.6f, 0.8f, 0.75f}, 0.85f, 0.5f);
    set(client, {{224, 0.0f}, {3, 0.0f}, {311, 0.0f}, {73, 0.7f}, {70, 0.9f}, {61, 0.6f}});
}

// The arpeggio on the bass instrument at the pitch played, driven by a
// firm kick and strong compression, nearly dry: a bass line.
void bassLine(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kEighthArpeggio);
    layer(client, 0, "Round Bass", kPlaysEverything, kAtPitch, {0.0f, 0.45f, 0.5f, 0.3f}, 0.55f, 0.5f);
    silence(client, 1);
    set(client, {{87, 0.0f}, {39, 0.45f}, {3, 0.3f}, {4, 0.3f}, {6, 0.6f}, {0, 0.5f}});
    dryRoom(client);
}

// The piano comps the chord as a block on every eighth over the bass, a
// slow chorus around it; no pad, no arpeggio.
void blockKeys(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kBlockPulse);
    layer(client, 0, "Soft Keys", kPlaysChordsOnly, kAtPitch, {0.0f, 0.4f, 0.5f, 0.3f}, 0.7f, 0.5f);
    silence(client, 1);
    set(client, {{311, 0.0f}, {61, 0.7f}});
}

// Nylon strings an octave up in sixteenths over the pad, through a
// phaser that sweeps slowly: a shimmering bed.
void pluckOverPad(BWUniClient& client) {
    setUpDemo(client);
    layer(client, 0, "Nylon Pluck", kPlaysEverything, kOctaveUp, {0.0f, 0.35f, 0.2f, 0.5f}, 0.65f, 0.5f);
    silence(client, 2);
    set(client, {{28, 0.45f}, {310, 1.0f}, {65, 0.6f}, {62, 0.2f}, {63, 0.8f}, {308, 0.0f}});
}

// The piano at the pitch played through the reverser, with no pad: every
// strike swells backwards into the next, a dreamlike blur.
void reversedKeys(BWUniClient& client) {
    setUpDemo(client);
    silence(client, 1);
    set(client, {{10, kAtPitch}, {307, 1.0f}, {57, 0.85f}, {54, 0.8f}, {55, 0.6f}, {311, 0.0f}});
}

// Pad and bass held under a loud kick on every beat that ducks them
// through the compressor: the pumping of dance music.
void pumpingPad(BWUniClient& client) {
    setUpDemo(client);
    silence(client, 0);
    layer(client, 1, "Warm Pad", kPlaysChordsOnly, kOctaveUp, {0.1f, 0.6f, 0.9f, 0.5f}, 0.7f, 0.5f);
    set(client, {{3, 0.4f}, {4, 0.5f}, {6, 0.9f}, {7, 0.3f}, {311, 0.0f}, {0, 0.5f}});
}

// The demo's phrase in eighths on the piano with a lazy swing and no pad.
void slowSwing(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kEighthArpeggio);
    silence(client, 1);
    set(client, {{77, 0.6f}, {10, kAtPitch}, {16, 0.4f}, {308, 0.0f}});
}

// Piano and pad an octave apart, softly struck, in a long dark hall with a
// distant echo: music for late hours.
void nightHall(BWUniClient& client) {
    setUpDemo(client);
    phrase(client, kEighthArpeggio);
    set(client, {{17, 0.5f}, {14, 0.6f}, {28, 0.45f}, {73, 0.8f}, {70, 1.0f}, {72, 0.8f}, {69, 0.3f}, {3, 0.0f}});
}

}  // namespace factory
