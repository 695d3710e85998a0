#pragma once
// The plug-in object: one per plug-in instance, owning everything the
// instance is made of (bindings, engine state, pattern models, sound layers,
// effects, audio context) by value, so that the audio thread reaches them
// without indirection and nothing is allocated for them while it runs.
//
// setParameter is the one road by which values reach the engine.  It runs on
// the GUI thread (editor, host automation, presets, randomiser), on the audio
// thread (step lanes, learned controllers, the re-apply pass after a tempo
// change) and on the program loader; it takes no lock, allocates nothing and
// never calls the editor (InterfaceRequests carries what the editor must do).
//
// MIDI intake, the program loader, the state chunk, preset files and
// programs are the instance's operations too (MidiIntake.cpp,
// StateWriter.cpp, StateReader.cpp, PresetFiles.cpp, CoreOperations.cpp).
//
// The render routine is an operation of the instance too (BlockRender.cpp,
// MidiEventHandler.cpp, Sequencer.cpp, StepLanes.cpp); the sample voices
// plug into it at VoiceSeam.cpp.

#include <array>
#include <atomic>
#include <memory>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/SampleRatePreparation.h"
#include "core/StateResetList.h"
#include "core/TrackedFloatBuffer.h"
#include "engine/BWRomplerHandler.h"
#include "engine/VoiceChain.h"
#include "persistence/BWChunk.h"
#include "persistence/BWUndoClient.h"
#include "persistence/BWUndoManager.h"
#include "persistence/PresetLibrary.h"
#include "plugin/BWPluginBase.h"
#include "plugin/DisplayBlock.h"
#include "plugin/EffectChain.h"
#include "plugin/EngineHold.h"
#include "plugin/EngineState.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/MidiEventQueue.h"
#include "plugin/MidiLearnMap.h"
#include "plugin/MidiOutput.h"
#include "plugin/ProgramLoader.h"
#include "plugin/ParamBinding.h"
#include "plugin/PatternModels.h"
#include "plugin/PresetCategory.h"
#include "plugin/RenderState.h"
#include "plugin/SequencerRuntime.h"

class EditorHooks;
struct StateBody;

class alignas(32) BWUniClient : public BWPluginBase, public BWUndoClient, private SampleRateOwner {
public:
    static constexpr int32_t kPrograms = 128;
    static constexpr int32_t kParameters = kHostParameterCount;
    static constexpr const char* kProductName = "Zorvane";
    static constexpr const char* kStandaloneHost = "Brindlewick Standalone";
    static constexpr int32_t kLoaderIdle = 3;
    static constexpr int32_t kLoaderStop = 6;
    static constexpr int32_t kVendorVersion = 1059;
    static constexpr const char* kVendorName = "Brindlewick";
    static constexpr const char* kPresetExtension = "zvp";
    // The buffers of the text queries: program names as the program opcodes
    // allow them, parameter texts as the adapter passes them.
    static constexpr size_t kProgramNameBytes = 24;
    static constexpr size_t kParameterTextBytes = 64;
    // Kinds 0 to 2 and the kind whose presets carry only a name.
    static constexpr int32_t kNameKinds = 4;

    // Called with a preset file's chunk after it has been applied.
    using PresetFileCallback = void (*)(BWChunk* chunk, void* context);

    // Builds a complete, silent instance with every default applied and its
    // editor (when a factory is installed) made but not opened.  mode 1 is
    // what the host adapter passes.  Host/GUI thread.
    BWUniClient(audioMasterCallback hostCallback, int32_t mode, bool hostPrivate);
    // Stops the workers, writes the remembered bindings to the settings and
    // frees everything.  Host/GUI thread, with no audio call in progress.
    ~BWUniClient() override;

    // Any thread; see the header comment.  Values are limited to 0..1 (NaN
    // to 0); an index outside 0..389 is ignored.
    void setParameter(int32_t index, float value) override;
    // The bound value of a host parameter (0 for an index without one).
    float getParameter(int32_t index) override;
    void getParameterName(int32_t index, char* text) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

    // Parameter queries of the host parameters 0..86 (CoreOperations.cpp).
    // Host/GUI thread.  Texts are cut to kParameterTextBytes.
    void getParameterLabel(int32_t index, char* text) override;
    void getParameterDisplay(int32_t index, char* text) override;
    bool getParameterProperties(int32_t index, VstParameterProperties* properties) override;
    void setParameterAutomated(int32_t index, float value) override;
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;

    // Lifecycle.  resume: host thread, or the audio thread when the adapter
    // meets a longer buffer; suspend: host thread.
    void resume() override;
    void suspend() override;

