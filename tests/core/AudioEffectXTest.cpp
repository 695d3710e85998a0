#include "core/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "support/DispatchCase.h"
#include "support/ProbeEffect.h"
#include "support/RecordingEditor.h"
#include "support/RecordingHost.h"

namespace {

const intptr_t kP = reinterpret_cast<intptr_t>(probeBuffer);

// The probe answers -5 everywhere: int32 results come back sign-extended,
// bool results as 1.
const DispatchCase kExtendedOpcodes[] = {
    {25, 0, 0, 0, {"processEvents(P)"}, -5},
    {26, 3, 0, 0, {"canParameterBeAutomated(3)"}, 1},
    {27, 4, 0, 0, {"string2parameter(4,P)"}, 1},
    {29, 5, 2, 0, {"getProgramNameIndexed(2,5,P)"}, 1},
    {33, 1, 0, 0, {"getInputProperties(1,P)"}, 1},
    {34, 2, 0, 0, {"getOutputProperties(2,P)"}, 1},
    {35, 0, 0, 0, {"getPlugCategory()"}, -5},
    {38, 1, 6, 0, {"offlineNotify(P,6,true)"}, 1},
    {38, 0, 6, 0, {"offlineNotify(P,6,false)"}, 1},
    {39, 0, 7, 0, {"offlinePrepare(P,7)"}, 1},
    {40, 0, 8, 0, {"offlineRun(P,8)"}, 1},
    {41, 0, 0, 0, {"processVariableIo(P)"}, 1},
    {42, 0, kP, 0, {"setSpeakerArrangement(P,P)"}, 1},
    {44, 0, 3, 0, {"setBypass(true)"}, 1},
    {44, 0, 0, 0, {"setBypass(false)"}, 1},
    {45, 0, 0, 0, {"getEffectName(P)"}, 1},
    {47, 0, 0, 0, {"getVendorString(P)"}, 1},
    {48, 0, 0, 0, {"getProductString(P)"}, 1},
    {49, 0, 0, 0, {"getVendorVersion()"}, -5},
    {50, 11, 12, 0.5f, {"vendorSpecific(11,12,P,0.5)"}, -5},
    {51, 0, 0, 0, {"canDo(P)"}, -5},
    {52, 0, 0, 0, {"getGetTailSize()"}, -5},
    {56, 6, 0, 0, {"getParameterProperties(6,P)"}, 1},
    {58, 0, 0, 0, {"getVstVersion()"}, -5},
    {62, 3, 0, 0, {"getMidiProgramName(3,P)"}, -5},
    {63, 3, 0, 0, {"getCurrentMidiProgram(3,P)"}, -5},
    {64, 3, 0, 0, {"getMidiProgramCategory(3,P)"}, -5},
    {65, 3, 0, 0, {"hasMidiProgramsChanged(3)"}, 1},
    {66, 3, 0, 0, {"getMidiKeyName(3,P)"}, 1},
    {67, 0, 0, 0, {"beginSetProgram()"}, 1},
    {68, 0, 0, 0, {"endSetProgram()"}, 1},
    {69, 0, kP, 0, {"getSpeakerArrangement(P,P)"}, 1},
    {70, 0, 0, 0, {"getNextShellPlugin(P)"}, -5},
    {71, 0, 0, 0, {"startProcess()"}, -5},
    {72, 0, 0, 0, {"stopProcess()"}, -5},
    {73, 0, 4096, 0, {"setTotalSampleToProcess(4096)"}, -5},
    {74, 0, 2, 0.75f, {"setPanLaw(2,0.75)"}, 1},
    {75, 0, 0, 0, {"beginLoadBank(P)"}, -5},
    {76, 0, 0, 0, {"beginLoadProgram(P)"}, -5},
    {77, 0, 1, 0, {"setProcessPrecision(1)"}, 1},
    {78, 0, 0, 0, {"getNumMidiInputChannels()"}, -5},
    {79, 0, 0, 0, {"getNumMidiOutputChannels()"}, -5},
    // The basic opcodes still reach the base dispatcher.
    {3, 0, 0, 0, {"getProgram()"}, -5},
    {22, 0, 0, 0, {}, 0x4E764566},
};

// The key record is built from index, the low byte of value and the low byte
// of opt's integer part.
const DispatchCase kEditorExtensions[] = {
    {59, 97, 0x141, 258.7f, {"onKeyDown(97,65,2)"}, 1},
    {60, 98, 0x42, -1.0f, {"onKeyUp(98,66,255)"}, 1},
    {59, 1, 2, NAN, {"onKeyDown(1,2,0)"}, 1},
    {61, 0, 2, 0, {"setKnobMode(2)"}, 1},
};

}  // namespace

