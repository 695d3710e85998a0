#pragma once
// The plug-in object: one per plug-in instance, and its host-side front.  It
// holds what the instance is made of on the host side (bindings, raw
// parameter values, pattern models, sound layers, presets, undo, the
// editor's requests) by value, and the audio side, the Engine, which owns
// everything the render reads and writes.
//
// setParameter only stores: the raw value into the ParameterInbox (a relaxed
// atomic per index) and the index's changed bit.  The engine takes the
// changed indices at the top of each tick, in index order, and derives every
// engine value there; what the engine sets itself (step lanes, learned
// controllers, the chord sequence) it publishes back into the inbox, so that
// getParameter and the saved state hold the value a parameter really has.
// What the editor must learn of (page bits, refreshes, dirty views) stays a
// recorded request (InterfaceRequests), served at its idle.
//
// The state has one writer at a time, by the rule of core/StateTurn.h:
// loads (host state on any host thread, presets, programs, undo) and saves
// take the instance's turn, which the editor holds through each of the
// host's view timer calls, and a load holds the engine while it applies, so
// neither the render, nor a save, nor the editor ever reads what a load
// writes, and the engine derives the loaded values on the loading thread
// while nobody else may touch it.  The editor lends the turn while it waits
// on a person; the MIDI export parks it, and the host's state calls are
// answered from ParkedState meanwhile.
//
// Each operation states its thread in one line; debug builds assert the
// rules (the audio side's in Engine, the host side's here: never from inside
// the render).  The operations of state and presets live in StateReader.cpp,
// StateWriter.cpp and PresetFiles.cpp, the queries in CoreOperations.cpp,
// MIDI intake in MidiIntake.cpp, the parameter set-up in InitParameters.cpp.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/StateTurn.h"
#include "core/StateResetList.h"
#include "engine/BWRomplerHandler.h"
#include "persistence/BWChunk.h"
#include "persistence/BWUndoClient.h"
#include "persistence/BWUndoManager.h"
#include "persistence/PresetLibrary.h"
#include "platform/ModalWait.h"
#include "plugin/BWPluginBase.h"
#include "plugin/DisplayBlock.h"
#include "plugin/Engine.h"
#include "plugin/EngineHold.h"
#include "plugin/EngineHost.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/MidiLearnMap.h"
#include "plugin/ParamBinding.h"
#include "plugin/ParameterInbox.h"
#include "plugin/ParkedState.h"
#include "plugin/PendingNotices.h"
#include "plugin/PatternEditLock.h"
#include "plugin/PatternModels.h"
#include "plugin/PresetCategory.h"
#include "plugin/ProgramLoader.h"

class EditorHooks;
struct StateBody;

class alignas(32) BWUniClient : public BWPluginBase, public BWUndoClient, private EngineHost {
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
    // How long a save waits for a load under way before it gives up, and a
    // load for a save.
    static constexpr int32_t kStateWaitMs = 5000;
    // setChunk's answer for a state it could not apply because the instance
    // stayed busy (nothing changed); 0 is a state refused as not ours.
    static constexpr int32_t kChunkBusy = -1;
    // How long a save waits for the audio thread to take what was just set.
    static constexpr int32_t kSettleWaitMs = 50;
    // How long the editor waits for its turn before it leaves the timer
    // call's input and drawing for the next one.
    static constexpr int32_t kGuiTurnWaitMs = 5;

    // Called with a preset file's chunk after it has been applied.
    using PresetFileCallback = void (*)(BWChunk* chunk, void* context);

    // Builds a complete, silent instance with every default applied and its
    // editor (when a factory is installed) made but not opened.  mode 1 is
    // what the host adapter passes.  Host/GUI thread.
    BWUniClient(audioMasterCallback hostCallback, int32_t mode, bool hostPrivate);
    // Stops the workers, writes the remembered bindings to the settings and
    // frees everything.  Host/GUI thread, with no audio call in progress.
    ~BWUniClient() override;

