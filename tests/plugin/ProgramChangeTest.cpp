// Program changes through a real instance: the presets of the "MIDI
// PROGRAMS" bank are applied on the loader thread, a burst ends on its last
// program, programs outside the bank change nothing, and an instance can be
// destroyed while a slow load runs.  Also the bounded queries and the
// bounded engine hold of the GUI side.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "ProgramChanges.h"
#include "support/InstanceTestSupport.h"
#include "support/RunLength.h"
#include "StateTestSupport.h"
#include "core/VstTypes.h"
#include "persistence/Settings.h"

namespace {

using namespace std::chrono_literals;

// Set when a slow load has waited its time out.
std::atomic<bool> loadWaited{false};

// Records the thread that applies the value, and can make the load slow.
struct WatchLoad : BindingLoadCondition {
    std::atomic<std::thread::id>* thread;
    std::atomic<bool>* entered;
    std::chrono::milliseconds delay;
    WatchLoad(std::atomic<std::thread::id>* t, std::atomic<bool>* e, std::chrono::milliseconds d)
        : thread(t), entered(e), delay(d) {}
    bool allowsLoad() override {
        thread->store(std::this_thread::get_id());
        entered->store(true);
        std::this_thread::sleep_for(delay);
        loadWaited.store(true);
        return true;
    }
};

class ProgramChangeTest : public InstanceTest {
protected:
    const int32_t reso = findBindingById(7)->tag;  // "Filter Reso"
    std::atomic<std::thread::id> loadThread{};
    std::atomic<bool> entered{false};

    // Three presets in the bank, each with its own resonance.
    void makeBank(const std::string& name = "Midi Programs") {
        std::string root;
        ASSERT_TRUE(getSettingString("presetpath0", root));
        const std::filesystem::path bank = std::filesystem::path(root) / name;
        std::filesystem::create_directories(bank);
        for (int i = 0; i < 3; ++i) {
            set(reso, 0.1f * float(i + 1));
            const std::string file = (bank / (name.substr(0, 1) + " " + std::to_string(i) + ".zvp")).string();
            ASSERT_TRUE(instance->savePreset(file.c_str(), 0, nullptr, nullptr, nullptr));
        }
        set(reso, 0.0f);
        const PresetLibrary& library = *instance->getPresetLibrary();
        ASSERT_EQ(library.getBank(uint32_t(library.findBank(name))).entries.size(), 3u);
    }
    void watch(std::chrono::milliseconds delay) {
        for (ParamBinding* binding : instance->allBindings())
            if (binding->tag == reso) binding->loadCondition = std::make_unique<WatchLoad>(&loadThread, &entered, delay);
    }
    bool settle() {
        RunLength::waitFor([&] { return !instance->isLoaderBusy(); });
        return !instance->isLoaderBusy();
    }
};

}  // namespace

TEST_F(ProgramChangeTest, TheLoaderAppliesTheLastOfABurstOnItsOwnThread) {
    makeBank();
    watch(0ms);
    ProgramChanges one{1};
    EXPECT_EQ(instance->processEvents(one.events()), 1);
    ASSERT_TRUE(settle());
    EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.2f);
    EXPECT_EQ(instance->presetName(0), "M 1");
    EXPECT_NE(loadThread.load(), std::this_thread::get_id());

    for (int round = 0; round < 5; ++round) {
        ProgramChanges burst{0, 2, 1, 0, 1, 2};
        instance->processEvents(burst.events());
        ProgramChanges late{0, 1};
        instance->processEvents(late.events());  // arrives while the burst is served
        ASSERT_TRUE(settle());
        EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.2f) << round;
        EXPECT_EQ(instance->presetName(0), "M 1");
    }
    // Outside the bank, or while program changes are ignored: nothing.
    ProgramChanges outside{127};
    instance->processEvents(outside.events());
    ASSERT_TRUE(settle());
    EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.2f);
}

