// The state reader: applies a state chunk or a preset of one kind to the
// instance.  The whole chunk is parsed and checked first (StateBody.cpp),
// every object record is read once in skip-only mode, and only then is the
// engine held and the state applied, so that a refused chunk changes nothing.
// The engine derives the loaded values before the hold ends, so the render
// resumes on the whole new state.  Host/GUI thread (host state, preset
// files, undo) or the program loader, one at a time: a load takes the
// instance's turn (core/StateTurn.h), which saves take too; while the MIDI
// export keeps the turn parked, the host's restores and the loader's
// programs are kept for its end (StatePark.cpp).  Nobody is asked anything
// while the engine is held: the question about a missing sample comes
// after the load, and never on a host's thread: the host's restores and
// programs return once the load is done, and what they met is told at the
// GUI thread's idle (PendingNotices.h).

#include <cassert>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "core/BWMouseAreaChunk.h"
#include "engine/BWRomplerLibrary.h"
#include "engine/BWSampleData.h"
#include "persistence/BWFileChooser.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Framework.h"
#include "platform/GuiThread.h"
#include "platform/ModalWait.h"
#include "plugin/BWUniClient.h"
#include "plugin/StateBody.h"

namespace {

// Refusals the reader itself reports, beyond those of the chunk's format.
constexpr int32_t kRefusedBusy = 100;
constexpr int32_t kRefusedStateBusy = 101;
constexpr int32_t kRefusedExporting = 102;

struct RefusalText {
    int32_t refusal;
    const char* box;  // printf form with the product name where it has a %s
    const char* log;  // for threads that show no box
};

constexpr RefusalText kRefusalTexts[] = {
    {int32_t(StateRefusal::Format), "\t This is no valid %s format!", "Zorvane: state refused: no valid format"},
    {int32_t(StateRefusal::PluginVersion), "wrong plugin version", "Zorvane: state refused: wrong plugin version"},
    {int32_t(StateRefusal::NotOurs), "This is not a %s file", "Zorvane: state refused: not a Zorvane state"},
    {kRefusedBusy, "The audio engine stayed busy: the %s preset was not loaded.",
     "Zorvane: state refused: the audio engine stayed busy"},
    {kRefusedStateBusy, "Another state was still being loaded or saved: the %s preset was not loaded.",
     "Zorvane: state refused: another load or save kept the state"},
    {kRefusedExporting, "The MIDI export was running: the %s preset was not loaded.",
     "Zorvane: state refused: the MIDI export was running"},
};

// Marks the thread inside the reader, and gives the mark back to whoever
// had it (a thread that lent its turn while it loaded) however the load ends.
struct LoadingScope {
    std::atomic<std::thread::id>& loader;
    const std::thread::id previous;
    const bool entered;
    explicit LoadingScope(std::atomic<std::thread::id>& l)
        : loader(l), previous(l.load()), entered(previous != std::this_thread::get_id()) {
        if (entered) loader.store(std::this_thread::get_id());
    }
    ~LoadingScope() {
        if (entered) loader.store(previous);
    }
};

}  // namespace

bool BWUniClient::loadPresetFile(BWChunk* chunk, int32_t kind, bool force, bool quiet, bool noWait,
                                 bool resolveFiles) {
    if (!chunk) return false;
    const LoadRequest request{.kind = kind, .force = force, .quiet = quiet, .noWait = noWait,
                              .resolveFiles = resolveFiles, .dialogs = true, .file = nullptr};
    return applyState(*chunk, request) == LoadOutcome::Applied;
}

bool BWUniClient::loadPresetFileSimple(BWChunk* chunk, int32_t kind) {
    return loadPresetFile(chunk, kind, false, false, false, false);
}

int32_t BWUniClient::setChunk(void* data, int32_t byteSize, bool /*isPreset*/) {
    if (!data || byteSize <= 0) return 0;
    const HostCallScope hostCall(pendingNotices);
    BWChunk chunk(data, uint32_t(byteSize));  // reads the host's bytes in place, up to byteSize
    LoadOutcome outcome = LoadOutcome::Busy;
    inTurnOrParked([&] { return keepRestore(chunk, data, byteSize, outcome); },
                   [&] { outcome = applyState(chunk, kHostRestore); });
    switch (outcome) {
        case LoadOutcome::Applied: return 1;
        case LoadOutcome::Refused: return 0;
        case LoadOutcome::Busy:
        case LoadOutcome::Parked: break;
    }
    return kChunkBusy;
}

