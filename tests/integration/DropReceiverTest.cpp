#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "persistence/MidiFileWriter.h"
#include "platform/DragOut.h"
#include "support/KilledSaves.h"
#include "support/TempDir.h"

// The host program's receiver, linked into this test as into the program.
extern "C" uint32_t zorvane_receive_drop(const char* path, uint32_t allowedEffects);

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

// Drops killed at random moments: the dropped file is always one whole
// version, never the part of one that a plain copy leaves.  A drop that is
// no file is refused and changes nothing.
TEST(HostDrop, AKilledDropLeavesTheDroppedFileWhole) {
    TempDir made, dropped;
    const std::filesystem::path source = made / "phrase.mid", target = dropped / "phrase.mid";
    setenv("ZORVANE_DROP_DIR", dropped.str().c_str(), 1);
    const auto drop = [&](uint32_t version) {
        std::ofstream(source, std::ios::binary | std::ios::trunc) << versionBytes(version);
        return zorvane_receive_drop(source.c_str(), platform::kDropEffectCopy);
    };
    ASSERT_EQ(drop(1), platform::kDropEffectCopy);
    const KilledSavesTally tally = killWhileSaving(target, 150, drop);
    EXPECT_GT(tally.insideSave, 10);

    const std::optional<uint32_t> before = wholeVersion(target);
    std::filesystem::remove(source);
    std::filesystem::create_directory(source);
    EXPECT_EQ(zorvane_receive_drop(source.c_str(), platform::kDropEffectCopy), platform::kDropEffectNone);
    unsetenv("ZORVANE_DROP_DIR");
    EXPECT_EQ(wholeVersion(target), before);
}
