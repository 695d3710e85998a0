#include "host/demo/DemoState.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "plugin/BWUniClient.h"

namespace {

using Settings = std::initializer_list<std::pair<int32_t, float>>;

void set(BWUniClient& client, Settings settings) {
    for (auto [tag, value] : settings) client.setParameter(tag, value);
}

// A key limit as its parameter value: notes arrive two octaves below the
// keys played, so key 59 (B3) is note 35.
float keyLimit(int32_t note) { return (float(note) + 0.5f) / 128.0f; }

constexpr int32_t kSteps = 32;     // four bars of eighth-note steps
constexpr int32_t kBarSteps = 8;

}  // namespace

void setUpDemo(BWUniClient& client) {
    // The sequencer: its own clock, so the phrase runs for as long as keys
    // are held, whatever the host's transport does; eighth-note steps
    // (two a beat), straight, with the chords taken from the keys held.
    set(client, {
        {276, 0.0f},  // own clock
        {76, 0.5f},   // two steps a beat: the grid of eighth notes
        {77, 0.0f},   // no swing: an even, flowing pulse
        {74, 1.0f},   // the chord is what the hands hold
        {217, 0.0f},  // the arpeggio walks through the chord by position
        {328, 1.0f},  // it starts again from the lowest note at each new chord
        {81, 0.0f},   // and starts on the lowest note, not shifted
    });

    // The phrase: on the first eighth of every bar the chord is struck as a
    // block; on the other seven the arpeggio climbs through it in
    // sixteenths (two triggers a step).  The downbeat is accented, the
    // offbeats lighter, so the line breathes in bars.
    for (int32_t step = 0; step < kSteps; ++step) {
        const bool downbeat = step % kBarSteps == 0;
        client.patterns().stepLine(0).setStepOnLine(0, uint64_t(step), downbeat ? 0.5f : 1.0f);  // one strike, or two sixteenths
        client.patterns().stepLine(1).setStepOnLine(0, uint64_t(step), downbeat ? 0.0f : 1.0f);  // block chord, or arpeggio up
        client.patterns().stepLine(3).setStepOnLine(0, uint64_t(step), downbeat ? 0.0f : 1.0f);  // the pad holds the struck chord
        const float velocity = downbeat ? 1.0f : 0.8f;
        client.patterns().gateTable.setValueOnPage(uint64_t(step), 0, velocity);
    }

    // Layer 1, "Soft Keys": the arpeggio, one octave above the keys played,
    // where a broken chord sparkles without crowding the pad.  Clean samples
    // (no crush, no drift), a quick attack, and a release that lets each
    // note ring under the next like a held pedal.  A little left of centre.
    client.soundLayer(0).setName("Soft Keys");
    set(client, {
        {341, 1.0f},             // on
        {8, 0.0f},               // plays the block chord and the arpeggio
        {9, 0.0f},               // every trigger
        {10, 0.5f},              // one octave above the keys
        {11, 0.05f},             // Polycrush at its least: every sample new
        {12, 0.0f},              // no Age drift: in tune
        {13, 0.0f},              // struck at once
        {14, 0.45f},             // decays like a struck string
        {15, 0.55f},             // to a singing level
        {16, 0.55f},             // and rings on after the next note
        {17, 0.7f},              // the lead voice
        {18, 0.38f},             // a little left
        {87, keyLimit(34)},      // only the right hand's notes (B3 and up);
        {88, 1.0f},              // the left hand's bass note is layer 3's
        {233, 0.0f},             // dry: not through the filter
    });

    // Layer 2, "Warm Pad": the chord held under the arpeggio at the pitch
    // played, struck on the downbeat and tied through the bar, swelling in
    // and fading slowly, a little right of centre.
    client.soundLayer(1).setName("Warm Pad");
    set(client, {
        {342, 1.0f},             // on
        {19, 1.0f},              // the chord on the chord steps only
        {20, 0.0f},              // every trigger
        {21, 0.3f},              // at the pitch played
        {22, 0.0f},              // no Polycrush
        {23, 0.0f},              // no Age drift
        {24, 0.55f},             // swells in over a beat
        {25, 0.6f},              // settles
        {26, 0.8f},              // and holds
        {27, 0.6f},              // fading as the next chord comes
        {28, 0.3f},              // under the arpeggio
        {29, 0.62f},             // a little right
        {89, keyLimit(34)},      // the right hand only
        {90, 1.0f},
        {224, 1.0f},             // holds through the tied steps
        {234, 0.0f},             // dry
    });

    // Layer 3, "Round Bass": the left hand's note at the pitch played, on
    // the downbeat and each time the arpeggio comes round to it: the bass
    // walks the root in quarter notes.  In the middle.
    client.soundLayer(2).setName("Round Bass");
    set(client, {
        {343, 1.0f},             // on
        {30, 1.0f},              // the chord on the chord steps only
        {31, 0.0f},              // every trigger
        {32, 0.3f},              // at the pitch played
        {33, 0.0f},              // no Polycrush
        {34, 0.0f},              // no Age drift
        {35, 0.0f},              // plucked
        {36, 0.5f},              // a short decay
        {37, 0.6f},              // to a round tone
        {38, 0.35f},             // that stops cleanly
        {39, 0.75f},             // a firm foundation
        {40, 0.5f},              // centred
        {91, 0.0f},              // the left hand only (below B3)
        {92, keyLimit(34)},
        {225, 1.0f},             // holds through the tied steps
        {235, 0.0f},             // dry
    });

    // The lanes: each drives a row on purpose or none.  None of them here:
    // the mix is set once, by hand, and stays.
    set(client, {{332, 1.0f}, {333, 1.0f}, {334, 1.0f}, {335, 1.0f}, {336, 1.0f}});

    // The beat: a soft kick on every quarter under the chords, with gentle
    // glue from the compressor.
    set(client, {
        {3, 0.15f},   // the kick sits under the chords, not over them
        {4, 0.45f},   // a round, low tone
        {5, 0.0f},    // heard, not only keying the compressor
        {6, 0.2f},    // light compression
        {7, 0.6f},
    });

    // The room: a chorus spreads the keys across the stereo field, a dotted
    // echo answers them from the sides, and a hall holds the tail.
    set(client, {
        {307, 0.0f}, {310, 0.0f},            // no reverser, no phaser
        {308, 1.0f}, {61, 0.5f},             // chorus on, half wet
        {58, 0.25f}, {59, 0.5f},             // slow and moderately deep
        {311, 1.0f}, {69, 0.45f},            // echo on, in the back
        {68, 0.35f},                          // a few repeats
        {309, 1.0f}, {73, 0.55f},             // hall on
        {70, 0.6f}, {71, 1.0f}, {72, 0.4f},   // a large, wide, darkened room
    });

    // The master: the level that peaks a few dB below full scale, and a
    // short release so a chord let go fades rather than stops.
    set(client, {{0, 0.65f}, {1, 0.0f}, {2, 0.5f}});
}