    // Identity and capabilities.  Any thread but the audio thread.
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    int32_t getVendorVersion() override { return kVendorVersion; }
    int32_t getNumMidiInputChannels() override { return 1; }
    int32_t getNumMidiOutputChannels() override { return 16; }
    int32_t getPlugCategory() override { return 2; }
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
    int32_t canDo(const char* text) override;

    // Editor hooks: one step back or forward in the undo history.  GUI thread.
    void undo() override { undoManager.undo(); }
    void redo() override { undoManager.redo(); }
    // The other hooks go to the editor's EditorHooks, with neutral answers
    // when the editor has none.  GUI thread.
    void openHookMenu() override;
    void openManual() override;
    void hook5() override;
    bool isKeyInputBlocked() override;

    // MIDI intake (MidiIntake.cpp).  Audio thread, like processReplacing;
    // answers 1.  Program changes go to the program loader, everything else
    // into the queue.
    int32_t processEvents(VstEvents* events) override;
    // Audio thread only (the queue has no lock).
    void queueEvent(const MidiEventRecord& record);
    // The all-notes-off a load asked for, into the queue.  Audio thread: the
    // first thing of the next processEvents or rendered block, whichever
    // comes first, so that it acts with or without host MIDI.
    void queueRequestedAllNotesOff();
    // Removes the MIDI-learn assignments of a tag (of one sub-index when it
    // is 0 or more) with the engine held; with waitOnly only waits for the
    // audio thread.  False when it stayed busy for 500 ms: nothing changed.
    // GUI thread.
    bool editLockedTry(int32_t tag, int32_t subIndex, bool waitOnly);

    // Programs: the presets of the library's current bank (PresetFiles.cpp).
    // Host/GUI thread.
    void setProgram(int32_t program) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    void getProgramNames(std::vector<std::string>& names) override;
    std::string getCurrentProgramName() override;
    bool lookupLibraryEntry(int32_t* bank, int32_t* index) override;
    void reloadPresetLibrary() override;

    // The state chunk (StateWriter.cpp, StateReader.cpp).  Host/GUI thread.
    // getChunk: the whole state; the bytes stay valid until the next call.
    int32_t getChunk(void** data, bool isPreset) override;
    // Applies the host's bytes (never reading beyond byteSize): 1 when the
    // state was applied, 0 when it was refused and nothing changed.
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    // Writes the state of a kind with its header, by the two-pass protocol.
    bool saveStateToChunk(BWChunk* chunk, int32_t kind, PresetInfo* info) override;
    void writeState(BWChunk* chunk, int32_t kind, PresetInfo* info) override;
    // Checks the whole chunk, then applies it; true when applied.  A refused
    // chunk changes nothing.  Host/GUI thread or the program loader.
    bool loadPresetFile(BWChunk* chunk, int32_t kind, bool force, bool quiet, bool noWait,
                        bool resolveFiles) override;
    bool loadPresetFileSimple(BWChunk* chunk, int32_t kind) override;

    // Preset files (PresetFiles.cpp).  Host/GUI thread.
    // Loads a preset file (asking for one when path is null); true when applied.
    bool loadPresetFromFile(const char* path, int32_t kind = 0, const char* extension = nullptr,
                            PresetFileCallback callback = nullptr, void* context = nullptr);
    // Saves the state of a kind (asking for the file when path is null),
    // through a temporary file; true when written.
    bool savePreset(const char* path, int32_t kind, const char* extension, const char* title, PresetInfo* info);
    bool loadRandomPreset();
    bool storePresetPath(const char* path, int32_t index);
    // Searches folder and its sub-folders (depth first, in listing order) for
    // fileName; a match becomes the preset path of the kind and result the
    // name of the folder holding it; result is empty when none matches.
    void findFileInTree(std::string& result, const std::string& folder, const std::string& fileName,
                        int32_t kind);

    // The preset consistency pass (ConsistencyPass.cpp): re-saves every
    // global preset, checks the sound presets, and writes "Consistency.txt"
    // with the missing and used files to the desktop.  GUI thread.
    void checkPresetConsistency();
    void checkPresetConsistency1();

