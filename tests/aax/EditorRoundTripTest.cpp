// A state survives the round trip after any interface input: the state a
// host saves after random clicks, strokes, right clicks and wheel turns,
// restored into a fresh instance, saves the same bytes again.  Every run
// starts with chords from the held notes ("Chord Select" at its third step,
// which makes the engine flip index 355, "PatternOctave", between 0 and
// 0.001 as it takes the step) and the user's own value at index 355: the
// restored instance keeps the user's value.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "platform/ShellOpen.h"
#include "plugin/BWUniClient.h"
#include "plugin/ParameterTags.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "RandomInterfaceInput.h"
#include "RegisteredEffect.h"

namespace {

AEffEditor* makeEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }

// The first byte where two states differ, for the failure's message.
size_t firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    return at;
}

}  // namespace

TEST(EditorRoundTrip, AStateSavedAfterRandomInputSavesAgainByteForByte) {
    SettingsSandbox settings;
    const platform::ShellOpenHandler shell = platform::setShellOpenHandler([](const std::string&) { return false; });
    ScopedEditorFactory factory(&makeEditor);
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        std::vector<uint8_t> saved;
        {
            HostInstance edited(registeredEffect(), 2, 48000.0f);
            // Every run meets the toggle: chords from the held notes, and
            // the user's value at index 355.
            BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(edited.effect())->getCore();
            core.setParameter(Tag::ChordSelect, 1.0f);
            ASSERT_TRUE(core.deriveNow());
            core.setParameter(Tag::PatternOctave, 1.0f);
            HeadlessView view(edited);
            ASSERT_TRUE(view.ok());
            RandomInterfaceInput input(seed);
            for (int event = 0; event < 400; ++event) {
                input.sendOne(view);
                if (event % 4 == 3) view.tick();
            }
            view.tick(3);
            saved = edited.saveState();
        }
        ASSERT_FALSE(saved.empty());
        HostInstance fresh(registeredEffect(), 2, 48000.0f);
        ASSERT_EQ(fresh.loadState(saved), AAX_SUCCESS);
        const std::vector<uint8_t> again = fresh.saveState();
        EXPECT_EQ(again.size(), saved.size()) << "seed " << seed;
        EXPECT_TRUE(again == saved) << "seed " << seed << ": first difference at byte " << firstDifference(again, saved);
    }
    platform::setShellOpenHandler(shell);
}