// The whole chunk is checked now, so that the host learns of a refusal at
// once; the bytes are kept as the host gave them.
bool BWUniClient::keepRestore(BWChunk& chunk, const void* data, int32_t byteSize, LoadOutcome& outcome) {
    if (!parkedState.parkedElsewhere()) return false;
    StateBody body;
    if (const int32_t refusal = checkState(chunk, kHostRestore.kind, body); refusal != int32_t(StateRefusal::None)) {
        refuseLoad(refusal, kHostRestore);
        outcome = LoadOutcome::Refused;
        return true;
    }
    if (!parkedState.keepRestore(static_cast<const uint8_t*>(data), size_t(byteSize))) return false;
    outcome = LoadOutcome::Applied;
    return true;
}

void BWUniClient::loadProgram(int32_t program) {
    if (loaderState.load() == kLoaderStop || !presetLibrary) return;
    const HostCallScope hostCall(pendingNotices);
    inTurnOrParked([&] { return parkedState.keepProgram(program); },
                   [&] {
                       std::string name;
                       std::unique_ptr<BWChunk> chunk = presetLibrary->copyPresetInCurrentBank(program, &name);
                       const LoadRequest request = presetRequest(kPresetKindGlobal, PresetRoad::ProgramChange);
                       if (chunk && applyState(*chunk, request) == LoadOutcome::Applied) setPresetName(0, name);
                   });
}

int32_t BWUniClient::checkState(BWChunk& chunk, int32_t kind, StateBody& body) {
    StateRefusal refusal = parseStateBody(chunk, kind, body);
    if (refusal == StateRefusal::None && !objectsAccept(chunk, body, kind)) refusal = StateRefusal::NotOurs;
    return int32_t(refusal);
}

BWUniClient::LoadOutcome BWUniClient::applyState(BWChunk& chunk, const LoadRequest& request) {
    assert(hold.notRenderingHere());
    // Loads from different threads (the host's state, the program loader,
    // the editor's presets) take their turns; a load that re-enters the
    // reader on its own thread is refused.
    bool parked = false;
    const std::unique_lock<StateTurn> writing = lockState(&parked);
    if (parked) return LoadOutcome::Parked;
    if (!writing.owns_lock()) {
        refuseLoad(kRefusedStateBusy, request);
        return LoadOutcome::Busy;
    }
    if (offlineExport.load()) {
        refuseLoad(kRefusedExporting, request);
        return LoadOutcome::Busy;
    }
    assert(!turn.isParked() && "a load while the MIDI export keeps the state fixed");
    LoadOutcome outcome = LoadOutcome::Refused;
    {
        LoadingScope guard(loadingThread);
        if (!guard.entered) {
            refuseLoad(kRefusedStateBusy, request);
            return LoadOutcome::Refused;
        }
        locatedSampleFolder.clear();
        missingSamples.clear();
        StateBody body;
        if (const int32_t refusal = checkState(chunk, request.kind, body); refusal != int32_t(StateRefusal::None)) {
            refuseLoad(refusal, request);
            return LoadOutcome::Refused;
        }
        // The program loader waits too: the render is silent while it is
        // busy, but the block that asked for the program may still be running.
        if (!hold.acquire(EngineHold::kLoadTries)) {
            refuseLoad(kRefusedBusy, request);
            return LoadOutcome::Busy;
        }
        if (applyChecked(chunk, body, request)) outcome = LoadOutcome::Applied;
        afterLoad(request);
    }
    // A thread that serves the host asks nobody: the GUI thread asks later.
    std::vector<BWChunkableClass*> missing = std::exchange(missingSamples, {});
    if (request.dialogs && !platform::servingHostCall())
        askForMissingSamples(missing, loadsApplied);
    else
        pendingNotices.keepMissingSamples({std::move(missing), loadsApplied});
    return outcome;
}

void BWUniClient::refuseLoad(int32_t refusal, const LoadRequest& request) {
    for (const RefusalText& text : kRefusalTexts) {
        if (text.refusal != refusal) continue;
        if (!request.dialogs) {
            platform::reportNonBlocking(text.log);
        } else if (!request.quiet) {
            char box[256];
            std::snprintf(box, sizeof box, text.box, getProductName());
            // A file's refusal names the file on a line of its own.
            AlertPrintf("%s%s%s", box, request.file ? "\n" : "", request.file ? request.file->c_str() : "");
        }
    }
}

