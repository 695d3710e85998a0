#pragma once
// The audio side of one instance: everything the render reads and writes,
// and the only writer of every value derived from a parameter.  It owns the
// engine state (what the parameters leave for the render), the render
// frame's state, the sequencer's runtime and the step lanes, the voices, the
// effect chain, its delay lines, the MIDI event queue and the notes it sends.
// The plug-in object (BWUniClient) is its host-side front: it stores raw
// parameter values in the ParameterInbox, which the engine takes at the top
// of every 16-sample tick, in index order, and derives from there.
//
// Threads: the audio thread; or the program loader, a state load or the
// rate preparation while they hold the engine (EngineHold); or anyone before
// the host starts.  Debug builds assert it at every entry point below.
// Nothing here allocates, locks or waits, except the rate preparation, which
// runs on the host thread with the engine held, and the clipboard buttons'
// edits, which never run on the audio side (runClipboardEdit).
//
// The operations live in files by concern: EngineParameters.cpp (the frame
// and the inbox), HostParameters.cpp, SequencerParameters.cpp,
// PatternEditParameters.cpp and InterfaceParameters.cpp (what each index
// derives), BlockRender.cpp (the block and the tick), MidiIntake.cpp and
// MidiEventHandler.cpp (MIDI), Sequencer.cpp, StepLanes.cpp, VoiceSeam.cpp
// and RatePreparation.cpp.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/SampleRatePreparation.h"
#include "core/TrackedFloatBuffer.h"
#include "engine/BWRomplerHandler.h"
#include "engine/VoiceChain.h"
#include "plugin/ClipboardRequests.h"
#include "plugin/DisplayPublisher.h"
#include "plugin/EffectChain.h"
#include "plugin/EngineState.h"
#include "plugin/MidiEventQueue.h"
#include "plugin/MidiLearnMap.h"
#include "plugin/MidiOutput.h"
#include "plugin/PatternReads.h"
#include "plugin/RenderState.h"
#include "plugin/SequencerRuntime.h"

class BWSystemInfo;
class BWTableXY;
class EngineHold;
class EngineHost;
class InterfaceRequests;
class ParameterInbox;
class PatternEditLock;
class ProgramLoader;
class StateResetList;
struct DisplayBlock;
struct PatternModels;
struct VstEvents;

class Engine : private SampleRateOwner {
public:
    using Layers = std::array<BWRomplerHandler, kSoundLayers>;

    // What the engine works with but does not own: the front's pieces.
    struct Links {
        EngineHost& host;
        BWSystemInfo& context;
        StateResetList& trackedBuffers;
        PatternModels& models;
        Layers& layers;
        ParameterInbox& inbox;
        InterfaceRequests& requests;
        EngineHold& hold;
        ProgramLoader& loader;
        MidiLearnMap& learn;
        PatternEditLock& patternEdits;
        DisplayBlock& display;
    };

    // Learned assignments a controller list holds at most; learning into a
    // full list, or an assignment already there, changes nothing.
    static constexpr size_t kLearnCapacity = 32;

    // Builds the engine silent, its lines at their first size.  The
    // constructing thread, before anything can reach it.
    explicit Engine(const Links& links);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Takes every raw value the inbox holds as its own and prepares the
    // rate: every derived value follows.  Constructing thread, once.
    void start(float sampleRate);

    // One host block into outputs[0] and outputs[1].  Audio thread, or the
    // MIDI export (which keeps the host's calls out meanwhile).
    void processBlock(float** outputs, int32_t frames);
    // One 16-sample tick of the render for the MIDI export (between its
    // begin and end, which keep the host's process calls out).
    void renderExportTick();
    // The host's MIDI events into the queue; program changes to the loader
    // when programChanges.  Audio thread (never inside another's render).
    void receiveEvents(const VstEvents* events, bool programChanges);
    // One record into the queue, its offset counted from the block start.
    // Audio thread.
    void queueEvent(const MidiEventRecord& record);
    // Asks for an all-notes-off at the audio thread's next call, with MIDI
    // or without.  Any thread.
    void requestAllNotesOff() { allNotesOffPending.store(true); }
    // Applies one queued event (MidiEventHandler.cpp).  Audio side.
    void handleMidiEvent(const MidiEventRecord& event);