    // What the editor and tests reach.
    BWUndoManager& getUndoManager() { return undoManager; }
    PresetLibrary* getPresetLibrary() { return presetLibrary.get(); }
    MidiLearnMap& learnMap() { return learn; }
    MidiEventQueue& getEventQueue() { return eventQueue; }
    EngineHold& engineHold() { return hold; }
    ProgramLoader& programLoader() { return loader; }
    bool isLoaderBusy() const { return loader.isBusy(); }
    void setOfflineExport(bool on) { offlineExport.store(on); }
    // The MIDI export drives processBlock itself: from begin to end the
    // host's process calls (events and audio) do nothing but output silence.
    // begin waits, at most tries milliseconds, for a process call under way
    // to end; false when it did not: then nothing changed.  GUI thread.
    bool beginOfflineExport(int32_t tries);
    void endOfflineExport();
    // One 16-sample tick of the render for the export: the tick starts at
    // once, whatever the phase the last call left.  Between begin and end.
    void renderExportTick();
    int32_t getCurrentBank() const { return currentBank; }
    std::string presetPath(int32_t kind) const;
    std::string bankName(int32_t kind) const;
    void setPresetName(int32_t kind, const std::string& name);

    // Moves every host parameter by its binding's random depth and applies
    // it (without telling the host).  GUI thread.
    void randomizeParameters();

    // The render routine (BlockRender.cpp): one host block into outputs[0]
    // and outputs[1].  Audio thread, or the MIDI export while it holds the
    // engine.
    void processBlock(float** outputs, int32_t frames);
    // Applies one queued MIDI event to the engine (MidiEventHandler.cpp).
    // Audio thread, from the render routine's ticks.
    void handleMidiEvent(const MidiEventRecord& event);
    // Learned assignments a controller list holds at most; learning into a
    // full list, or an assignment already there, changes nothing.
    static constexpr size_t kLearnCapacity = 32;
    const RenderState& renderState() const { return render; }
    RenderState& renderState() { return render; }
    const SequencerRuntime& sequencerState() const { return sequencer; }

    // The engine's running state: what processing changes from block to
    // block (the render frame, the sequencer, the event queue, the MIDI
    // output, the voices and what they were handed, the audio context's
    // notes, clock and noise) and the derived engine values, as a copy to be
    // put back later.  The delay lines and effect memories of the
    // tracked-buffer list are not copied: every state load clears them, so
    // the copy is taken only while they are clear, as a suspend or a state
    // load leaves them (null otherwise), and is put back right after a state
    // load.  A harness that reuses one instance
    // between inputs takes it when the instance is new.  Host/GUI thread,
    // with no audio call in progress; restoring allocates nothing.
    struct RunningState;
    std::shared_ptr<const RunningState> saveRunningState() const;
    void restoreRunningState(const RunningState& saved);

    // Rate preparation.  Host thread.
    void setSampleRate(float rate) override;
    void prepareSampleRate();
    // After a host tempo change: allocates nothing and clears nothing but the
    // engine's comb lines.  Audio thread.
    bool changeTempo(double bpm);

    // Decides when the content folders are written again and reads the two
    // stored options.  Host/GUI thread.
    void setupPaths(std::string_view productName, bool writeLibraryPaths, bool flag) override;

    BWSystemInfo* getSystemInfo() override { return &context; }
    bool isPageVisible(int32_t page) override { return requests.pages.isShown(page); }
    // Tells the host that a page of the interface was shown or hidden.  GUI
    // thread.
    void reportPageVisibility(int32_t page, bool visible);
    // The pointer readings of the mouse areas 78, 365 and 366 that the
    // parameter of the same tag combines with its value (365 also takes y).
    // GUI thread, before the parameter is set.
    void takeMouseAreaReadings(int32_t tag, float x, float y);

    // Read access for the render routine, the editor and tests.  Any thread.
    const EngineState& state() const { return engine; }
    EngineState& state() { return engine; }
    InterfaceRequests& interfaceRequests() { return requests; }
    DisplayBlock& displayBlock() { return display; }
    PatternModels& patterns() { return models; }
    EffectChain& effects() { return chain; }
    BWRomplerHandler& soundLayer(int layer) { return layers[layer]; }
    const VoiceChain& voiceChain() const { return voices; }
    const EngineRateConstants& rateConstants() const { return preparation.engine(); }
    const OnePoleLowPass& lowPass() const { return preparation.lowPass(); }
    float rawValue(int32_t index) const;