TEST(AudioEffectX, DispatcherReachesTheOperationOfEachExtendedOpcode) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    for (const DispatchCase& c : kExtendedOpcodes) expectDispatch(effect, log, c);

    for (int32_t opcode : {28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57, 80, 1234567, -1})
        expectDispatch(effect, log, {opcode, 1, 1, 1.0f, {}, 0});

    effect.answer = intptr_t{1} << 40;  // vendorSpecific answers pointer-sized, unchanged
    EXPECT_EQ(effect.dispatcher(50, 0, 0, nullptr, 0), intptr_t{1} << 40);
}

TEST(AudioEffectX, EditorKeyAndKnobOpcodesNeedAnEditor) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    for (const DispatchCase& c : kEditorExtensions)
        expectDispatch(effect, log, {c.opcode, c.index, c.value, c.opt, {}, 0});

    effect.setEditor(new RecordingEditor(log));
    for (const DispatchCase& c : kEditorExtensions) expectDispatch(effect, log, c);
}

TEST(AudioEffectX, DefaultAnswersOfTheExtendedProperties) {
    MinimalEffect effect(nullptr, 16, 4);
    auto dispatch = [&](int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr) {
        return effect.dispatcher(opcode, index, value, ptr, 0.0f);
    };
    EXPECT_EQ(dispatch(63), -1);  // no current MIDI program
    EXPECT_EQ(dispatch(73, 0, 4096), 4096);

    EXPECT_EQ(dispatch(35), 0);
    effect.isSynth(true);
    EXPECT_EQ(dispatch(35), 2);
    effect.isSynth(false);
    EXPECT_EQ(dispatch(35), 0);

    dispatch(2, 0, 7);
    EXPECT_EQ(dispatch(3), 7);
    std::strcpy(probeBuffer, "old");
    dispatch(5, 0, 0, probeBuffer);
    EXPECT_STREQ(probeBuffer, "");
}