    // Derives every index the inbox marked since the last take, in index
    // order.  Audio side: the top of each tick, and a holder that needs the
    // values at once (a state load, the editor with no audio running).
    void takeParameters();
    // The edit of a clipboard button (ClipboardRequests.h): copy or paste
    // over the render's loop zone, or the pattern-wide copy or paste on every
    // model of group one.  The one operation that never runs on the audio
    // side: the thread that pressed runs it, in the instance's turn, with the
    // render's pattern edits kept out (BWUniClient::runClipboardEdit); it
    // touches nothing of the engine but what the render publishes.
    void runClipboardEdit(int32_t index);
    // The clipboard buttons that the render met pressed (a learned
    // controller), for the front's idle.  Any thread.
    ClipboardRequests& clipboardRequests() { return clipboardPresses; }
    // After a state load, with the engine held: a counted load restarts the
    // sequencer's clock and the reverser's capture.
    void presetLoaded(bool counted);
    // Where a load or a suspend clears the tracked buffers, with the engine
    // held: what the running state keeps of the sound besides them (the
    // voices' held samples, the DC blocker's memory) goes too, so that
    // nothing of the sound before plays on over the cleared lines, nor
    // reaches them to come back out of the silence later.  A host that does
    // not wait for a load renders silent blocks meanwhile, which leave the
    // DC blocker so; one that waits now finds it the same.
    void silenceMemories();

    // Rate preparation with the engine held (RatePreparation.cpp): takes
    // the host's rate when it lies within 11050..196000 Hz and prepares
    // lines, effects and derived values for it.
    void prepareSampleRate(float rate);
    // After a host tempo change: allocates nothing.  Audio side.
    bool changeTempo(double bpm);

    // The running state: what processing changes from block to block (the
    // render frame, the sequencer, the event queue, the MIDI output, the
    // voices and what they were handed, the audio context's notes, clock and
    // noise), the derived values and every raw value of the inbox, as a copy
    // to be put back later (RunningState.cpp).  The delay lines and effect
    // memories of the tracked-buffer list are not copied: every state load
    // clears them, so the copy is taken only while they are clear, as a
    // suspend or a state load leaves them (null otherwise), and is put back
    // right after a state load, with nothing waiting in the inbox.  A harness
    // that reuses one instance between inputs takes it when the instance is
    // new.  The audio side (a holder, or the only thread); restoring
    // allocates nothing.
    struct RunningState;
    std::shared_ptr<const RunningState> saveRunningState() const;
    void restoreRunningState(const RunningState& saved);

    // Read access for the front, the editor's export and tests.  Any thread
    // for the constants; the audio side (or a holder, or a test with no
    // audio running) for the rest.
    const EngineState& state() const { return engine; }
    EngineState& state() { return engine; }
    const RenderState& renderState() const { return render; }
    RenderState& renderState() { return render; }
    const SequencerRuntime& sequencerState() const { return sequencer; }
    EffectChain& effects() { return chain; }
    const VoiceChain& voiceChain() const { return voices; }
    DisplayPublisher& indicators() { return display; }
    MidiEventQueue& eventQueue() { return queue; }
    const MidiOutput& midiOutput() const { return midiOut; }
    const EngineRateConstants& rateConstants() const { return preparation.engine(); }
    const OnePoleLowPass& lowPass() const { return preparation.lowPass(); }
    int32_t silenceWindow() const { return silenceWindowSamples; }
    bool noSilentOptimisation() const { return noSilentOpt; }
    // The raw value of an index as the engine last took it.
    float takenValue(int32_t index) const;
    // Blocks rendered so far: the front's idle tells from it whether the
    // audio thread runs.  Any thread.
    uint32_t blocksRendered() const { return renderedBlocks.load(std::memory_order_relaxed); }

private:
    void checkThread() const;

    // The parameter frame (EngineParameters.cpp): apply derives one value
    // the way the index asks; send also publishes it for host and editor
    // (the engine's own changes), unless a newer store of the index waits
    // to be taken; reapply derives the taken value again.
    void apply(int32_t index, float value);
    void send(int32_t index, float value);
    void reapply(int32_t index);
    void takeOne(int32_t index, float value, bool pressedSince);

