#pragma once
// A four-bar chord progression as the chord sequence plays it, a chord a
// bar, when "Chord Select" takes the chords from the sequence instead of the
// keys.  The demo carries its own (C, A minor, F, G); each factory set-up
// carries one of its own.

#include <array>
#include <cstdint>

class BWUniClient;

namespace progression {

// A bass note for the bass layer (below the demo's key limit, B3) under
// three notes for the piano and the pad (from B3 up), as MIDI keys.  The
// chord cells hold the keys C1 to B4.
struct Chord {
    int32_t bass;
    std::array<int32_t, 3> upper;
};
constexpr Chord kC{48, {60, 64, 67}};
constexpr Chord kAm{45, {60, 64, 69}};
constexpr Chord kF{41, {60, 65, 69}};
constexpr Chord kG{43, {59, 62, 67}};
constexpr Chord kEm{40, {59, 64, 67}};
constexpr Chord kFm{41, {60, 65, 68}};
constexpr Chord kBb{46, {62, 65, 70}};
constexpr Chord kDm{38, {62, 65, 69}};

using Bars = std::array<Chord, 4>;  // a chord a bar

// The demo's own four chords.
constexpr Bars kDemo = {kC, kAm, kF, kG};

// Writes the progression into the chord sequence, over the four-bar phrase
// and again: chord number k of the sequence plays the cells of chord page
// k, and the progression takes pages 0 to 3, so its first chord is the one
// a manual choice of the chord starts on.
void write(BWUniClient& client, const Bars& chords);

}  // namespace progression