TEST(AudioEffectX, GetSpeakerArrangementAnswersNoArrangement) {
    MinimalEffect effect(nullptr, 1, 1);
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* input = &dummy;
    VstSpeakerArrangement* output = &dummy;
    EXPECT_EQ(effect.dispatcher(69, 0, reinterpret_cast<intptr_t>(&input), &output, 0), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    // A host that passes no places to write to gets the same answer.
    EXPECT_EQ(effect.dispatcher(69, 0, 0, nullptr, 0), 0);
}

namespace {

VstTimeInfo timeInfo;
const auto kTime = reinterpret_cast<intptr_t>(&timeInfo);

template <typename T>
intptr_t asAnswer(T* pointer) {
    return reinterpret_cast<intptr_t>(pointer);
}

struct RequestCase {
    const char* name;
    std::function<intptr_t(AudioEffectX&)> send;
    HostRequest request;  // the effect is filled in when run
    intptr_t hostAnswer;
    intptr_t result;    // with that answer
    intptr_t fallback;  // without a host
};

VstEvents* const kEvents = reinterpret_cast<VstEvents*>(probeBuffer);

const RequestCase kRequests[] = {
    {"wantEvents", [](AudioEffectX& e) { e.wantEvents(1); return intptr_t{0}; },
     {nullptr, 6, 0, 1, nullptr, 0}, 9, 0, 0},
    {"getTimeInfo", [](AudioEffectX& e) { return asAnswer(e.getTimeInfo(0x1E02)); },
     {nullptr, 7, 0, 0x1E02, nullptr, 0}, kTime, kTime, 0},
    {"sendVstEventsToHost", [](AudioEffectX& e) { return intptr_t{e.sendVstEventsToHost(kEvents)}; },
     {nullptr, 8, 0, 0, probeBuffer, 0}, 1, 1, 0},
    {"tempoAt", [](AudioEffectX& e) { return intptr_t{e.tempoAt(480)}; },
     {nullptr, 10, 0, 480, nullptr, 0}, 120000, 120000, 0},
    {"getNumAutomatableParameters", [](AudioEffectX& e) { return intptr_t{e.getNumAutomatableParameters()}; },
     {nullptr, 11, 0, 0, nullptr, 0}, 87, 87, 0},
    {"getParameterQuantization", [](AudioEffectX& e) { return intptr_t{e.getParameterQuantization()}; },
     {nullptr, 12, 0, 0, nullptr, 0}, 3, 3, 0},
    {"ioChanged", [](AudioEffectX& e) { return intptr_t{e.ioChanged()}; },
     {nullptr, 13, 0, 0, nullptr, 0}, 2, 1, 0},
    {"needIdle", [](AudioEffectX& e) { return intptr_t{e.needIdle()}; },
     {nullptr, 14, 0, 0, nullptr, 0}, 2, 1, 0},
    {"sizeWindow", [](AudioEffectX& e) { return intptr_t{e.sizeWindow(960, 697)}; },
     {nullptr, 15, 960, 697, nullptr, 0}, -1, 1, 0},
    {"updateSampleRate", [](AudioEffectX& e) { return static_cast<intptr_t>(e.updateSampleRate()); },
     {nullptr, 16, 0, 0, nullptr, 0}, 48000, 48000, 44100},
    {"updateBlockSize", [](AudioEffectX& e) { return intptr_t{e.updateBlockSize()}; },
     {nullptr, 17, 0, 0, nullptr, 0}, 256, 256, 1024},
    {"getInputLatency", [](AudioEffectX& e) { return intptr_t{e.getInputLatency()}; },
     {nullptr, 18, 0, 0, nullptr, 0}, 64, 64, 0},
    {"getOutputLatency", [](AudioEffectX& e) { return intptr_t{e.getOutputLatency()}; },
     {nullptr, 19, 0, 0, nullptr, 0}, 128, 128, 0},
    {"getPreviousPlug", [](AudioEffectX& e) { return asAnswer(e.getPreviousPlug(3)); },
     {nullptr, 20, 0, 0, nullptr, 0}, kTime, kTime, 0},
    {"getNextPlug", [](AudioEffectX& e) { return asAnswer(e.getNextPlug(4)); },
     {nullptr, 21, 0, 0, nullptr, 0}, kTime, kTime, 0},
    {"willProcessReplacing", [](AudioEffectX& e) { return intptr_t{e.willProcessReplacing()}; },
     {nullptr, 22, 0, 0, nullptr, 0}, 1, 1, 0},
    {"getCurrentProcessLevel", [](AudioEffectX& e) { return intptr_t{e.getCurrentProcessLevel()}; },
     {nullptr, 23, 0, 0, nullptr, 0}, 2, 2, 0},
    {"getAutomationState", [](AudioEffectX& e) { return intptr_t{e.getAutomationState()}; },
     {nullptr, 24, 0, 0, nullptr, 0}, 3, 3, 0},
    {"offlineStart", [](AudioEffectX& e) { return intptr_t{e.offlineStart(probeBuffer, 2, 5)}; },
     {nullptr, 25, 5, 2, probeBuffer, 0}, 2, 1, 0},
    {"offlineRead", [](AudioEffectX& e) { return intptr_t{e.offlineRead(probeBuffer, 7, true)}; },
     {nullptr, 26, 1, 7, probeBuffer, 0}, -1, 1, 0},
    {"offlineWrite", [](AudioEffectX& e) { return intptr_t{e.offlineWrite(probeBuffer, 8)}; },
     {nullptr, 27, 0, 8, probeBuffer, 0}, 1, 1, 0},
    {"offlineGetCurrentPass", [](AudioEffectX& e) { return intptr_t{e.offlineGetCurrentPass()}; },
     {nullptr, 28, 0, 0, nullptr, 0}, 5, 1, 0},
    {"offlineGetCurrentMetaPass", [](AudioEffectX& e) { return intptr_t{e.offlineGetCurrentMetaPass()}; },
     {nullptr, 29, 0, 0, nullptr, 0}, -3, 1, 0},
    {"setOutputSamplerate", [](AudioEffectX& e) { e.setOutputSamplerate(96000.0f); return intptr_t{0}; },
     {nullptr, 30, 0, 0, nullptr, 96000.0f}, 1, 0, 0},
    {"getOutputSpeakerArrangement", [](AudioEffectX& e) { return asAnswer(e.getOutputSpeakerArrangement()); },
     {nullptr, 31, 0, 0, nullptr, 0}, kTime, kTime, 0},
    {"getHostVendorString", [](AudioEffectX& e) { return intptr_t{e.getHostVendorString(probeBuffer)}; },
     {nullptr, 32, 0, 0, probeBuffer, 0}, 1, 1, 0},
    {"getHostProductString", [](AudioEffectX& e) { return intptr_t{e.getHostProductString(probeBuffer)}; },
     {nullptr, 33, 0, 0, probeBuffer, 0}, 1, 1, 0},
    {"getHostVendorVersion", [](AudioEffectX& e) { return intptr_t{e.getHostVendorVersion()}; },
     {nullptr, 34, 0, 0, nullptr, 0}, 1234, 1234, 0},
    {"hostVendorSpecific", [](AudioEffectX& e) { return e.hostVendorSpecific(5, 6, probeBuffer, 0.5f); },
     {nullptr, 35, 5, 6, probeBuffer, 0.5f}, intptr_t{1} << 40, intptr_t{1} << 40, 0},
    {"canHostDo", [](AudioEffectX& e) { return intptr_t{e.canHostDo(probeBuffer)}; },
     {nullptr, 37, 0, 0, probeBuffer, 0}, -1, 1, 0},
    {"getHostLanguage", [](AudioEffectX& e) { return intptr_t{e.getHostLanguage()}; },
     {nullptr, 38, 0, 0, nullptr, 0}, 2, 2, 0},
    {"openWindow", [](AudioEffectX& e) { return asAnswer(e.openWindow(probeBuffer)); },
     {nullptr, 39, 0, 0, probeBuffer, 0}, kTime, kTime, 0},
    {"closeWindow", [](AudioEffectX& e) { return intptr_t{e.closeWindow(probeBuffer)}; },
     {nullptr, 40, 0, 0, probeBuffer, 0}, 2, 1, 0},
    {"getDirectory", [](AudioEffectX& e) { return asAnswer(e.getDirectory()); },
     {nullptr, 41, 0, 0, nullptr, 0}, kTime, kTime, 0},
    {"updateDisplay", [](AudioEffectX& e) { return intptr_t{e.updateDisplay()}; },
     {nullptr, 42, 0, 0, nullptr, 0}, 2, 1, 0},
    {"beginEdit", [](AudioEffectX& e) { return intptr_t{e.beginEdit(12)}; },
     {nullptr, 43, 12, 0, nullptr, 0}, 2, 1, 0},
    {"endEdit", [](AudioEffectX& e) { return intptr_t{e.endEdit(12)}; },
     {nullptr, 44, 12, 0, nullptr, 0}, 2, 1, 0},
    {"openFileSelector", [](AudioEffectX& e) { return intptr_t{e.openFileSelector(probeBuffer)}; },
     {nullptr, 45, 0, 0, probeBuffer, 0}, 2, 1, 0},
    {"closeFileSelector", [](AudioEffectX& e) { return intptr_t{e.closeFileSelector(probeBuffer)}; },
     {nullptr, 46, 0, 0, probeBuffer, 0}, 2, 1, 0},
    {"getChunkFile", [](AudioEffectX& e) { return intptr_t{e.getChunkFile(probeBuffer)}; },
     {nullptr, 48, 0, 0, probeBuffer, 0}, 2, 1, 0},
    {"getInputSpeakerArrangement", [](AudioEffectX& e) { return asAnswer(e.getInputSpeakerArrangement()); },
     {nullptr, 49, 0, 0, nullptr, 0}, kTime, kTime, 0},
};

}  // namespace

TEST(AudioEffectX, HostRequestsSendTheirOpcodeAndArgumentsAndReadTheAnswer) {
    for (const RequestCase& c : kRequests) {
        RecordingHost host;
        host.answer(c.request.opcode, c.hostAnswer);
        MinimalEffect effect(RecordingHost::callback, 1, 1);
        EXPECT_EQ(c.send(effect), c.result) << c.name;
        HostRequest expected = c.request;
        expected.effect = effect.getAeffect();
        EXPECT_EQ(host.requests(), std::vector<HostRequest>{expected}) << c.name;

        MinimalEffect alone(nullptr, 1, 1);
        EXPECT_EQ(c.send(alone), c.fallback) << c.name << " without a host";
        EXPECT_EQ(host.requests().size(), 1u) << c.name;
    }
}

TEST(AudioEffectX, HostAnswersThatRequestsRefuse) {
    RecordingHost host;
    MinimalEffect effect(RecordingHost::callback, 1, 1);
    for (intptr_t refused : {0, -1}) {
        host.answer(16, refused);
        host.answer(17, refused);
        EXPECT_EQ(effect.updateSampleRate(), 44100.0);
        EXPECT_EQ(effect.updateBlockSize(), 1024);
    }
    host.answer(8, 2);  // only exactly 1 means the host took the events
    EXPECT_FALSE(effect.sendVstEventsToHost(kEvents));

    host.clear();
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_TRUE(host.requests().empty());
}

namespace {

class MidiEffect : public MinimalEffect {
public:
    explicit MidiEffect(int32_t canDoAnswer)
        : MinimalEffect(RecordingHost::callback, 1, 1), answer(canDoAnswer) {}
    int32_t canDo(const char* text) override {
        asked = text;
        return answer;
    }
    int32_t answer;
    std::string asked;
};

}  // namespace

TEST(AudioEffectX, ResumeAsksForMidiOnlyForSynthsAndMidiTakers) {
    struct Case {
        bool synth;
        int32_t canDo;
        bool wantsMidi;
    };
    for (const Case c : {Case{true, -1, true}, Case{false, 1, true}, Case{false, -1, false},
                         Case{false, 2, false}}) {
        RecordingHost host;
        MidiEffect effect(c.canDo);
        effect.isSynth(c.synth);
        effect.resume();
        const std::vector<HostRequest> wanted{{effect.getAeffect(), 6, 0, 1, nullptr, 0}};
        EXPECT_EQ(host.requests(), c.wantsMidi ? wanted : std::vector<HostRequest>{}) << c.synth << c.canDo;
        if (!c.synth) {
            EXPECT_EQ(effect.asked, "receiveVstMidiEvent");
        }
    }
}

namespace {

VstSpeakerArrangement* makeSource(int32_t channels) {
    VstSpeakerArrangement* source = nullptr;
    MinimalEffect helper(nullptr, 1, 1);
    helper.allocateArrangement(&source, channels);
    source->type = 7;
    for (int32_t i = 0; i < channels; ++i) {
        VstSpeakerProperties& speaker = source->speakers[i];
        speaker = {30.0f * static_cast<float>(i), 10.0f, 1.0f, 0.5f, {}, 100 + i, {}};
        std::memset(speaker.name, 'a' + i, sizeof(speaker.name));  // no terminator at all
        std::memset(speaker.future, i + 1, sizeof(speaker.future));
    }
    return source;
}

}  // namespace

TEST(AudioEffectX, MatchArrangementCopiesEverySpeaker) {
    MinimalEffect effect(nullptr, 1, 1);
    VstSpeakerArrangement* source = makeSource(3);
    VstSpeakerArrangement* copy = nullptr;
    effect.allocateArrangement(&copy, 1);  // replaced by the match

    ASSERT_TRUE(effect.matchArrangement(&copy, source));
    EXPECT_EQ(copy->type, 7);
    ASSERT_EQ(copy->numChannels, 3);
    for (int32_t i = 0; i < 3; ++i) {
        const VstSpeakerProperties& to = copy->speakers[i];
        const VstSpeakerProperties& from = source->speakers[i];
        EXPECT_EQ(std::string(to.name), std::string(63, static_cast<char>('a' + i)));
        EXPECT_EQ(to.type, from.type);
        EXPECT_EQ(to.azimuth, from.azimuth);
        EXPECT_EQ(to.elevation, from.elevation);
        EXPECT_EQ(to.radius, from.radius);
        EXPECT_EQ(to.reserved, from.reserved);
        EXPECT_EQ(std::memcmp(to.future, from.future, sizeof(to.future)), 0);
    }
    // Matching an arrangement to itself leaves it whole.
    EXPECT_TRUE(effect.matchArrangement(&copy, copy));
    EXPECT_EQ(copy->numChannels, 3);

    EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &source->speakers[0]));
    EXPECT_TRUE(effect.deallocateArrangement(&copy));
    EXPECT_EQ(copy, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&source));
}

TEST(AudioEffectX, AllocateArrangementReportsAFailedAllocation) {
    MinimalEffect effect(nullptr, 1, 1);
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    EXPECT_EQ(arrangement->numChannels, 2);
    EXPECT_EQ(arrangement->speakers[1].type, 0);

    // The earlier block is freed and not left dangling.
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));

    struct Refusing : MinimalEffect {
        using MinimalEffect::MinimalEffect;
        bool allocateArrangement(VstSpeakerArrangement**, int32_t) override { return false; }
    } refusing(nullptr, 1, 1);
    VstSpeakerArrangement* source = makeSource(2);
    EXPECT_FALSE(refusing.matchArrangement(&arrangement, source));
    effect.deallocateArrangement(&source);
}
