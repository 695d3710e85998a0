#include "plugin/BWUniClient.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/VstOpcodes.h"
#include "engine/BWRomplerLibrary.h"
#include "persistence/Settings.h"
#include "persistence/SettingsKey.h"
#include "platform/Dialogs.h"
#include "platform/GuiThread.h"
#include "platform/Threads.h"
#include "plugin/EditorFactory.h"
#include "plugin/StartupPaths.h"
#include "platform/SettingsWriteBatch.h"

namespace {

constexpr int32_t kUniqueId = ('B' << 24) | ('W' << 16) | ('Z' << 8) | 'v';
constexpr int32_t kVoices = 8;
constexpr int32_t kTickSamples = 16;
constexpr int32_t kTimeFilter = 0x1E02;

}  // namespace

BWUniClient::BWUniClient(audioMasterCallback hostCallback, int32_t mode, bool hostPrivate)
    : BWPluginBase(hostCallback, kPrograms, kParameters, hostPrivate),
      context(kVoices, &trackedBuffers, &listeners, &undoManager),
      models(&context),
      layers{{BWRomplerHandler(&globalRomplerLibrary()), BWRomplerHandler(&globalRomplerLibrary()),
              BWRomplerHandler(&globalRomplerLibrary())}},
      loader([this](int32_t program) { loadProgram(program); }),
      mode(mode),
      modeIsOne(mode == 1),
      engine({*this, context, trackedBuffers, models, layers, inbox, requests, hold, loader, learn, patternEdits, display}) {
    detectHostVendor();
    bindings.reserve(kBindingCount);
    for (const BindingRow& row : bindingsInConstructionOrder()) bindings.emplace_back(row);
    undoManager.setClient(this);
    // Learning on the audio thread appends without allocating.
    for (int32_t number = 0; number < MidiLearnMap::kControllers; ++number) {
        learn.controller(number).reserve(Engine::kLearnCapacity);
    }
    learn.pressure().reserve(Engine::kLearnCapacity);

    char product[256] = {};
    if (getHostProductString(product)) {
        product[sizeof(product) - 1] = 0;
        hostProduct = product;
    }
    configureEffectRecord();
    prepareTickConstants();
    initParameters();
    setupPaths(kProductName, modeIsOne, true);
    globalRomplerLibrary().scan(false);
    presetNames.fill("default");
    createEditor(hostPrivate);
    engine.start(sampleRate);
    locateDefaultPreset();
    presetLibrary = std::make_unique<PresetLibrary>(kPresetExtension, 1, 290908);
    // Most preset folders hold no default preset: only one that is there is
    // loaded (and named in a box when it cannot be).
    std::error_code noDefault;
    if (defaultPresetWanted && std::filesystem::exists(defaultPresetFile, noDefault)) {
        // The host makes the instance on a thread of its own, which waits
        // on nobody: what the load meets is told at the first idle.
        const HostCallScope creating(pendingNotices);
        loadPresetFromFile(defaultPresetFile.c_str(), 0);
    }
    curProgram = 0;
    currentBank = 0;
    reloadPresetLibrary();
    // Without a worker, program changes are ignored; the engine is never
    // left waiting for one.
    loader.start();
    allNotesOffOnLoad = getSettingDword("allnotesoffafterload") != 0;
}

BWUniClient::~BWUniClient() {
    // No new loader work starts from here on; the program loader, when it
    // runs, is joined before anything it uses is freed.
    loaderState.exchange(kLoaderStop);
    loader.stop();
    // What the host's last calls met and no idle told: no box can show it
    // any more.
    for (const platform::MessageRequest& notice : pendingNotices.takeNotices()) platform::answerHeadless(notice);
    {
        const platform::SettingsWriteBatch batch;  // one rewrite of the settings for all of them
        for (const ParamBinding* binding : bindingList) {
            if (binding->remember) binding->rememberInSettings();
        }
    }
    if (presetLibrary) presetLibrary->clear();
    presetLibrary.reset();
    // The editor may still read the bindings' names; it goes with the base,
    // so close it while the instance is whole.
    if (editor) editor->close();
    while (!bindings.empty()) bindings.pop_back();  // reverse construction order
}