ParamBinding* BWUniClient::findMember(std::span<ParamBinding* const> members, size_t& cursor, int32_t id) const {
    size_t at = cursor;
    if (at >= members.size() || members[at]->id != id) {
        for (at = 0; at < members.size() && members[at]->id != id; ++at) {
        }
        if (at == members.size()) return nullptr;
    }
    cursor = at + 1;
    return members[at];
}

// Every object record must be one its object can read: a skip-only read
// changes nothing and finds what would make the real read abandon the load.
bool BWUniClient::objectsAccept(BWChunk& chunk, const StateBody& body, int32_t kind) {
    size_t cursor = 0;
    for (const StoredBinding& stored : body.bindings) {
        ParamBinding* binding = findMember(presetMembers(kind), cursor, stored.id);
        if (!binding || !binding->object) continue;
        chunk.setPosition(stored.start);
        if (binding->object->readChunk(&chunk, true) == kChunkReadAbandon || chunk.hasFailed()) return false;
    }
    return true;
}

bool BWUniClient::applyChecked(BWChunk& chunk, const StateBody& body, const LoadRequest& request) {
    if (!applyBindings(chunk, body, request)) return false;
    if (body.hasLearnMap) applyLearnMap(body, ccMapRecallIsolate == 0.0f || request.force);
    applyNames(body, request);
    applyTail(body, request);
    return true;
}

bool BWUniClient::applyBindings(BWChunk& chunk, const StateBody& body, const LoadRequest& request) {
    size_t cursor = 0;
    for (const StoredBinding& stored : body.bindings) {
        ParamBinding* binding = findMember(presetMembers(request.kind), cursor, stored.id);
        if (!binding) continue;
        // "Chord Select" stays as the user left it unless the load is forced.
        const bool keep = binding->remember && !request.force;
        if (binding->object) {
            chunk.setPosition(stored.start);
            applyObject(chunk, *binding, request, keep);
            continue;
        }
        if (keep || (binding->loadCondition && !binding->loadCondition->allowsLoad())) continue;
        setParameter(binding->tag, stored.firstValue);
    }
    return true;
}

void BWUniClient::applyObject(BWChunk& chunk, ParamBinding& binding, const LoadRequest& request, bool skipOnly) {
    BWChunkableClass* object = binding.object;
    const int32_t status = object->readChunk(&chunk, skipOnly);
    if (status == kChunkReadFailed && object->getTypeCode() == kTypeSampleData && !findMissingSample(object) &&
        !request.quiet)
        missingSamples.push_back(object);
    switch (object->getTypeCode()) {
        case kTypeFloatValue:
            if (auto* area = dynamic_cast<BWMouseAreaChunk*>(object)) setParameter(binding.tag, area->value());
            break;
        case kTypeStepLine: setParameter(binding.tag, -1.0f); break;
        default: break;
    }
}

void BWUniClient::applyLearnMap(const StateBody& body, bool replace) {
    {
        LearnEditScope editing(learn);
        if (replace) {
            learn.clearControllers();
            learn.changeCount.fetch_add(1);
            for (const StoredLearnEntry& stored : body.learnMap) learn.controller(stored.controller).push_back(stored.entry);
        }
    }
    learn.changeCount.fetch_add(1);
}

void BWUniClient::applyNames(const StateBody& body, const LoadRequest& request) {
    const int32_t first = request.kind == 0 ? 0 : request.kind & 3;
    {
        std::lock_guard<std::mutex> names(namesLock);
        for (size_t i = 0; i < body.names.size(); ++i) presetNames[(first + i) & 3] = body.names[i];
    }
    std::string folder;
    if (!request.resolveFiles || !getSettingString("presetpath0", folder)) return;
    for (size_t i = 0; i < body.names.size(); ++i) {
        const int32_t kind = int32_t(first + i) & 3;
        std::string bank;
        findFileInTree(bank, folder, body.names[i] + "." + kPresetExtension, kind);
        std::lock_guard<std::mutex> names(namesLock);
        bankNames[kind] = bank;
    }
}

