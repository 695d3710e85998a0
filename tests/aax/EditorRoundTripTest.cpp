// A state survives the round trip after any interface input: the state a
// host saves after random clicks, strokes, right clicks and wheel turns,
// restored into another instance, saves the same bytes again.  Every run
// starts with chords from the held notes ("Chord Select" at its third step,
// which makes the engine flip index 355, "PatternOctave", between 0 and
// 0.001 as it takes the step) and the user's own value at index 355.  The
// instance that takes the state is made before the input, as a host makes a
// second instance, from the "Chord Select" another instance left in the
// settings (each of its steps by turns): its engine takes the step as the
// state loads and flips the toggle, and the restored instance keeps the
// value the state holds all the same.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"
#include "plugin/BWUniClient.h"
#include "plugin/ParameterTags.h"
#include "support/RealEditor.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "RandomInterfaceInput.h"
#include "RegisteredEffect.h"

namespace {

// "Chord Select" as another instance leaves it at each of its three steps.
constexpr std::array<const char*, 3> kRememberedChordSelect = {"0.000000", "0.500000", "1.000000"};

// Where two states first differ, with the words around it (a value record
// is its id, the word 1 and the float), for the failure's message.
std::string firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    std::string text = "first difference at byte " + std::to_string(at);
    const size_t word = at / 4 * 4;
    if (word < 8 || word + 4 > a.size() || word + 4 > b.size()) return text;
    auto read = [](const std::vector<uint8_t>& bytes, size_t from, auto value) {
        std::memcpy(&value, bytes.data() + from, 4);
        return value;
    };
    return text + " (after the words " + std::to_string(read(a, word - 8, int32_t{})) + ", " +
           std::to_string(read(a, word - 4, int32_t{})) + ": " + std::to_string(read(b, word, 0.0f)) + " saved, " +
           std::to_string(read(a, word, 0.0f)) + " after the round trip)";
}

// What a host saves after `events` random events from a seed, on an
// instance that meets the toggle.
std::vector<uint8_t> savedAfterInput(uint32_t seed, int events) {
    HostInstance edited(registeredEffect(), 2, 48000.0f);
    BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(edited.effect())->getCore();
    core.setParameter(Tag::ChordSelect, 1.0f);
    EXPECT_TRUE(core.deriveNow());
    core.setParameter(Tag::PatternOctave, 1.0f);
    HeadlessView view(edited);
    EXPECT_TRUE(view.ok());
    RandomInterfaceInput input(seed);
    for (int event = 0; event < events; ++event) {
        input.sendOne(view);
        if (event % 4 == 3) view.tick();
    }
    view.tick(3);
    return edited.saveState();
}

// The state, restored into an instance made beforehand from a remembered
// "Chord Select", saves the same bytes again.
void expectRoundTrip(uint32_t seed, int events) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(events) + " events");
    ASSERT_TRUE(setSettingString("Chord Select", kRememberedChordSelect[seed % kRememberedChordSelect.size()]));
    HostInstance other(registeredEffect(), 2, 48000.0f);
    const std::vector<uint8_t> saved = savedAfterInput(seed, events);
    ASSERT_FALSE(saved.empty());
    ASSERT_EQ(other.loadState(saved), AAX_SUCCESS);
    const std::vector<uint8_t> again = other.saveState();
    EXPECT_EQ(again.size(), saved.size());
    EXPECT_TRUE(again == saved) << firstDifference(again, saved);
}

// Seeds and events a seed: 4 of 400 in make test, 20 of 2,000 in make soak
// (ZORVANE_SOAK).
struct RoundTripRuns {
    uint32_t seeds;
    int events;
};
RoundTripRuns roundTripRuns() { return std::getenv("ZORVANE_SOAK") ? RoundTripRuns{20, 2000} : RoundTripRuns{4, 400}; }

class EditorRoundTrip : public ::testing::Test {
protected:
    void TearDown() override { platform::setShellOpenHandler(shell); }
    SettingsSandbox settings;
    const platform::ShellOpenHandler shell = platform::setShellOpenHandler([](const std::string&) { return false; });
    ScopedEditorFactory factory{&makeRealEditor};
};

}  // namespace

TEST_F(EditorRoundTrip, AStateSavedAfterRandomInputSavesAgainByteForByte) {
    const RoundTripRuns runs = roundTripRuns();
    for (uint32_t seed = 1; seed <= runs.seeds; ++seed) expectRoundTrip(seed, runs.events);
}

// Inputs that once came back with "PatternOctave" at 0.001 where the state
// held 0.0 (seed 4 of make soak's runs; seed 12 after 400 events); the
// runs of make test met it with 1.0 (seeds 1, 3 and 4).
TEST_F(EditorRoundTrip, InputsThatLostThePatternOctaveKeepIt) {
    for (const auto& [seed, events] : {std::pair<uint32_t, int>{4, 2000}, {12, 400}}) expectRoundTrip(seed, events);
}
