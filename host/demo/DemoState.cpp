#include "host/demo/DemoState.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "host/demo/ChordProgression.h"
#include "plugin/BWUniClient.h"
#include "plugin/ParameterTags.h"

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
        {Tag::Clocksource, 0.0f},  // own clock: the phrase starts when the keys go down
        {Tag::ClockDivide, 0.5f},  // two steps a beat: a grid of eighth notes
        {Tag::Swingfactor, 0.0f},  // no swing: an even, flowing pulse
        {Tag::ChordSelect, 1.0f},  // the chord is what the hands hold
        {Tag::Arpmode, 0.0f},      // the arpeggio walks up through the chord note by note
        {Tag::RestartArp, 1.0f},   // and starts again from the bottom whenever a key is struck
        {Tag::ShiftArp, 0.0f},     // from the lowest note, not shifted
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
        {Tag::Osc1Sound, 1.0f},     // on
        {Tag::Osc1TrigMode, 0.0f},  // plays the struck chords and the arpeggio
        {Tag::Osc1TrigEach, 0.0f},  // on every strike
        {Tag::Osc1Octave, 0.5f},    // an octave above the keys played
        // At 0 "Polycrush" still holds every second sample; its least
        // setting above 0 takes every sample of the notes this piano plays
        // in the demo (D5 and up at 44.1 kHz): clean, no stair-steps.
        {Tag::Osc1Polycrush, 0.05f},
        {Tag::Osc1Age, 0.0f},       // no "Age" drift: in tune
        {Tag::Osc1Attack, 0.0f},    // speaks at once
        {Tag::Osc1Decay, 0.45f},    // falls away like a struck string
        {Tag::Osc1Sustain, 0.55f},  // to a singing level
        {Tag::Osc1Release, 0.55f},  // and rings on under the next note
        {Tag::Osc1Level, 0.7f},     // the lead voice
        {Tag::Osc1Pan, 0.38f},      // a little left
        {87, keyLimit(34)},   // the right hand's notes only;
        {Tag::Osc1KeyB, 1.0f},    // the left hand's is the bass's
        {Tag::AssignOsc1, 0.0f},  // dry: not through the filter
    });

    // Layer 2, "Warm Pad": the chord held under the piano at the pitch
    // played, struck on the downbeat and tied through the bar, swelling in
    // and fading as the next chord comes.  A little right.
    client.soundLayer(1).setName("Warm Pad");
    set(client, {
        {Tag::Osc2Sound, 1.0f},      // on
        {Tag::Osc2TrigMode, 1.0f},   // the struck chords only, not the arpeggio
        {Tag::Osc2TrigEach, 0.0f},   // on every strike
        {Tag::Osc2Octave, 0.3f},     // at the pitch played
        {Tag::Osc2Polycrush, 0.0f},  // "Polycrush" at its least for low notes
        {Tag::Osc2Age, 0.0f},        // no "Age" drift
        {Tag::Osc2Attack, 0.55f},    // swells in over about a third of a second
        {Tag::Osc2Decay, 0.6f},      // settles
        {Tag::Osc2Sustain, 0.8f},    // and holds
        {Tag::Osc2Release, 0.6f},    // fading out under the next chord
        {Tag::Osc2Level, 0.3f},      // under the piano
        {Tag::Osc2Pan, 0.62f},       // a little right
        {89, keyLimit(34)},   // the right hand's notes only
        {Tag::Osc2KeyB, 1.0f},
        {Tag::TieOsc2, 1.0f},     // holds through the tied steps
        {Tag::AssignOsc2, 0.0f},  // dry
    });

    // Layer 3, "Round Bass": the left hand's note at the pitch played,
    // struck on the downbeat and held through the bar.  In the middle.
    client.soundLayer(2).setName("Round Bass");
    set(client, {
        {Tag::Osc3Sound, 1.0f},      // on
        {Tag::Osc3TrigMode, 1.0f},   // the struck chords only
        {Tag::Osc3TrigEach, 0.0f},   // on every strike
        {Tag::Osc3Octave, 0.3f},     // at the pitch played
        {Tag::Osc3Polycrush, 0.0f},  // "Polycrush" at its least for low notes
        {Tag::Osc3Age, 0.0f},        // no "Age" drift
        {Tag::Osc3Attack, 0.0f},     // plucked
        {Tag::Osc3Decay, 0.5f},      // a quick decay
        {Tag::Osc3Sustain, 0.6f},    // to a round, steady tone
        {Tag::Osc3Release, 0.35f},   // that stops cleanly at the change
        {Tag::Osc3Level, 0.75f},     // a firm foundation
        {Tag::Osc3Pan, 0.5f},        // centred
        {Tag::Osc3KeyA, 0.0f},       // the left hand's note only
        {92, keyLimit(34)},
        {Tag::TieOsc3, 1.0f},     // holds through the tied steps
        {Tag::AssignOsc3, 0.0f},  // dry
    });

    // The step lanes each drive one row or none.  None here: the levels,
    // pans and mixes above stay as set.  (At their first row the lanes set
    // the layers' levels from lane data that are 0 from step 8 on.)
    set(client, {{Tag::Lane1Row, 1.0f}, {Tag::Lane2Row, 1.0f}, {Tag::Lane3Row, 1.0f}, {Tag::Lane4Row, 1.0f},
                 {Tag::Lane5Row, 1.0f}});

    // The beat: a soft, round kick on every beat under the chords, and
    // light compression to glue the layers to it.
    set(client, {
        {Tag::KickLevel, 0.15f},       // under the chords, not over them
        {Tag::KickTone, 0.45f},        // a low, round tone
        {Tag::KickToSidechain, 0.0f},  // heard, not only keying the compressor
        {Tag::CompressorDepth, 0.2f},  // light compression
        {Tag::CompressorSpeed, 0.6f},  // at a moderate speed
    });

    // The room: a slow chorus spreads the layers across the stereo field,
    // an echo on the dotted eighth answers the piano, and a large hall
    // holds the tail.  The effects play only while switched on.
    set(client, {
        {Tag::RvsOnOff, 0.0f},  // no reverser
        {Tag::PhsOnOff, 0.0f},  // no phaser
        {Tag::ChsOnOff, 1.0f}, {Tag::ChsMix, 0.5f},             // chorus on, half wet
        {Tag::ChsRate, 0.25f}, {Tag::ChsDepth, 0.5f},             // slow and moderately deep
        {Tag::DlyOnOff, 1.0f}, {Tag::DlyMix, 0.45f},            // echo on, in the background
        {Tag::DlyTime, 0.6667f},  // on the dotted eighth
        {Tag::DlyWidth, 1.0f},    // the left echo a little later: wider
        {Tag::DlyFeed, 0.35f},    // a few repeats
        {Tag::RvbOnOff, 1.0f}, {Tag::RvbMix, 0.55f},            // hall on
        {Tag::RvbSize, 0.6f}, {Tag::RvbWidth, 1.0f}, {Tag::RvbDamp, 0.4f},  // large, wide and a little dark
    });

    // The master: the level that peaks a few dB below full scale, and a
    // two-second release, so that a chord let go fades with its tail.
    set(client, {{Tag::MasterLevel, 0.65f}, {Tag::MasterAttack, 0.0f}, {Tag::MasterRelease, 0.5f}});

    // Its own four chords, a bar each, which the phrase plays when "Chord
    // Select" takes the chords from the sequence instead of the keys.
    progression::write(client, progression::kDemo);
}
