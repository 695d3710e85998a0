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
// Not yet present here (their issues add them): the MIDI-learn map, event
// intake and program loader, the state writer and preset reader (the undo
// manager gets its client with them, the library its first scan), the render
// routine with its MIDI output buffer, the sample voices.

#include <array>
#include <atomic>
#include <memory>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/SampleRatePreparation.h"
#include "core/StateResetList.h"
#include "core/TrackedFloatBuffer.h"
#include "engine/BWRomplerHandler.h"
#include "persistence/BWChunk.h"
#include "persistence/BWUndoManager.h"
#include "persistence/PresetLibrary.h"
#include "plugin/BWPluginBase.h"
#include "plugin/EffectChain.h"
#include "plugin/EngineState.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/MidiEventQueue.h"
#include "plugin/ParamBinding.h"
#include "plugin/PatternModels.h"
#include "plugin/PresetCategory.h"

class alignas(32) BWUniClient : public BWPluginBase, private SampleRateOwner {
public:
    static constexpr int32_t kPrograms = 128;
    static constexpr int32_t kParameters = kHostParameterCount;
    static constexpr const char* kProductName = "Zorvane";
    static constexpr const char* kStandaloneHost = "Brindlewick Standalone";
    static constexpr int32_t kLoaderIdle = 3;
    static constexpr int32_t kLoaderStop = 6;

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

    // Moves every host parameter by its binding's random depth and applies
    // it (without telling the host).  GUI thread.
    void randomizeParameters();

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

    // Read access for the render routine, the editor and tests.  Any thread.
    const EngineState& state() const { return engine; }
    EngineState& state() { return engine; }
    InterfaceRequests& interfaceRequests() { return requests; }
    PatternModels& patterns() { return models; }
    EffectChain& effects() { return chain; }
    BWRomplerHandler& soundLayer(int layer) { return layers[layer]; }
    const EngineRateConstants& rateConstants() const { return preparation.engine(); }
    const OnePoleLowPass& lowPass() const { return preparation.lowPass(); }
    float rawValue(int32_t index) const;

    ParamBinding* hostBinding(int32_t tag) const;
    std::span<ParamBinding* const> allBindings() const { return bindingList; }
    std::span<ParamBinding* const> presetMembers(int32_t kind) const;
    const std::vector<PresetCategory>& presetCategories() const { return categories; }
    const std::string& presetName(int32_t kind) const { return presetNames[kind & 3]; }
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
    void applyCompressorSpeed();
    void updateFilterPositions();
    void updateFilterBanks(bool bankA, bool bankE);
    void updateFilterResonance(float v);
    FilterBankContext filterContext() const;
    // The range a lane edit acts on: the render routine's loop zone, limited
    // to the steps that exist; false when start lies beyond end.
    bool loopRange(uint64_t steps, uint64_t& from, uint64_t& to) const;

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
    std::array<std::string, 4> presetNames;

    MidiEventQueue eventQueue;

    // Audio-context registries, the undo history, the context and the work
    // chunks.
    StateResetList trackedBuffers;
    PointerList listeners;
    BWUndoManager undoManager;
    BWSystemInfo context;
    BWChunk workChunk;
    BWChunk workChunk2;

    EngineState engine;
    std::vector<ParamBinding> bindings;  // construction order; never reallocated
    PatternModels models;
    std::array<BWRomplerHandler, kSoundLayers> layers;
    EffectChain chain;

    // The engine's delay lines, sized by the rate preparation.
    TrackedFloatBuffer longLine;
    int32_t longLinePosition = 0;
    std::array<TrackedFloatBuffer, 18> combLines;  // two single lines, two groups of eight

    std::unique_ptr<PresetLibrary> presetLibrary;
    std::vector<PresetCategory> categories;
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
    SampleRatePreparation preparation;
};
