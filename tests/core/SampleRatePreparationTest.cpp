#include "core/SampleRatePreparation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "support/AllocationCounter.h"


namespace {

// Records what the preparation asks of the plug-in object.  The records are
// sized up front so that recording never allocates.
class FakeOwner : public SampleRateOwner {
public:
    FakeOwner() {
        log.reserve(512);
        reapplied.reserve(512);
    }

    void resizeDelayLines(const EngineRateConstants& constants) override {
        log.push_back("lines");
        lines = constants;
    }
    void reapplyParameter(int32_t index) override {
        log.push_back("parameter");
        reapplied.push_back(index);
    }
    void refreshHeldNotes() override { log.push_back("notes"); }
    void effectsPrepared(bool rateChanged) override { log.push_back(rateChanged ? "new rate" : "same rate"); }

    void clear() {
        log.clear();
        reapplied.clear();
    }

    std::vector<const char*> log;
    std::vector<int32_t> reapplied;
    EngineRateConstants lines;
};

class FakeEffect : public TimingListener {
public:
    FakeEffect(const char* name, std::vector<const char*>& log, const BWSystemInfo& context)
        : name(name), log(log), context(context) {}
    void updateTiming() override {
        log.push_back("timing");
        beatAtTiming = context.samplesPerBeat;
    }
    void prepare() override {
        log.push_back(name);
        rateAtPrepare = context.sampleRate;
    }

    const char* name;
    std::vector<const char*>& log;
    const BWSystemInfo& context;
    double beatAtTiming = 0.0;
    float rateAtPrepare = 0.0f;
};

struct Instance {
    Instance() : context(8, nullptr, &listeners, nullptr), preparation(context, owner) {
        context.setTickLength(16);
        listeners.append(&reverser);
        listeners.append(&chorus);
    }
    PointerList listeners;
    BWSystemInfo context;
    FakeOwner owner;
    FakeEffect reverser{"reverser", owner.log, context};
    FakeEffect chorus{"chorus", owner.log, context};
    SampleRatePreparation preparation;
};

// The log with each run of parameter re-applications shown once.
std::vector<std::string> logOf(const FakeOwner& owner) {
    std::vector<std::string> compact;
    for (const std::string entry : owner.log) {
        const bool repeated = !compact.empty() && compact.back() == "parameter" && entry == "parameter";
        if (!repeated) compact.push_back(entry);
    }
    return compact;
}

}  // namespace

TEST(SampleRatePreparation, StepsRunInOrderAfterTheRateIsTaken) {
    Instance instance;
    instance.preparation.prepareSampleRate(48000.0f);

    std::vector<std::string> expected = {"lines", "reverser", "chorus", "new rate", "parameter", "notes"};
    EXPECT_EQ(logOf(instance.owner), expected);
    EXPECT_EQ(instance.reverser.rateAtPrepare, 48000.0f);
    EXPECT_EQ(instance.owner.lines.longLineLength, 48000);
    EXPECT_EQ(instance.owner.lines.shortLineLength, 1073);

    const auto indices = SampleRatePreparation::reappliedIndices();
    ASSERT_EQ(indices.size(), 145u);
    EXPECT_EQ(instance.owner.reapplied, std::vector<int32_t>(indices.begin(), indices.end()));
    EXPECT_EQ(instance.owner.reapplied.front(), 340);
    EXPECT_EQ(instance.owner.reapplied.back(), 339);

    // A refused rate keeps the stored one but still prepares everything.
    instance.owner.clear();
    instance.preparation.prepareSampleRate(250000.0f);
    EXPECT_EQ(instance.context.sampleRate, 48000.0f);
    expected[3] = "same rate";  // the owner's clears for a new rate do not run
    EXPECT_EQ(logOf(instance.owner), expected);
}

TEST(SampleRatePreparation, EngineConstantsAndLowPassAt44100) {
    Instance instance;
    instance.preparation.prepareSampleRate(44100.0f);
    const EngineRateConstants& engine = instance.preparation.engine();
    EXPECT_DOUBLE_EQ(engine.tickDuration, 16.0 / 44100.0);
    EXPECT_FLOAT_EQ(engine.samplesPerMs, 44.1f);
    EXPECT_FLOAT_EQ(engine.msPerSample, 1000.0f / 44100.0f);
    EXPECT_EQ(engine.doubleTick, 32.0f);
    EXPECT_FLOAT_EQ(engine.secondsPerTick, 16.0f / 44100.0f);
    EXPECT_EQ(engine.longLineLength, 44100);
    EXPECT_EQ(engine.shortLineLength, 986);

    // 6 kHz at 44.1 kHz: w = 0.42743, g = w + w^3 (1/3 + 4/3 w^2).
    const OnePoleLowPass& lowPass = instance.preparation.lowPass();
    EXPECT_NEAR(lowPass.g, 0.47248f, 1e-4f);
}

TEST(SampleRatePreparation, TempoChangeTellsListenersThenPreparesAtTheStoredRate) {
    Instance instance;
    instance.preparation.prepareSampleRate(48000.0f);
    instance.owner.clear();

    EXPECT_TRUE(instance.preparation.changeTempo(90.0));
    const std::vector<std::string> expected = {"timing", "timing", "lines",     "reverser",
                                               "chorus", "same rate", "parameter", "notes"};
    EXPECT_EQ(logOf(instance.owner), expected);
    EXPECT_EQ(instance.reverser.beatAtTiming, 32000.0);  // listeners see the new tempo
    EXPECT_EQ(instance.context.sampleRate, 48000.0f);
    EXPECT_EQ(instance.owner.lines.longLineLength, 48000);

    // A refused tempo does nothing at all, so a host above the limit does not
    // clear the effects at every tick.
    instance.owner.clear();
    EXPECT_FALSE(instance.preparation.changeTempo(512.0));
    EXPECT_TRUE(instance.owner.log.empty());
    EXPECT_EQ(instance.context.tempo, 90.0);
}

TEST(SampleRatePreparation, TempoChangeAllocatesNothing) {
    Instance instance;
    instance.preparation.prepareSampleRate(44100.0f);
    instance.owner.clear();

    {
        // The counter itself works.  Called by name, so that no optimiser
        // drops the pair as it may drop a new-expression.
        AllocationCounter counter;
        ::operator delete(::operator new(sizeof(int)));
        ASSERT_EQ(counter.count(), 1u);
    }

    bool taken = false;
    {
        AllocationCounter counter;
        taken = instance.preparation.changeTempo(133.0);
        instance.preparation.changeTempo(30.0);
        EXPECT_EQ(counter.count(), 0u);
    }
    EXPECT_TRUE(taken);
    EXPECT_EQ(instance.context.tempo, 45.0);
    EXPECT_EQ(instance.owner.reapplied.size(), 2 * 145u);
}

TEST(SampleRatePreparation, WorksWithoutAListenerList) {
    BWSystemInfo context(8, nullptr, nullptr, nullptr);
    FakeOwner owner;
    SampleRatePreparation preparation(context, owner);
    preparation.prepareSampleRate(22050.0f);
    EXPECT_TRUE(preparation.changeTempo(140.0));
    EXPECT_EQ(owner.reapplied.size(), 2 * 145u);
}