    // Host parameters 0 to 94 (HostParameters.cpp, SequencerParameters.cpp).
    void applyHostParameter(int32_t index, float v);
    void applyLayerParameter(int layer, int32_t slot, float v);
    void applyFilterParameter(int32_t index, float v);
    void applyEffectParameter(int32_t index, float v);
    void applySequencerParameter(int32_t index, float v);
    void applyDelayMixes();
    void giveMix(BWEffect& effect, int slot, float mix);
    void applyChordSelection(int32_t index);
    void applyStepTiming(bool fromClockDivide);
    void applyPatternKey(float v);
    void applyPitchOffsets();

    // Pattern edits 204 to 306 (PatternEditParameters.cpp).
    void applyPatternEdit(int32_t index, float v);
    bool applyStepper(int32_t index, float v);
    bool applyRangeEdit(int32_t index, float v);
    void runRangeEdit(int32_t index);
    void runPatternWideEdits();
    void runPatternWideEdit(int check);
    void fillTablePage(int32_t index, float& memory, BWTableXY& table, float pageValue, std::span<const float> values);
    void fillEventTable();
    void fillGateTable();
    void applyRunSwitch(float v);
    void passRetrigger();
    void updateLayerGains();
    void applyClockSource(float v);
    void applyAssignSwitch(int layer, float v);
    // The range a lane edit acts on: the render routine's loop zone, limited
    // to the steps that exist; false when start lies beyond end.
    bool loopRange(uint64_t steps, uint64_t& from, uint64_t& to) const;

    // Interface indices 307 to 389 (InterfaceParameters.cpp).
    void applyInterfaceParameter(int32_t index, float v);
    void applyEffectSwitch(int32_t index, float v);
    void applyChordListPage(float v);
    void applyChordListRotation(float v);
    void rotateChordList(int32_t k);
    void applyFactoryPatterns(float v);
    void applySoundSwitch(int layer, float v);
    void applyPatternOctave();
    void applyPageSwitch(int32_t index, float v);
    void applyFilterType(float v);
    void applyModulationTrackArea(float v);
    void enterStepIntoLine(int32_t index, float v);
    void enterStepIntoTable(int32_t index, float v);

    // The render frame (BlockRender.cpp).
    void readTransport(int32_t frames);
    void startTransport();
    void stopTransport();
    void runTick(float** outputs, int32_t at);
    void flushSubBlock(float** outputs, int32_t end);
    void mixInto(float* outLeft, float* outRight, const float* left, const float* right, const float* kick,
                 int32_t n, int32_t first) const;
    void applyTempoChange();
    bool isIdle() const;
    void idleTick();
    void clockTick();
    void followKickGain(float wanted);
    void controlTick(int32_t at);
    void beatClock();
    void advanceSongPosition(int32_t n);
    void endBlock(float** outputs, int32_t frames);
    void restSilent(float* left, float* right, int32_t n);
    void finishOutputs(float* left, float* right, int32_t n, int32_t first);
    void sendMidiOut();
    void testSilence(const float* left, const float* right, int32_t n, int32_t first);
    void fadeBypass(float** outputs, int32_t frames);
    void silenceBlock(float** outputs, int32_t frames);
    void clearSilentState();
    void setSilenceWindow(int32_t samples);

    // MIDI (MidiIntake.cpp, MidiEventHandler.cpp).
    void queueRequestedAllNotesOff();
    void noteOn(int32_t note, int32_t velocity);
    void noteOff(int32_t note);
    void allNotesOff();
    void controllerEvent(int32_t number, int32_t value);
    void pressureEvent(int32_t value);
    void learnInto(std::vector<LearnEntry>& list, bool count);
    void applyLearned(const std::vector<LearnEntry>& list, float value);
    void refreshRunState();