    // Parameters.  setParameter: any thread but the render's; stores the raw
    // value (limited to 0..1, NaN to 0) for the engine's next tick; an index
    // outside 0..389, or in 95..203, is ignored.  The edit of a clipboard
    // button (plugin/ClipboardRequests.h) it runs itself, in the instance's
    // turn (waited for as a save waits).
    void setParameter(int32_t index, float value) override;
    // The bound value of a host parameter (0 for an index without one).  Any thread.
    float getParameter(int32_t index) override;
    // The raw value of any index as stored (what presets save).  Any thread.
    float rawValue(int32_t index) const;
    void getParameterName(int32_t index, char* text) override;  // any thread
    // Lets the engine derive what the inbox holds now, with the engine held
    // (bounded): false when the audio thread stayed busy.  Host/GUI thread.
    bool deriveNow();
    // The host side's idle: tells the person what the host's calls met since
    // the last idle (tellPendingNotices), runs the clipboard buttons' edits
    // that wait (pressed by a learned controller), and when the audio thread
    // has not rendered since the last idle (the host stopped processing),
    // derives what waits, so that edits reach the engine and the editor's
    // pages follow.  GUI thread.
    void idle();
    // What the host's state calls and program changes met that the person
    // must hear of, told now, between the host's calls, holding nothing: the
    // notices in boxes (to standard error without a display), then the
    // question about each sample a restore could not find, asked in the
    // instance's turn (lent while the person decides) while that restore's
    // state stands.  GUI thread.
    void tellPendingNotices();

    // Audio.  processReplacing: audio thread.  processBlock: the render
    // routine itself, for the editor's MIDI export (Engine::processBlock).
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processBlock(float** outputs, int32_t frames) { engine.processBlock(outputs, frames); }

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
    // Takes the host's rate and prepares the engine for it, with the engine
    // held.  Host thread.
    void setSampleRate(float rate) override;

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
    // into the queue (nothing while the MIDI export drives the engine).
    int32_t processEvents(VstEvents* events) override;
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

    // The state chunk (StateWriter.cpp, StateReader.cpp).  Host/GUI thread,
    // one call at a time (the adapter's chunk lock).  Like every host call
    // on the state, and the program loader's loads, they ask nobody
    // anything: what they would tell the person waits for the GUI thread's
    // idle (tellPendingNotices).
    // getChunk: the whole state; the bytes stay valid until the next call;
    // while the MIDI export keeps the state, the state it began with or the
    // one the host restored since; 0 (no bytes) when a load kept the state
    // for longer than kStateWaitMs.
    int32_t getChunk(void** data, bool isPreset) override;
    // Applies the host's bytes (never reading beyond byteSize): 1 when the
    // state was applied (while the MIDI export keeps the state: checked and
    // kept for its end), 0 when it was refused as not a state of ours,
    // kChunkBusy when the instance stayed busy.  Refused: nothing changed.
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    // Writes the state of a kind with its header, by the two-pass protocol;
    // false when a load kept the state too long.
    bool saveStateToChunk(BWChunk* chunk, int32_t kind, PresetInfo* info) override;
    void writeState(BWChunk* chunk, int32_t kind, PresetInfo* info) override;
    // Checks the whole chunk, then applies it; true when applied.  A refused
    // chunk changes nothing.  Host/GUI thread or the program loader.
    bool loadPresetFile(BWChunk* chunk, int32_t kind, bool force, bool quiet, bool noWait,
                        bool resolveFiles) override;
    bool loadPresetFileSimple(BWChunk* chunk, int32_t kind) override;

    // Preset files (PresetFiles.cpp).  Host/GUI thread.
    // Loads a preset file (asking for one when path is null); true when
    // applied.  A file that is not applied (missing, unreadable, empty, cut
    // short or of another format, from a newer version, refused, or met by
    // a program change still loading) is named in a box that says why; a
    // cancelled choice is no failure.
    bool loadPresetFromFile(const char* path, int32_t kind = 0, const char* extension = nullptr,
                            PresetFileCallback callback = nullptr, void* context = nullptr);
    // A preset of a kind handed over as bytes (a host's global, sound or
    // sequence preset), applied as the preset menus apply a file of that
    // kind; the name becomes the kind's preset name.  Never reads beyond
    // byteSize; 1 when applied; 0, with nothing changed and no box, for
    // bytes it refuses (of a newer version among them); kChunkBusy, nothing
    // changed, while a program change loads, the MIDI export keeps the
    // state or the instance stayed busy.
    int32_t loadPresetBytes(void* data, int32_t byteSize, int32_t kind, const std::string& name);
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

