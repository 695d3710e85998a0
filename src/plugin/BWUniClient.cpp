#include "plugin/BWUniClient.h"

#include <algorithm>
#include <cstring>

#include "engine/BWRomplerLibrary.h"
#include "persistence/Settings.h"
#include "persistence/SettingsKey.h"
#include "plugin/EditorFactory.h"
#include "plugin/StartupPaths.h"
#include "platform/SettingsWriteBatch.h"

namespace {

constexpr int32_t kUniqueId = ('B' << 24) | ('W' << 16) | ('Z' << 8) | 'v';
constexpr int32_t kVoices = 8;
constexpr int32_t kTickSamples = 16;
constexpr float kSilenceThreshold = 1.3218404e-4f;
constexpr int32_t kSilenceBeats = 4;

}  // namespace

BWUniClient::BWUniClient(audioMasterCallback hostCallback, int32_t mode, bool hostPrivate)
    : BWPluginBase(hostCallback, kPrograms, kParameters, hostPrivate),
      context(kVoices, &trackedBuffers, &listeners, &undoManager),
      models(&context),
      layers{{BWRomplerHandler(&globalRomplerLibrary()), BWRomplerHandler(&globalRomplerLibrary()),
              BWRomplerHandler(&globalRomplerLibrary())}},
      chain(&context),
      voices(context),
      loader([this](int32_t program) { loadProgram(program); }),
      mode(mode),
      modeIsOne(mode == 1),
      preparation(context, *this) {
    detectHostVendor();
    bindings.reserve(kBindingCount);
    for (const BindingRow& row : bindingsInConstructionOrder()) bindings.emplace_back(row);

    voices.attach({&layers[0], &layers[1], &layers[2]});
    longLine.trackedList = &trackedBuffers;
    longLine.tracked = true;
    for (TrackedFloatBuffer& line : combLines) {
        line.trackedList = &trackedBuffers;
        line.tracked = true;
    }
    setSilenceWindow(static_cast<int32_t>(kSilenceBeats * context.samplesPerBeat));
    silenceThreshold = kSilenceThreshold;
    noSilentOpt = getSettingDword("NoSilentOpt") != 0;
    undoManager.setClient(this);
    // Learning on the audio thread appends without allocating.
    for (int32_t number = 0; number < MidiLearnMap::kControllers; ++number) learn.controller(number).reserve(kLearnCapacity);
    learn.pressure().reserve(kLearnCapacity);

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
    prepareSampleRate();
    refreshRunState();
    settleTempoConstants();
    locateDefaultPreset();
    presetLibrary = std::make_unique<PresetLibrary>(kPresetExtension, 1, 290908);
    if (defaultPresetWanted) loadPresetFromFile(defaultPresetFile.c_str(), 0);
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

void BWUniClient::setSilenceWindow(int32_t samples) {
    if (samples != silenceWindowSamples) silenceCounter = 0;
    silenceWindowSamples = samples;
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

// Tempo 80 and back: every listener sizes itself for a slow tempo once, so
// that the render routine's later tempo changes find their buffers large
// enough; the return to 120 tells nobody.
void BWUniClient::settleTempoConstants() {
    context.setTempo(80.0);
    listeners.notifyTiming();
    context.setTempo(120.0);
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
    if (entered && !offlineExport.load() && !render.ownTransport.load()) {
        processBlock(outputs, sampleFrames);
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

void BWUniClient::renderExportTick() {
    float scratch = 0.0f;
    float* channels[2] = {&scratch, &scratch};
    render.subCount = 0;
    context.tickSamples = 16;
    processBlock(channels, 1);
}

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

float BWUniClient::rawValue(int32_t index) const {
    switch (index) {
        case 78: return models.patternKeysArea.value();
        case 365: return models.filterTypeArea.value();
        case 366: return models.modulationArea.value();
        default:
            return index >= 0 && index < static_cast<int32_t>(engine.raw.size()) ? engine.raw[index] : 0.0f;
    }
}

float BWUniClient::getParameter(int32_t index) {
    const ParamBinding* binding = hostBinding(index);
    if (!binding) return 0.0f;
    return binding->value ? *binding->value : rawValue(index);
}

void BWUniClient::getParameterName(int32_t index, char* text) {
    const ParamBinding* binding = hostBinding(index);
    const char* name = binding ? binding->name.c_str() : "empty";
    std::strncpy(text, name, 63);
    text[63] = 0;
}
