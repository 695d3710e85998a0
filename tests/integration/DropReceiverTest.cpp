#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "persistence/MidiFileWriter.h"
#include "platform/DragOut.h"
#include "support/TempDir.h"

// With no receiver installed in the process, a drag reaches the host
// program's exported receiver, which takes a copy of the file.
TEST(HostDrop, AnExportedMidiFileLandsInTheHostsDropFolder) {
    TempDir made, dropped;
    setenv("ZORVANE_DROP_DIR", dropped.str().c_str(), 1);
    const uint8_t note[4] = {0x90, 60, 100, 0};
    MidiFileWriter writer(120, 4.0, 960);
    writer.addEvent(note, 0.0);
    writer.releaseHangingNotes(4.0);
    ASSERT_TRUE(writer.writeFile((made / "phrase.mid").string()));
    writer.dragFileOut();
    unsetenv("ZORVANE_DROP_DIR");
    EXPECT_EQ(std::filesystem::file_size(dropped / "phrase.mid"), std::filesystem::file_size(made / "phrase.mid"));
    EXPECT_EQ(platform::dragFileOut({"/no/such/file.mid", platform::kDropEffectLink, nullptr}),
              platform::kDropEffectNone);  // the host takes copies only
}