    // Moves every host parameter by its binding's random depth and stores
    // it (without telling the host).  GUI thread.
    void randomizeParameters();

    // Decides when the content folders are written again and reads the two
    // stored options.  Host/GUI thread.
    void setupPaths(std::string_view productName, bool writeLibraryPaths, bool flag) override;

    // What the editor and tests reach.  Any thread unless a line says otherwise.
    BWUndoManager& getUndoManager() { return undoManager; }
    PresetLibrary* getPresetLibrary() { return presetLibrary.get(); }
    MidiLearnMap& learnMap() { return learn; }
    EngineHold& engineHold() { return hold; }
    ProgramLoader& programLoader() { return loader; }
    bool isLoaderBusy() const { return loader.isBusy(); }
    // False while a block would be silent for a load (a program change, a
    // state) or a hold of the engine: an offline host waits for true.
    bool readyToRender() const { return !loader.isBusy() && !hold.isHeld(); }
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
    // The export keeps the state fixed from its first tick to its last
    // (core/StateTurn.h: the turn parked).  parkState, in the turn: saves the
    // state as it stands, which host saves get meanwhile, and parks the turn;
    // false when the save failed (nothing parked).  unparkState ends the park
    // and applies what the host asked for meanwhile (ParkedState.h), in the
    // turn still.  GUI thread.
    bool parkState();
    void unparkState();
    int32_t getCurrentBank() const { return currentBank; }
    std::string presetPath(int32_t kind) const;
    std::string bankName(int32_t kind) const;
    std::string presetName(int32_t kind) const;
    void setPresetName(int32_t kind, const std::string& name);
    BWSystemInfo* getSystemInfo() override { return &context; }
    bool isPageVisible(int32_t page) override { return requests.pages.isShown(page); }
    // Tells the host that a page of the interface was shown or hidden.  GUI
    // thread.
    void reportPageVisibility(int32_t page, bool visible);
    // The pointer readings of the mouse areas 78, 365 and 366 that the
    // parameter of the same tag combines with its value (365 also takes y).
    // GUI thread, before the parameter is set.
    void takeMouseAreaReadings(int32_t tag, float x, float y);
    InterfaceRequests& interfaceRequests() { return requests; }
    // The instance's turn (core/StateTurn.h) for the editor's work: waited
    // for kGuiTurnWaitMs at most, or kStateWaitMs for the view's open and
    // close, which must not be skipped; check owns_lock.  GUI thread.
    std::unique_lock<StateTurn> guiTurn(bool longWait = false);
    // The turn itself; any thread (tests hold it as a long restore would).
    StateTurn& stateTurn() { return turn; }
    DisplayBlock& displayBlock() { return display; }
    PatternModels& patterns() { return models; }
    BWRomplerHandler& soundLayer(int layer) { return layers[layer]; }
    ParameterInbox& parameterInbox() { return inbox; }
    // Where a parameter's stored value lives, for the interface's widgets to
    // follow with relaxed loads (loadShared): its inbox slot, an atomic float
    // laid out as the float itself.  Null outside the slots; the address
    // stays put for the object's life.  Any thread.
    float* parameterValue(int32_t index) {
        static_assert(sizeof(std::atomic<float>) == sizeof(float) && std::atomic<float>::is_always_lock_free);
        return index >= 0 && index < ParameterInbox::kSlots ? reinterpret_cast<float*>(&inbox.slot(index)) : nullptr;
    }
    // The audio side.  Its state for the editor's MIDI export (which drives
    // the render itself) and tests; the engine's own rules apply.
    Engine& audioEngine() { return engine; }
    const EngineState& state() const { return engine.state(); }
    EngineState& state() { return engine.state(); }
    RenderState& renderState() { return engine.renderState(); }

    ParamBinding* hostBinding(int32_t tag) const;
    std::span<ParamBinding* const> allBindings() const { return bindingList; }
    std::span<ParamBinding* const> presetMembers(int32_t kind) const;
    const std::vector<PresetCategory>& presetCategories() const { return categories; }
    bool allNotesOffAfterLoad() const { return allNotesOffOnLoad; }
    float ignoreProgramChangeOption() const { return ignoreProgramChange; }
    const std::string& presetFolder() const { return defaultPresetFolder; }
    const std::string& defaultPresetPath() const { return defaultPresetFile; }
    bool wantsDefaultPreset() const { return defaultPresetWanted; }
    int32_t getMode() const { return mode; }

private:
    // EngineHost: the engine's requests to the host.  Audio side.
    const VstTimeInfo* transport() override;
    void sendNotes(VstEvents* events) override;
    void runStateChanged(int32_t run) override;
    bool bypassed() const override { return isBypassed(); }