void BWUniClient::configureEffectRecord() {
    setUniqueID(kUniqueId);
    isSynth(true);
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    programsAreChunks(true);
}

void BWUniClient::prepareTickConstants() {
    context.setTickLength(kTickSamples);
    context.tickSamples = kTickSamples;
    context.takeSampleRate(sampleRate);
}

void BWUniClient::setupPaths(std::string_view productName, bool writeLibraryPaths, bool flag) {
    const StartupOptions options =
        setupStartupPaths(*this, productName, writeLibraryPaths, flag, categories, optionBindings);
    ignoreProgramChange = options[kOptionIgnoreProgramChange];
    ccMapRecallIsolate = options[kOptionCcMapRecallIsolate];
}

void BWUniClient::createEditor(bool hostPrivate) {
    if (EditorFactory factory = editorFactory()) setEditor(factory(*this, hostPrivate));
}

void BWUniClient::locateDefaultPreset() {
    SettingsKey key(kProductName);
    std::string folder;
    if (key.getString("presetpath0", folder) && !folder.empty() && folder.back() != '/' &&
        folder.back() != '\\') {
        folder += '/';
    }
    defaultPresetFolder = folder;
    defaultPresetFile = folder + "default.zvp";
    // The maker's standalone host loads its own start preset unless it runs
    // the instance in mode 1.  Loading itself belongs to the preset reader.
    defaultPresetWanted = !(hostProduct == kStandaloneHost && mode != 1);
}

std::string BWUniClient::presetName(int32_t kind) const {
    std::lock_guard<std::mutex> names(namesLock);
    return presetNames[kind & 3];
}

std::string BWUniClient::presetPath(int32_t kind) const {
    std::lock_guard<std::mutex> names(namesLock);
    return presetPaths[kind & 3];
}

std::string BWUniClient::bankName(int32_t kind) const {
    std::lock_guard<std::mutex> names(namesLock);
    return bankNames[kind & 3];
}

void BWUniClient::setPresetName(int32_t kind, const std::string& name) {
    std::lock_guard<std::mutex> names(namesLock);
    presetNames[kind & 3] = name;
}

void BWUniClient::processReplacing(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames < 0) return;
    // The MIDI export drives the engine itself meanwhile.
    const bool entered = processCalls.enterBlock();
    if (entered && !offlineExport.load() && !engine.renderState().ownTransport.load()) {
        engine.processBlock(outputs, sampleFrames);
    } else {
        std::fill_n(outputs[0], sampleFrames, 0.0f);
        std::fill_n(outputs[1], sampleFrames, 0.0f);
    }
    if (entered) processCalls.leaveBlock();
}

bool BWUniClient::beginOfflineExport(int32_t tries) {
    offlineExport.store(true);
    if (processCalls.acquire(tries)) return true;
    offlineExport.store(false);
    return false;
}

void BWUniClient::renderExportTick() { engine.renderExportTick(); }

void BWUniClient::endOfflineExport() {
    processCalls.release();
    offlineExport.store(false);
}

ParamBinding* BWUniClient::hostBinding(int32_t tag) const {
    return tag >= 0 && tag < kHostParameterCount ? hostTable[tag] : nullptr;
}

std::span<ParamBinding* const> BWUniClient::presetMembers(int32_t kind) const {
    if (kind < 0 || kind >= kPresetKindCount) return {};
    return kindMembers[kind];
}

// ---- parameters -----------------------------------------------------------

void BWUniClient::setParameter(int32_t index, float value) {
    assert(hold.notRenderingHere() && "the render sets parameters through the engine");
    if (static_cast<uint32_t>(index) > static_cast<uint32_t>(Tag::HighestIndex)) return;
    if (index > Tag::LastHostIndex && index < Tag::FirstPatternIndex) return;
    // Whoever calls, the engine sees 0..1: every step, table row and range
    // bound it derives then stays inside what exists.
    const float v = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    if (ClipboardRequests::isButton(index)) return pressClipboardButton(index, v);
    inbox.store(index, v);
}