// Host programs step over the ends of a bank into its neighbours.
TEST_F(ProgramChangeTest, ProgramsBeyondABankMoveToTheNextOrLastBank) {
    makeBank("A bank");
    makeBank();
    struct Step {
        int32_t program;
        const char* name;
        int32_t bank, current;
    } steps[] = {{1, "M 1", 1, 1}, {5, "A 0", 0, 0}, {2, "A 2", 0, 2},
                 {5, "M 0", 1, 0}, {-1, "A 2", 0, 2}, {-1, "M 2", 1, 2}};
    EXPECT_EQ(instance->getCurrentBank(), 1) << "a save makes its folder's bank current";
    for (const Step& step : steps) {
        instance->setProgram(step.program);
        EXPECT_EQ(instance->presetName(0), step.name) << step.program;
        EXPECT_EQ(instance->getCurrentBank(), step.bank);
        EXPECT_EQ(instance->getProgram(), step.current);
    }
    char name[BWUniClient::kProgramNameBytes];
    instance->getProgramName(name);
    EXPECT_STREQ(name, "M 2");
}

TEST_F(ProgramChangeTest, DestroyingDuringASlowLoadWaitsForIt) {
    makeBank();
    watch(150ms);
    loadWaited.store(false);
    ProgramChanges change{2};
    instance->processEvents(change.events());
    ASSERT_TRUE(RunLength::waitFor([&] { return entered.load(); }));
    instance.reset();
    EXPECT_TRUE(loadWaited.load()) << "the load under way ended first";
}

TEST_F(InstanceTest, QueriesStayInsideTheirBuffersAndRanges) {
    EXPECT_EQ(instance->getParameter(-1), 0.0f);
    EXPECT_EQ(instance->getParameter(Tag::FactoryPatternTable), 0.0f);
    char text[BWUniClient::kParameterTextBytes + 8];
    std::memset(text, 'x', sizeof text);
    instance->getParameterDisplay(87, text);
    EXPECT_STREQ(text, "empty");
    instance->getParameterDisplay(0, text);
    EXPECT_STREQ(text, "0.509800 ");
    char name[BWUniClient::kProgramNameBytes + 8];
    std::memset(name, 'x', sizeof name);
    instance->setPresetName(0, std::string(70, 'n'));
    EXPECT_TRUE(instance->getProgramNameIndexed(0, -1, name));
    EXPECT_EQ(std::string(name), std::string(23, 'n'));
    EXPECT_TRUE(instance->getProgramNameIndexed(0, 5000, name));
    EXPECT_STREQ(name, "empty");

    VstParameterProperties properties{};
    EXPECT_FALSE(instance->getParameterProperties(87, &properties));
    EXPECT_STREQ(properties.label, "empty");
    VstPinProperties pin{};
    EXPECT_TRUE(instance->getOutputProperties(0, &pin));
    EXPECT_STREQ(pin.label, "Zorvane 1-2");
    EXPECT_TRUE(instance->getOutputProperties(1, &pin));
    EXPECT_STREQ(pin.label, "Zorvane 2");
    EXPECT_FALSE(instance->getOutputProperties(2, &pin));
    EXPECT_EQ(instance->canDo("offline"), -1);
}

TEST_F(InstanceTest, TheGuiGivesUpWhenTheAudioThreadStaysBusy) {
    instance->learnMap().controller(3).push_back({40, 1});
    instance->learnMap().pressure().push_back({40, 0});
    EngineHold& hold = instance->engineHold();
    std::atomic<bool> inside{false}, leave{false};
    std::thread audio([&] {  // a block that does not end until told
        ASSERT_TRUE(hold.enterBlock());
        inside.store(true);
        while (!leave.load()) std::this_thread::sleep_for(1ms);
        hold.leaveBlock();
    });
    while (!inside.load()) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(instance->editLockedTry(40, -1, false));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_FALSE(hold.isHeld()) << "the engine is not left held";
    EXPECT_EQ(instance->learnMap().controller(3).size(), 1u);
    leave.store(true);
    audio.join();
    EXPECT_TRUE(instance->editLockedTry(40, -1, false));
    EXPECT_TRUE(instance->learnMap().controller(3).empty());
    EXPECT_TRUE(instance->learnMap().pressure().empty());
    // While held, a block does not start.
    EngineHoldScope scope(hold, EngineHold::kEditTries);
    EXPECT_FALSE(hold.enterBlock());
}