    // The turn, waited for kStateWaitMs at most (in 1 ms sleeps, as the
    // engine hold waits), and not at all while another thread keeps it
    // parked (then `parked` is set); check owns_lock.
    std::unique_lock<StateTurn> lockState(bool* parked = nullptr) { return turn.take(kStateWaitMs, parked); }
    // One host call on the state (or the instance's making), or a program
    // the loader applies (platform::HostCall): what it would tell the person
    // is kept in pendingNotices for the GUI thread.
    class HostCallScope {
    public:
        explicit HostCallScope(PendingNotices& pending) : pending(pending) {}
        ~HostCallScope() { pending.keepNotices(call.takeNotices()); }
        HostCallScope(const HostCallScope&) = delete;
        HostCallScope& operator=(const HostCallScope&) = delete;

    private:
        PendingNotices& pending;
        platform::HostCall call;
    };
    // A host call: `apply` in the turn, or, while another thread keeps the
    // turn parked, `answerParked` (true when it answered from parkedState).
    // False when neither could run: the turn stayed taken.
    bool inTurnOrParked(const std::function<bool()>& answerParked, const std::function<void()>& apply);
    // Audio thread: the program changes of the host's events, for the loader.
    void passProgramChanges(const VstEvents* list);
    // Before a save (and before a clipboard button's edit, from the first
    // interface index on): lets the engine take what waits in the inbox
    // from index `from` on (StateWriter.cpp).
    void settleParameters(int32_t from = 0);
    // A clipboard button pressed or let go, and its edit, on the calling
    // thread; false when the turn or the models could not be had in time.
    void pressClipboardButton(int32_t index, float v);
    bool runClipboardEdit(int32_t index, int32_t turnWaitMs);
    void runPostedClipboardEdits();
    // Before a save: the learn map as the save writes it, into savedLearn;
    // false when the audio thread stayed busy.
    bool copyLearnMap();

    // Construction steps (BWUniClient.cpp).
    void configureEffectRecord();
    void prepareTickConstants();
    void createEditor(bool hostPrivate);
    EditorHooks* editorHooks() const;
    void locateDefaultPreset();

    // Parameter set-up (InitParameters.cpp).
    void initParameters();
    void registerBindings();
    void bindValuesAndObjects();
    void applyFactoryDefaults();
    void fillFactoryPages();
    void configureStepLinesAndZones();