    ParamBinding* hostBinding(int32_t tag) const;
    std::span<ParamBinding* const> allBindings() const { return bindingList; }
    std::span<ParamBinding* const> presetMembers(int32_t kind) const;
    const std::vector<PresetCategory>& presetCategories() const { return categories; }
    std::string presetName(int32_t kind) const;
    int32_t silenceWindow() const { return silenceWindowSamples; }
    bool noSilentOptimisation() const { return noSilentOpt; }
    bool allNotesOffAfterLoad() const { return allNotesOffOnLoad; }
    float ignoreProgramChangeOption() const { return ignoreProgramChange; }
    const std::string& presetFolder() const { return defaultPresetFolder; }
    const std::string& defaultPresetPath() const { return defaultPresetFile; }
    bool wantsDefaultPreset() const { return defaultPresetWanted; }
    int32_t getMode() const { return mode; }

private:
    // Construction steps (BWUniClient.cpp).
    void setSilenceWindow(int32_t samples);
    void configureEffectRecord();
    void prepareTickConstants();
    void createEditor(bool hostPrivate);
    EditorHooks* editorHooks() const;
    void settleTempoConstants();
    void locateDefaultPreset();

    // Parameter set-up (InitParameters.cpp).
    void initParameters();
    void registerBindings();
    void bindValuesAndObjects();
    void applyFactoryDefaults();
    void fillFactoryPages();
    void configureStepLinesAndZones();
    void sizeWorkingBuffers();
    void configurePhaser();

    // Parameter application.
    void applyHostParameter(int32_t index, float v);          // 0 .. 94
    void applyLayerParameter(int layer, int32_t slot, float v);
    void applyFilterParameter(int32_t index, float v);
    void applyEffectParameter(int32_t index, float v);
    void applySequencerParameter(int32_t index, float v);
    void applyPatternEdit(int32_t index, float v);            // 204 .. 306
    void applyInterfaceParameter(int32_t index, float v);     // 307 .. 389
    bool applyStepper(int32_t index, float v);
    bool applyRangeEdit(int32_t index, float v);
    void runRangeEdit(int32_t index);
    void runPatternWideEdits();
    void fillTablePage(int32_t index, float& memory, BWTableXY& table, float pageValue,
                       std::span<const float> values);
    void fillEventTable();
    void fillGateTable();
    void applyRunSwitch(float v);
    void applyClockSource(float v);
    void applyAssignSwitch(int layer, float v);
    void applyEffectSwitch(int32_t index, float v);
    void applyDelayMixes();
    void giveMix(BWEffect& effect, int slot, float mix);
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
    void updateLayerGains();
    void applyChordSelection(int32_t index);
    void applyStepTiming(bool fromClockDivide);
    void applyPatternKey(float v);
    void applyPitchOffsets();
    // The range a lane edit acts on: the render routine's loop zone, limited
    // to the steps that exist; false when start lies beyond end.
    bool loopRange(uint64_t steps, uint64_t& from, uint64_t& to) const;

    void takeHostEvents(VstEvents* events);

    // State reading (StateReader.cpp).
    struct LoadRequest {
        int32_t kind;
        bool force;
        bool quiet;
        bool noWait;
        bool resolveFiles;
        bool dialogs;  // false for the host's setChunk and the loader: no box ever
    };
    bool applyState(BWChunk& chunk, const LoadRequest& request);
    bool applyChecked(BWChunk& chunk, const StateBody& body, const LoadRequest& request);
    bool objectsAccept(BWChunk& chunk, const StateBody& body, int32_t kind);
    bool applyBindings(BWChunk& chunk, const StateBody& body, const LoadRequest& request);
    void applyObject(BWChunk& chunk, ParamBinding& binding, const LoadRequest& request, bool skipOnly);
    void applyLearnMap(const StateBody& body, bool replace);
    void applyNames(const StateBody& body, const LoadRequest& request);
    void applyTail(const StateBody& body, const LoadRequest& request);
    void afterLoad(const LoadRequest& request);
    void passRetrigger();
    void refuseLoad(int32_t refusal, const LoadRequest& request);
    void searchMissingSample(BWChunkableClass* object, const LoadRequest& request);
    // The program loader's load function.  Loader thread.
    void loadProgram(int32_t program);
    ParamBinding* findMember(std::span<ParamBinding* const> members, size_t& cursor, int32_t id) const;

    // The render frame (BlockRender.cpp).
    void readTransport(int32_t frames);
    void startTransport();
    void stopTransport();
    void runTick(float** outputs, int32_t at);
    void flushSubBlock(float** outputs, int32_t end);
    void applyTempoChange();
    void controlTick(int32_t at);
    void beatClock();
    void advanceSongPosition(int32_t n);
    void endBlock(float** outputs, int32_t frames);
    void applyMasterGain(float** outputs, int32_t frames);
    void measurePeaks(float** outputs, int32_t frames);
    void blockDc(float** outputs, int32_t frames);
    void sendMidiOut();
    void testSilence(float** outputs, int32_t frames);
    void fadeBypass(float** outputs, int32_t frames);
    void silenceBlock(float** outputs, int32_t frames);
    void clearSilentState();