// The edit runs here, on the thread that pressed, and the render takes the
// press after it, for the button's record and the views' refresh.  When the
// turn cannot be had (parked by the MIDI export, which keeps the models as
// they are until it ends, or kept by a load for longer than a save waits)
// the idle runs it later.
void BWUniClient::pressClipboardButton(int32_t index, float v) {
    if (ClipboardRequests::acts(index, inbox.value(index), v) && !runClipboardEdit(index, kStateWaitMs))
        engine.clipboardRequests().post(index);
    inbox.store(index, v);
}

// In the turn, after the pattern edits stored before it (as the render
// would have taken them in order) and with the render's own pattern edits
// kept out meanwhile.  No engine hold: the edit reads and writes the
// models through their atomics and gates, as the editor's own edits do.
bool BWUniClient::runClipboardEdit(int32_t index, int32_t turnWaitMs) {
    const std::unique_lock<StateTurn> alone = turn.take(turnWaitMs);
    if (!alone.owns_lock() || turn.isParked()) return false;
    settleParameters(Tag::FirstPatternIndex);
    if (!patternEdits.lockForReading(kSettleWaitMs)) return false;
    engine.runClipboardEdit(index);
    patternEdits.unlockReading();
    return true;
}

// The mouse areas keep their values in their indices' slots, so every
// index reads its slot.
float BWUniClient::rawValue(int32_t index) const {
    return index >= 0 && index < ParameterInbox::kSlots ? inbox.value(index) : 0.0f;
}

float BWUniClient::getParameter(int32_t index) {
    const ParamBinding* binding = hostBinding(index);
    if (!binding) return 0.0f;
    return binding->value ? binding->read() : rawValue(index);
}

void BWUniClient::getParameterName(int32_t index, char* text) {
    const ParamBinding* binding = hostBinding(index);
    const char* name = binding ? binding->name.c_str() : "empty";
    std::strncpy(text, name, 63);
    text[63] = 0;
}

bool BWUniClient::deriveNow() {
    assert(hold.notRenderingHere());
    const std::unique_lock<StateTurn> alone = lockState();
    if (!alone.owns_lock()) return false;
    EngineHoldScope held(hold, EngineHold::kEditTries);
    if (!held.held()) return false;
    engine.takeParameters();
    return true;
}

// With the audio thread running the engine takes the inbox at its next tick
// anyway; only a host that stopped processing leaves edits waiting.  Nothing
// is waited for: not a load under way, and not an audio thread that just
// started again.
void BWUniClient::idle() {
    assert(hold.notRenderingHere());
    ZORVANE_ASSERT_GUI_THREAD();
    runPostedClipboardEdits();
    tellPendingNotices();
    const uint32_t blocks = engine.blocksRendered();
    const bool audioRuns = blocks != blocksAtLastIdle;
    blocksAtLastIdle = blocks;
    if (audioRuns || !inbox.pending()) return;
    const std::unique_lock<StateTurn> alone(turn, std::try_to_lock);
    if (!alone.owns_lock()) return;
    EngineHoldScope held(hold, 0);
    if (held.held()) engine.takeParameters();
}

// What the render met pressed, and presses that found the turn taken: each
// waits for a later idle while the turn stays taken.
void BWUniClient::runPostedClipboardEdits() {
    ClipboardRequests& posted = engine.clipboardRequests();
    posted.takeAll([&](int32_t index) {
        if (!runClipboardEdit(index, 0)) posted.post(index);
    });
}

std::unique_lock<StateTurn> BWUniClient::guiTurn(bool longWait) {
    ZORVANE_ASSERT_GUI_THREAD();
    return turn.take(longWait ? kStateWaitMs : kGuiTurnWaitMs);
}

// ---- the engine's host ----------------------------------------------------

const VstTimeInfo* BWUniClient::transport() { return getTimeInfo(kTimeFilter); }

void BWUniClient::sendNotes(VstEvents* events) { sendVstEventsToHost(events); }

void BWUniClient::runStateChanged(int32_t run) { callHost(HostOpcode::RunStateChanged, run, 0, nullptr, 0.0f); }
