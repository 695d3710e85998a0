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

// A key limit as its parameter value.  Notes reach the layers two octaves
// below the keys played, so note 34 is key 58 (A#3): the right hand plays
// from B3 up, the left hand's bass note lies below.
float keyLimit(int32_t note) { return (float(note) + 0.5f) / 128.0f; }

constexpr int32_t kSteps = 32;  // four bars of eighth-note steps
constexpr int32_t kBarSteps = 8;

}  // namespace

void setUpDemo(BWUniClient& client) {
    // The sequencer: its own clock, so that the phrase runs for as long as
    // keys are held, whatever the host's transport does; eighth-note steps,
    // straight; the chord is the one the hands hold.
    set(client, {
        {276, 0.0f},  // own clock: the phrase starts when the keys go down
        {76, 0.5f},   // two steps a beat: a grid of eighth notes
        {77, 0.0f},   // no swing: an even, flowing pulse
        {74, 1.0f},   // the chord is what the hands hold
        {217, 0.0f},  // the arpeggio walks up through the chord note by note
        {328, 1.0f},  // and starts again from the bottom whenever a key is struck
        {81, 0.0f},   // from the lowest note, not shifted
    });

    // The phrase, the same in every bar of the four-bar loop: on the first
    // eighth the chord is struck as a block (one strike, accented); on the
    // other seven the arpeggio climbs through the held notes in sixteenths
    // (two strikes a step, a little lighter).  The walk passes the left
    // hand's bass note too, which only the bass layer may play: the piano
    // rests there, and its figure comes out in threes across the beat.  The
    // tie holds the pad and the bass through the bar from its first strike.
    for (int32_t step = 0; step < kSteps; ++step) {
        const bool downbeat = step % kBarSteps == 0;
        const uint64_t at = uint64_t(step);
        client.patterns().stepLine(0).setStepOnLine(0, at, downbeat ? 0.5f : 1.0f);  // one strike, or two sixteenths
        client.patterns().stepLine(1).setStepOnLine(0, at, downbeat ? 0.0f : 1.0f);  // the block chord, or the arpeggio going up
        client.patterns().stepLine(3).setStepOnLine(0, at, downbeat ? 0.0f : 1.0f);  // tied: the struck chord rings on
        client.patterns().gateTable.setValueOnPage(at, 0, downbeat ? 1.0f : 0.8f);  // the downbeat a little louder
    }

    // Layer 1, "Soft Keys": the block chord and the arpeggio, an octave
    // above the keys played, where a broken chord sparkles over the pad
    // without crowding it.  A struck attack and a release that lets each
    // note ring under the next, as with the pedal down.  A little left.
    client.soundLayer(0).setName("Soft Keys");
    set(client, {
        {341, 1.0f},          // on
        {8, 0.0f},            // plays the struck chords and the arpeggio
        {9, 0.0f},            // on every strike
        {10, 0.5f},           // an octave above the keys played
        // At 0 "Polycrush" still holds every second sample; its least
        // setting above 0 takes every sample of the notes this piano plays
        // in the demo (D5 and up at 44.1 kHz): clean, no stair-steps.
        {11, 0.05f},
        {12, 0.0f},           // no "Age" drift: in tune
        {13, 0.0f},           // speaks at once
        {14, 0.45f},          // falls away like a struck string
        {15, 0.55f},          // to a singing level
        {16, 0.55f},          // and rings on under the next note
        {17, 0.7f},           // the lead voice
        {18, 0.38f},          // a little left
        {87, keyLimit(34)},   // the right hand's notes only;
        {88, 1.0f},           // the left hand's is the bass's
        {233, 0.0f},          // dry: not through the filter
    });

    // Layer 2, "Warm Pad": the chord held under the piano at the pitch
    // played, struck on the downbeat and tied through the bar, swelling in
    // and fading as the next chord comes.  A little right.
    client.soundLayer(1).setName("Warm Pad");
    set(client, {
        {342, 1.0f},          // on
        {19, 1.0f},           // the struck chords only, not the arpeggio
        {20, 0.0f},           // on every strike
        {21, 0.3f},           // at the pitch played
        {22, 0.0f},           // "Polycrush" at its least for low notes
        {23, 0.0f},           // no "Age" drift
        {24, 0.55f},          // swells in over about a third of a second
        {25, 0.6f},           // settles
        {26, 0.8f},           // and holds
        {27, 0.6f},           // fading out under the next chord
        {28, 0.3f},           // under the piano
        {29, 0.62f},          // a little right
        {89, keyLimit(34)},   // the right hand's notes only
        {90, 1.0f},
        {224, 1.0f},          // holds through the tied steps
        {234, 0.0f},          // dry
    });

    // Layer 3, "Round Bass": the left hand's note at the pitch played,
    // struck on the downbeat and held through the bar.  In the middle.
    client.soundLayer(2).setName("Round Bass");
    set(client, {
        {343, 1.0f},          // on
        {30, 1.0f},           // the struck chords only
        {31, 0.0f},           // on every strike
        {32, 0.3f},           // at the pitch played
        {33, 0.0f},           // "Polycrush" at its least for low notes
        {34, 0.0f},           // no "Age" drift
        {35, 0.0f},           // plucked
        {36, 0.5f},           // a quick decay
        {37, 0.6f},           // to a round, steady tone
        {38, 0.35f},          // that stops cleanly at the change
        {39, 0.75f},          // a firm foundation
        {40, 0.5f},           // centred
        {91, 0.0f},           // the left hand's note only
        {92, keyLimit(34)},
        {225, 1.0f},          // holds through the tied steps
        {235, 0.0f},          // dry
    });

    // The step lanes each drive one row or none.  None here: the levels,
    // pans and mixes above stay as set.  (At their first row the lanes set
    // the layers' levels from lane data that are 0 from step 8 on.)
    set(client, {{332, 1.0f}, {333, 1.0f}, {334, 1.0f}, {335, 1.0f}, {336, 1.0f}});

    // The beat: a soft, round kick on every beat under the chords, and
    // light compression to glue the layers to it.
    set(client, {
        {3, 0.15f},  // under the chords, not over them
        {4, 0.45f},  // a low, round tone
        {5, 0.0f},   // heard, not only keying the compressor
        {6, 0.2f},   // light compression
        {7, 0.6f},   // at a moderate speed
    });

    // The room: a slow chorus spreads the layers across the stereo field,
    // an echo on the dotted eighth answers the piano, and a large hall
    // holds the tail.  The effects play only while switched on.
    set(client, {
        {307, 0.0f},                         // no reverser
        {310, 0.0f},                         // no phaser
        {308, 1.0f}, {61, 0.5f},             // chorus on, half wet
        {58, 0.25f}, {59, 0.5f},             // slow and moderately deep
        {311, 1.0f}, {69, 0.45f},            // echo on, in the background
        {66, 0.6667f},                       // on the dotted eighth
        {67, 1.0f},                          // the left echo a little later: wider
        {68, 0.35f},                         // a few repeats
        {309, 1.0f}, {73, 0.55f},            // hall on
        {70, 0.6f}, {71, 1.0f}, {72, 0.4f},  // large, wide and a little dark
    });

    // The master: the level that peaks a few dB below full scale, and a
    // two-second release, so that a chord let go fades with its tail.
    set(client, {{0, 0.65f}, {1, 0.0f}, {2, 0.5f}});
}