    // The sequencer (Sequencer.cpp) and the step lanes (StepLanes.cpp).
    void sequencerTick();
    void sequencerClock();
    void runClocks();
    void swingAndLoop();
    void selectPattern();
    void followChordSequence();
    void stepRetriggers(float eventValue);
    void buildChord();
    void restartArpeggio(float arpValue);
    void walkArpeggio(float arpValue, float glideValue);
    void sortActiveNotes();
    void walkArpeggioAlong(float arpValue, float glideValue, float pulse);
    void triggerValue();
    void fillPairs(float arpValue);
    void layerTrigger(int layer, float octaveValue, float tieValue);
    void noteOutput(int layer, int32_t offset);
    // Their work, when something they take moved; kept out of line, so that
    // a tick that passes them over pays for the checks alone.
    [[gnu::noinline]] void settleTrigger(int layer, float octaveValue, float tieValue);
    [[gnu::noinline]] void sendNoteChanges(int layer, int32_t offset);
    // Sends the rows whose lane value moved.
    void stepLanes();
    // The step grid's value at the step, read again only once stale: five
    // calls a tick, inline where they are made.
    float stepLine(int grid) {
        if (patternReads.take(PatternReads::kStepLines)) readStepLines();
        return patternReads.stepLines[static_cast<size_t>(grid)];
    }
    void readStepLines();
    // The pattern models' edit counts now.
    PatternEditCounts patternEditCounts() const;

    // Where the sample voices plug in (VoiceSeam.cpp).
    void tickKick();
    void startVoices();
    void tickVoiceChain();
    // Reads the settings again when a value was applied since the last read.
    void refreshVoiceSettings();
    void readVoiceSettings();
    void renderVoices(int32_t from, int32_t n);
    VoiceChain::Handlers handlers();

    // SampleRateOwner (RatePreparation.cpp).
    void resizeDelayLines(const EngineRateConstants& constants) override;
    void reapplyParameter(int32_t index) override { reapply(index); }
    void refreshHeldNotes() override;
    void effectsPrepared(bool rateChanged) override;
    // Moved at every sorting of the held notes: the chord taken from the
    // keys is made again only when this moved.  Audio side only.
    uint32_t heldNoteSorts = 0;

    // The front's pieces.
    EngineHost& host;
    BWSystemInfo& context;
    PatternModels& models;
    Layers& layers;
    ParameterInbox& inbox;
    InterfaceRequests& requests;
    EngineHold& hold;
    ProgramLoader& loader;
    MidiLearnMap& learn;
    PatternEditLock& patternEdits;

    EngineState engine;
    RenderState render;
    SequencerRuntime sequencer;
    PatternReads patternReads;
    bool notesHanging = false;
    std::array<double, 2> beatTickBasis{-1.0, -1.0};  // samples a beat and a tick that beatsPerTick stands for
    double beatsPerTick = 0.0;
    std::array<int32_t, 5> laneSelections{-1, -1, -1, -1, -1};  // the rows the lanes drove at their last pass  // a note-on sent to the host waits for its note-off
    uint32_t holdsSeen = 0;  // the holds the engine knows of: a new one makes the reads stale
    EffectChain chain;
    // The three layers' voices, their chain and filter, the kick and the
    // compressor, with what each tick hands them.
    VoiceChain voices;
    VoiceChainSettings voiceSettings;
    // Every derived value the settings copy is written by apply(): set there,
    // by a restore and by a hold, cleared by the read.
    bool voiceSettingsStale = true;
    VoiceChainTick voiceTick;
    // The engine's delay lines, sized by the rate preparation.
    TrackedFloatBuffer longLine;
    int32_t longLinePosition = 0;
    std::array<TrackedFloatBuffer, 18> combLines;  // two single lines, two groups of eight
    SampleRatePreparation preparation;

    MidiEventQueue queue;
    MidiOutput midiOut;
    DisplayPublisher display;  // the interface's indicators, once a tick
    std::atomic<bool> allNotesOffPending{false};  // asked for by a load, queued by the audio thread
    std::atomic<bool> dcClearPending{false};      // asked for by a load, done by the audio thread
    bool renderStoodStill = false;  // a block was silent for a load or a hold since the last rendered one
    bool voicesLetGo = false;       // the voices hold no sample since the engine fell idle

    int32_t silenceWindowSamples = 44100;
    int32_t silenceCounter = 0;
    bool silenceTickQuiet = false;  // the tick's first sample lay below the threshold
    float silenceThreshold = 0.001f;
    bool noSilentOpt = false;
    std::atomic<uint32_t> renderedBlocks{0};
    ClipboardRequests clipboardPresses;
};
