#include "engine/BWRomplerLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
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

InstrumentEntry entryNamed(const BWRomplerLibrary& library, const std::string& name) {
    for (const InstrumentEntry& entry : library.getEntries())
        if (entry.name == name) return entry;
    return {};
}

TEST_F(Library, ListsInstrumentFilesOfTheFolderAndItsDirectSubFolders) {
    writeInstrument(folder / "Bells.bwr");
    writeInstrument(folder / "Organ.BWR");         // any case of the extension
    writeInstrument(folder / "Keys" / "Rhodes.bwr");
    writeInstrument(folder / "Keys" / "Deep" / "Hidden.bwr");  // two levels down
    writeText(folder / "notes.txt", "x");
    writeText(folder / "nodotbwr", "x");           // the letters without the dot
    writeText(folder / ".bwr", "x");               // no name before the extension
    std::filesystem::create_directories(folder / "Folder.bwr");

    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    EXPECT_EQ(library.getFolder(), folder.string() + "/");
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Rhodes@Keys", "Bells@none", "Organ@none"}));

    BWRompler* rhodes = library.acquire(nullptr, "Rhodes", false);
    ASSERT_NE(rhodes, nullptr);
    EXPECT_STREQ(rhodes->getName(), "Rhodes");
    BWRompler* organ = library.acquire(nullptr, "Organ", false);
    ASSERT_NE(organ, nullptr);  // found under the name it was listed with
    EXPECT_STREQ(organ->getName(), "Organ");
    EXPECT_TRUE(messages.texts().empty());
    library.release(rhodes);
    library.release(organ);
}

TEST_F(Library, LayersShareOneInstrumentByCountAndTheLastReleaseDeletesIt) {
    writeInstrument(folder / "Bells.bwr", 3);
    writeInstrument(folder / "Organ.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    BWRompler* first = library.acquire(nullptr, "Bells", false);
    BWRompler* second = library.acquire(nullptr, "Bells", false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->getZones().size(), 3u);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 2);

    // Asking again for what a layer already has counts nothing.
    EXPECT_EQ(library.acquire(first, "Bells", false), first);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 2);

    // A name nobody has: no instrument, and the previous one loses its use.
    EXPECT_EQ(library.acquire(second, "Missing", false), nullptr);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 1);

    library.release(first);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 0);
    EXPECT_EQ(entryNamed(library, "Bells").instrument, nullptr);
    EXPECT_EQ(library.pendingCount(), 0u);
    library.release(nullptr);  // ignored

    // Loaded afresh on the next use.
    BWRompler* again = library.acquire(nullptr, "Bells", false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 1);
    library.release(again);
}

TEST_F(Library, AReleasedInstrumentIsDeletedOnlyOnceNoVoiceUsesIt) {
    writeInstrument(folder / "Bells.bwr", 2);
    writeInstrument(folder / "Organ.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    // Switching without deleteNow parks the old instrument until a purge.
    BWRompler* bells = library.acquire(nullptr, "Bells", false);
    BWRompler* organ = library.acquire(bells, "Organ", false);
    EXPECT_EQ(library.pendingCount(), 1u);
    EXPECT_EQ(entryNamed(library, "Bells").instrument, nullptr);
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);

    // A voice still bound to a sample keeps the instrument alive through
    // deleteNow, release and purges, until it lets go.
    bells = library.acquire(organ, "Bells", true);
    BWSampleData& playing = bells->getZones()[1]->getSample();
    playing.attachVoice();
    organ = library.acquire(bells, "Organ", true);
    EXPECT_EQ(library.pendingCount(), 1u);
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 1u);
    EXPECT_EQ(playing.getFrames(), 4);  // still there to be played

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

TEST_F(Library, ABadFileIsRefusedAndLeavesThePreviousInstrument) {
    writeInstrument(folder / "Bells.bwr");
    writeText(folder / "Broken.bwr", "not an instrument at all");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);

    BWRompler* bells = library.acquire(nullptr, "Bells", false);
    EXPECT_EQ(library.acquire(bells, "Broken", false), bells);
    EXPECT_EQ(entryNamed(library, "Bells").refCount, 1);
    EXPECT_EQ(entryNamed(library, "Broken").instrument, nullptr);
    EXPECT_EQ(library.pendingCount(), 0u);
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts().back(), "loading ROM file from " + folder.string() + "/Broken.bwr failed");

    EXPECT_EQ(library.acquire(nullptr, "Broken", false), nullptr);
    library.release(bells);
}

TEST_F(Library, RescansFollowTheSettingAndKeepInstrumentsInUse) {
    writeInstrument(folder / "Bells.bwr");
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    BWRompler* bells = library.acquire(nullptr, "Bells", false);

    // Unchanged setting: no rescan unless forced.
    writeInstrument(folder / "Organ.bwr");
    library.scan(false);
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Bells@none"}));
    library.scan(true);
    // The instrument in use stands twice: fresh, and kept with its count.
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Bells@none", "Organ@none", "Bells@none"}));
    EXPECT_EQ(library.getEntries()[2].instrument, bells);
    EXPECT_EQ(library.getEntries()[2].refCount, 1);

    // A changed setting is followed without force.
    const std::filesystem::path other = content / "Other";
    writeInstrument(other / "Strings" / "Cello.bwr");
    pointLibraryAt(other.string() + "/");
    library.scan(false);
    EXPECT_EQ(library.getFolder(), other.string() + "/");
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Cello@Strings", "Bells@none"}));

    // The kept entry still releases, and goes with the next scan.
    library.release(bells);
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Cello@Strings", "Bells@none"}));
    library.scan(true);
    EXPECT_EQ(entryNames(library), (std::vector<std::string>{"Cello@Strings"}));
}

TEST_F(Library, AMissingOrEmptyFolderSettingListsNothing) {
    ASSERT_TRUE(setSettingString(SettingNames::kInstrumentsPath, ""));
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(true);
    EXPECT_TRUE(library.isEmpty());
    EXPECT_EQ(library.getFolder(), "");

    BWRomplerLibrary unnamed("NoSuchSetting");
    unnamed.scan(true);
    EXPECT_TRUE(unnamed.isEmpty());
    BWRompler notTheLibrarys;
    EXPECT_EQ(unnamed.acquire(&notTheLibrarys, "Anything", true), &notTheLibrarys);
    EXPECT_EQ(readSettingString("NoSuchSetting"), "error");
    pointLibraryAt(folder);
    EXPECT_EQ(readSettingString(SettingNames::kInstrumentsPath), folder.string());
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