    // MIDI event application (MidiEventHandler.cpp).
    void noteOn(int32_t note, int32_t velocity);
    void noteOff(int32_t note);
    void allNotesOff();
    void controllerEvent(int32_t number, int32_t value);
    void pressureEvent(int32_t value);
    void learnInto(std::vector<LearnEntry>& list, bool count);
    void applyLearned(const std::vector<LearnEntry>& list, float value);

    // The sequencer (Sequencer.cpp) and the step lanes (StepLanes.cpp).
    void sequencerTick();
    void runClocks();
    void swingAndLoop();
    void selectPattern();
    void followChordSequence();
    void stepRetriggers(float eventValue);
    void buildChord();
    void restartArpeggio(float arpValue);
    void walkArpeggio(float arpValue, float glideValue);
    void triggerValue();
    void fillPairs(float arpValue);
    void layerTrigger(int layer, float octaveValue, float tieValue);
    void noteOutput(int layer, int32_t offset);
    void stepLanes();
    float stepLine(int grid) const;

    // Where the sample voices plug in (VoiceSeam.cpp).
    void tickKick();
    void startVoices();
    void tickVoiceChain();
    void readVoiceSettings();
    void renderVoices(int32_t from, int32_t n);

    // SampleRateOwner.
    void resizeDelayLines(const EngineRateConstants& constants) override;
    void reapplyParameter(int32_t index) override;
    void refreshHeldNotes() override;
    void effectsPrepared(bool rateChanged) override;
    void refreshRunState();

    // Parameter registries.
    std::vector<ParamBinding*> bindingList;
    std::array<std::vector<ParamBinding*>, kPresetKindCount> kindMembers;
    std::array<ParamBinding*, kHostParameterCount> hostTable{};
    std::vector<ParamBinding*> optionBindings;
    // Per preset kind: the name, file and bank of its last preset.  The
    // program loader writes them too, hence the lock (never on the audio
    // thread).
    mutable std::mutex namesLock;
    std::array<std::string, kNameKinds> presetNames;
    std::array<std::string, kNameKinds> presetPaths;
    std::array<std::string, kNameKinds> bankNames;

    MidiLearnMap learn;

    MidiEventQueue eventQueue;

    // Audio-context registries, the undo history, the context and the work
    // chunks.
    StateResetList trackedBuffers;
    PointerList listeners;
    BWUndoManager undoManager;
    BWSystemInfo context;
    BWChunk workChunk;
    BWChunk workChunk2;
    BWChunk stateChunk;  // what getChunk handed the host

    EngineState engine;
    std::vector<ParamBinding> bindings;  // construction order; never reallocated
    PatternModels models;
    std::array<BWRomplerHandler, kSoundLayers> layers;
    EffectChain chain;
    // The three layers' voices, their chain and filter, the kick and the
    // compressor, with what each tick hands them.
    VoiceChain voices;
    VoiceChainSettings voiceSettings;
    VoiceChainTick voiceTick;

    // The engine's delay lines, sized by the rate preparation.
    TrackedFloatBuffer longLine;
    int32_t longLinePosition = 0;
    std::array<TrackedFloatBuffer, 18> combLines;  // two single lines, two groups of eight

    std::unique_ptr<PresetLibrary> presetLibrary;
    std::vector<PresetCategory> categories;
    int32_t currentBank = 0;
    EngineHold hold;
    // Between the host's process calls and the MIDI export (which renders on
    // the GUI thread): the same handshake as the engine hold.
    EngineHold processCalls;
    std::atomic<bool> loading{false};        // the reader is not re-entered
    std::atomic<bool> offlineExport{false};  // the MIDI export drives the engine
    std::atomic<bool> allNotesOffPending{false};  // asked for by a load, queued by the audio thread
    std::string locatedSampleFolder;         // where the user found a missing sample
    ProgramLoader loader;
    std::atomic<int32_t> loaderState{kLoaderIdle};
    float ignoreProgramChange = 1.0f;
    float ccMapRecallIsolate = 0.0f;

    int32_t silenceWindowSamples = 44100;
    int32_t silenceCounter = 0;
    float silenceThreshold = 0.001f;
    bool noSilentOpt = false;
    bool allNotesOffOnLoad = false;
    int32_t mode;
    bool modeIsOne;
    std::string hostProduct;
    std::string defaultPresetFolder;
    std::string defaultPresetFile;
    bool defaultPresetWanted = false;

    InterfaceRequests requests;
    DisplayBlock display;
    SampleRatePreparation preparation;

    RenderState render;
    SequencerRuntime sequencer;
    MidiOutput midiOut;
};