    // State reading (StateReader.cpp).
    struct LoadRequest {
        int32_t kind;
        bool force;
        bool quiet;
        bool noWait;
        bool resolveFiles;
        // false for the host's calls and the loader: no box on their thread;
        // the samples they miss are asked about at the GUI thread's idle.
        bool dialogs;
        const std::string* file;  // the preset file a refusal's box names, or null
    };
    // The roads a preset comes by: the preset menus (and the host's choice
    // of a program), the host's preset chunks, the program loader.
    enum class PresetRoad { Menus, HostChunk, ProgramChange };
    // How a preset of a kind is loaded, whichever road it comes by: one rule
    // for all of them (PresetFiles.cpp).
    static LoadRequest presetRequest(int32_t kind, PresetRoad road);
    static constexpr LoadRequest kHostRestore{.kind = 0, .force = true, .quiet = false, .noWait = false,
                                              .resolveFiles = true, .dialogs = false, .file = nullptr};
    // Parked: another thread keeps the turn parked; nothing was changed.
    enum class LoadOutcome { Applied, Refused, Busy, Parked };
    LoadOutcome applyState(BWChunk& chunk, const LoadRequest& request);
    // The whole chunk checked: every record parsed and every object's record
    // read in skip-only mode.  Changes nothing.
    int32_t checkState(BWChunk& chunk, int32_t kind, StateBody& body);
    // While the export keeps the state: the host's restore checked and kept
    // for its end; false when nothing is parked.
    bool keepRestore(BWChunk& chunk, const void* data, int32_t byteSize, LoadOutcome& outcome);
    bool applyChecked(BWChunk& chunk, const StateBody& body, const LoadRequest& request);
    bool objectsAccept(BWChunk& chunk, const StateBody& body, int32_t kind);
    bool applyBindings(BWChunk& chunk, const StateBody& body, const LoadRequest& request);
    void applyObject(BWChunk& chunk, ParamBinding& binding, const LoadRequest& request, bool skipOnly);
    void applyLearnMap(const StateBody& body, bool replace);
    void applyNames(const StateBody& body, const LoadRequest& request);
    void applyTail(const StateBody& body, const LoadRequest& request);
    void afterLoad(const LoadRequest& request);
    void resetTrackedBuffers();
    void refuseLoad(int32_t refusal, const LoadRequest& request);
    // A sample the load could not read: looked for where it may have gone;
    // false when it was not found there.
    bool findMissingSample(BWChunkableClass* object);
    // With the engine free, in the turn: asks the person for each sample
    // still missing, while the state of the load that missed them stands
    // (load: loadsApplied after it).  Right after the editor's loads, at the
    // GUI thread's idle after the host's.
    void askForMissingSamples(const std::vector<BWChunkableClass*>& missing, uint32_t load);
    // The program loader's load function.  Loader thread, or the GUI thread
    // applying what waited for the end of a park.
    void loadProgram(int32_t program);
    ParamBinding* findMember(std::span<ParamBinding* const> members, size_t& cursor, int32_t id) const;

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
    MidiLearnMap savedLearn;  // the copy a save writes (one save at a time: the turn)

    // Audio-context registries, the undo history, the context and the work
    // chunks.
    StateResetList trackedBuffers;
    uint32_t blocksAtLastReset = 0;  // the engine's rendered blocks at the last reset
    PointerList listeners;
    BWUndoManager undoManager;
    BWSystemInfo context;
    BWChunk workChunk;
    BWChunk workChunk2;
    BWChunk stateChunk;  // what getChunk handed the host

    ParameterInbox inbox;
    std::vector<ParamBinding> bindings;  // construction order; never reallocated
    PatternModels models;
    std::array<BWRomplerHandler, kSoundLayers> layers;

    std::unique_ptr<PresetLibrary> presetLibrary;
    std::vector<PresetCategory> categories;
    int32_t currentBank = 0;
    EngineHold hold;
    // One writer of the state at a time: loads and saves on any host
    // thread and the program loader, and the editor's work (never the audio
    // thread); whoever holds the engine to touch it takes the turn first, so
    // that only one holder touches the engine at a time.
    StateTurn turn;
    // What host calls are answered while the export parks the turn, and the
    // bytes getChunk handed out from it.
    ParkedState parkedState;
    std::vector<uint8_t> parkedAnswer;
    // Loads applied so far: code that waited on a person finds out whether
    // the state it read before is still the state.
    uint32_t loadsApplied = 0;
    // The samples the load under way could not find (the turn's holder).
    std::vector<BWChunkableClass*> missingSamples;
    // What the host's calls leave for the person, told at the GUI thread's idle.
    PendingNotices pendingNotices;
    // A save's reading of the pattern models against the engine's edits.
    PatternEditLock patternEdits;
    // Between the host's process calls and the MIDI export (which renders on
    // the GUI thread): the same handshake as the engine hold.
    EngineHold processCalls;
    // The thread inside the reader: it is not re-entered on that thread (a
    // thread the turn was lent to may load meanwhile).
    std::atomic<std::thread::id> loadingThread{};
    std::atomic<bool> offlineExport{false};  // the MIDI export drives the engine
    std::string locatedSampleFolder;         // where the user found a missing sample
    ProgramLoader loader;
    std::atomic<int32_t> loaderState{kLoaderIdle};
    float ignoreProgramChange = 1.0f;
    float ccMapRecallIsolate = 0.0f;
    bool allNotesOffOnLoad = false;
    int32_t mode;
    bool modeIsOne;
    std::string hostProduct;
    std::string defaultPresetFolder;
    std::string defaultPresetFile;
    bool defaultPresetWanted = false;
    uint32_t blocksAtLastIdle = 0;

    InterfaceRequests requests;
    DisplayBlock display;

    // Last: it is built on everything above.
    Engine engine;
};
