#pragma once
// The values the interface shows that no parameter holds: the run-state
// word, the display block that the editor's idle fills from the sources the
// engine leaves in it, and the flag that hides the knobs' value overlays.
// The editor binds widgets to the floats here, so their addresses stay put
// for the life of the plug-in object.
//
// Threads: every float is read and written whole with relaxed atomic
// operations (loadShared / storeShared): the engine writes the sources on
// the audio thread, the editor's idle (GUI thread) computes the rest; a value
// that changes between two reads only affects one frame of drawing.

#include <array>
#include <atomic>
#include <cstdint>

struct DisplayBlock {
    static constexpr int32_t kRunning = 3;
    using Eight = std::array<float, 8>;

    // The editor's idle skips its display work in any other state.
    std::atomic<int32_t> runState{kRunning};

    // Milliseconds since the editor's last display pass, 0 to 1000.
    float elapsedMs = 0.0f;

    // Sources: one value, two counters, two groups of eight positions with
    // their activity, the common offset and shift of the positions.
    float source = 0.0f;
    float counter1 = 0.0f;
    float counter2 = 0.0f;
    Eight positions{};
    Eight activity{};
    float offset = 0.0f;
    float shift = 0.0f;
    float shiftDisable = 0.0f;
    Eight positions2{};
    Eight activity2{};
    float markerDisable = 0.0f;

    // What the display pass derives.
    float sourceScaled = 0.0f;        // source x 8
    float counter1Fraction = 0.0f;    // counter x 1/32
    float counter1Pixels = 0.0f;      // counter x 21: an image's x offset
    float counter2Fraction = 0.0f;
    float counter2Pixels = 0.0f;
    float appliedShift = 0.0f;
    Eight relative{};                 // A: position - offset
    Eight shifted{};                  // B: A - shift
    Eight ratio{};                    // R: B / 48
    Eight active{};                   // M: 1 where active
    Eight activeRatio{};              // M x R
    Eight pixels{};                   // max(X, 0), X = M x R x 673
    Eight pixelsLess1{};              // X - 1
    float marker = 0.0f;              // 5 unless disabled
    Eight shifted2{};
    Eight ratio2{};
    Eight active2{};
    Eight pixels2{};                  // X2 = M2 x R2 x 673
    Eight pixels2Less1{};
    Eight height2{};                  // M2 x 29

    // While 1.0 the knobs draw no value overlay.
    float overlaySuppress = 0.0f;

    // What the interface's indicators show, as the render publishes them
    // (DisplayPublisher.h says what each source carries): the
    // beat light (0..1), the compressor's gain reduction (0..1), the number
    // of the chord playing (0 none, 1..16), the alpha (0..255) of the play
    // bars over the lanes and of the page image over the chord lane.
    float beatIndicator = 0.0f;
    float compressorReduction = 0.0f;
    float chordNumber = 0.0f;
    float playBarAlpha = 0.0f;
    float pageImageAlpha = 0.0f;
    // The object views: how many objects show (both views; its integer
    // part), and per object of the sprite view its alpha (0..255) and the
    // sprite row in its sheet.  The objects' places come from the positions
    // above.
    float objectCount = 0.0f;
    Eight objectAlpha{};
    Eight objectSpriteY{};
    // The output's peaks over the last block the render made, left and
    // right: what the level meters show.
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
};
