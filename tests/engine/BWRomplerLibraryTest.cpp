#include "engine/BWRomplerLibrary.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "BWRomplerLibraryFixture.h"

namespace {

using Library = BWRomplerLibraryFixture;

std::vector<std::string> entryNames(const BWRomplerLibrary& library) {
    std::vector<std::string> names;
    for (const InstrumentEntry& entry : library.getEntries()) names.push_back(entry.name + "@" + entry.path);
    return names;
}

int32_t countOf(const BWRomplerLibrary& library, const std::string& name) {
    for (const InstrumentEntry& entry : library.getEntries())
        if (entry.name == name) return entry.refCount;
    return -1;
}

TEST_F(Library, ListsInstrumentFilesOfTheFolderAndItsDirectSubFolders) {
    writeInstrument(folder / "Bells.bwr");
    writeInstrument(folder / "Organ.BWR");  // any case of the extension
    writeInstrument(folder / "Keys" / "Glimmer.bwr");
    writeInstrument(folder / "Keys" / "Deep" / "Hidden.bwr");  // two levels down
    writeInstrument(folder / "none" / "Odd.bwr");  // a sub-folder named like "no sub-folder"
    for (const char* other : {"notes.txt", "nodotbwr", ".bwr"}) writeText(folder / other, "x");
    std::filesystem::create_directories(folder / "Folder.bwr");

    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    EXPECT_EQ(library.getFolder(), folder.string() + "/");
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Glimmer@Keys", "Odd@none", "Bells@none", "Organ@none"}));

    for (const char* name : {"Glimmer", "Odd", "Organ"}) {
        BWRompler* instrument = library.acquire(nullptr, name, false);
        ASSERT_NE(instrument, nullptr) << name;
        EXPECT_STREQ(instrument->getName(), name);
        library.release(instrument);
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(Library, LayersShareOneInstrumentByCountAndTheLastReleaseDeletesIt) {
    writeInstrument(folder / "Bells.bwr", 3);
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    BWRompler* first = library.acquire(nullptr, "Bells", false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(library.acquire(nullptr, "Bells", false), first);
    EXPECT_EQ(first->getZones().size(), 3u);
    EXPECT_EQ(countOf(library, "Bells"), 2);
    // Asking again for what a layer already has counts nothing.
    EXPECT_EQ(library.acquire(first, "Bells", false), first);
    EXPECT_EQ(countOf(library, "Bells"), 2);
    // A name nobody has: no instrument, and the previous one loses its use.
    EXPECT_EQ(library.acquire(first, "Missing", false), nullptr);
    EXPECT_EQ(countOf(library, "Bells"), 1);

    library.release(first);
    EXPECT_EQ(countOf(library, "Bells"), 0);
    EXPECT_EQ(library.getEntries()[0].instrument, nullptr);
    EXPECT_EQ(library.pendingCount(), 0u);
}

TEST_F(Library, AReleasedInstrumentIsDeletedOnlyOnceNoVoiceUsesIt) {
    writeInstrument(folder / "Bells.bwr", 2);
    writeInstrument(folder / "Organ.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    // Switching without deleteNow parks the old instrument until a purge.
    BWRompler* organ = library.acquire(library.acquire(nullptr, "Bells", false), "Organ", false);
    EXPECT_EQ(library.pendingCount(), 1u);
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);

    // A voice bound to a sample keeps its instrument through deleteNow and
    // purges until it lets go; the same for a plain release.
    BWRompler* bells = library.acquire(organ, "Bells", true);
    BWSampleData& playing = bells->getZones()[1]->getSample();
    playing.attachVoice();
    organ = library.acquire(bells, "Organ", true);
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 1u);
    EXPECT_EQ(playing.getFrames(), 4);
    playing.detachVoice();
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);

    organ->getZones()[0]->getSample().attachVoice();
    library.release(organ);
    EXPECT_EQ(library.pendingCount(), 1u);
    organ->getZones()[0]->getSample().detachVoice();
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);
}

TEST_F(Library, RescansFollowTheSettingAndKeepInstrumentsInUse) {
    writeInstrument(folder / "Bells.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    BWRompler* bells = library.acquire(nullptr, "Bells", false);

    writeInstrument(folder / "Organ.bwr");
    library.scan(false);  // same setting: nothing to do
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Bells@none"}));
    library.scan(true);
    // The instrument in use stands twice: fresh, and kept with its count.
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Bells@none", "Organ@none", "Bells@none"}));
    EXPECT_EQ(library.getEntries()[2].instrument, bells);

    const std::filesystem::path other = content / "Other";
    writeInstrument(other / "Strings" / "Cello.bwr");
    pointLibraryAt(other.string() + "/");
    library.scan(false);
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Cello@Strings", "Bells@none"}));
    library.release(bells);

    // An empty or missing setting lists nothing (not the working folder);
    // an empty library hands the previous instrument back.
    ASSERT_TRUE(setSettingString(SettingNames::kInstrumentsPath, ""));
    library.scan(false);
    EXPECT_TRUE(library.isEmpty());
    BWRomplerLibrary unset("NoSuchSetting");
    unset.scan(true);
    EXPECT_TRUE(unset.isEmpty());
    BWRompler notTheLibrarys;
    EXPECT_EQ(unset.acquire(&notTheLibrarys, "Anything", true), &notTheLibrarys);
    EXPECT_EQ(readSettingString("NoSuchSetting"), "error");
}

TEST_F(Library, ThreadsShareTheLibraryWithoutLosingCounts) {
    writeInstrument(folder / "Bells.bwr");
    writeInstrument(folder / "Organ.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    BWRompler* held = library.acquire(nullptr, "Organ", false);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&library, t] {
            BWRompler* mine = nullptr;
            for (int i = 0; i < 200; ++i) {
                mine = library.acquire(mine, (i + t) % 2 ? "Bells" : "Organ", false);
                if (i % 50 == 0) library.purgeReleased();
                if (t == 0 && i % 100 == 0) library.scan(true);
            }
            library.release(mine);
        });
    for (std::thread& thread : threads) thread.join();

    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);
    int32_t counted = 0;
    for (const InstrumentEntry& entry : library.getEntries()) counted += entry.refCount;
    EXPECT_EQ(counted, 1);
    library.release(held);
}

}  // namespace