void BWUniClient::applyTail(const StateBody& body, const LoadRequest& request) {
    if (request.kind != 0) return;
    if (request.force && body.tail >= 13 && body.hasBank) {
        currentBank = body.bank;
        curProgram = body.program;
    }
    if (!body.hasTargets || (ccMapRecallIsolate != 0.0f && !request.force)) return;
    {
        LearnEditScope editing(learn);
        learn.targets() = body.targets;
    }
    learn.changeCount.fetch_add(1);
}

void BWUniClient::afterLoad(const LoadRequest& request) {
    // The derivation runs here, on whichever thread loads: it holds the turn
    // and the engine, so no other thread touches the engine meanwhile.
    assert(turn.heldHere() && hold.mayTouchEngine());
    engine.takeParameters();
    resetTrackedBuffers();
    bool counted = false;
    for (const PresetCategory& category : categories) {
        counted = counted || (category.kind == request.kind && category.retrigger);
    }
    engine.presetLoaded(counted);
    ++loadsApplied;
    globalRomplerLibrary().purgeReleased();
    // The event queue belongs to the audio thread (it has no lock): the
    // audio thread queues the all-notes-off at its next call, MIDI or not.
    if (allNotesOffOnLoad) engine.requestAllNotesOff();
    hold.release();
    if (!request.noWait) updateDisplay();
    requests.requestRefresh();
}

// A sample that its file could not give: looked for by name in the factory
// sample folder and where the user found an earlier one.  The engine is
// held: nobody is asked anything here.
bool BWUniClient::findMissingSample(BWChunkableClass* object) {
    auto* sample = dynamic_cast<BWSampleData*>(object);
    if (!sample) return true;
    const std::string name = getFileName(sample->getFileName());
    std::string content;
    getSettingString("contentpath", content);
    appendBackslash(content);
    for (std::string folder : {content + "Samples/Factory/", locatedSampleFolder}) {
        if (folder.empty()) continue;
        std::vector<std::string> files;
        BWFileChooser::listFolder(folder, files, BWFileChooser::kFilesOnly);
        for (const std::string& file : files) {
            if (file == name && sample->importAudioFile((folder + file).c_str())) return true;
        }
    }
    return false;
}

// Asked only where a person can answer, after the load, with the engine
// free: the turn is lent while the person decides (core/StateTurn.h), so a
// chosen file goes into the sample only when no load came in meanwhile.  A
// sample may lie where the person found the one before it.
void BWUniClient::askForMissingSamples(const std::vector<BWChunkableClass*>& missing, uint32_t load) {
    assert(turn.heldHere());
    for (BWChunkableClass* object : missing) {
        if (loadsApplied != load) return;  // the samples asked for belong to a state that is gone
        auto* sample = dynamic_cast<BWSampleData*>(object);
        if (!sample) continue;
        if (!locatedSampleFolder.empty()) {
            EngineHoldScope held(hold, EngineHold::kLoadTries);
            if (held.held() && findMissingSample(sample)) continue;
        }
        const std::string name = getFileName(sample->getFileName());
        std::string chosen;
        const bool picked =
            ConfirmOkCancel("The file %s could not be found!\nDo you want to search for the file ?", name.c_str()) &&
            BWFileChooser::chooseAudioFile(chosen, "wav");
        if (loadsApplied != load) return;
        if (!picked) continue;
        EngineHoldScope held(hold, EngineHold::kLoadTries);
        if (!held.held() || !sample->importAudioFile(chosen.c_str())) continue;
        stripFileName(chosen);
        locatedSampleFolder = chosen;
    }
}

void BWUniClient::tellPendingNotices() {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!pendingNotices.hasNotices() && !pendingNotices.hasMissingSamples()) return;
    assert(!StateTurn::heldByThisThread() && "the person is told what the host's calls met holding no turn");
    for (const platform::MessageRequest& notice : pendingNotices.takeNotices())
        platform::showMessage(notice.kind, notice.title, notice.text);
    if (!pendingNotices.hasMissingSamples()) return;
    // A load under way: asked at a later idle, if its state still stands.
    const std::unique_lock<StateTurn> asking = guiTurn();
    if (!asking.owns_lock()) return;
    const PendingNotices::MissingSamples missing = pendingNotices.takeMissingSamples();
    askForMissingSamples(missing.samples, missing.load);
}
