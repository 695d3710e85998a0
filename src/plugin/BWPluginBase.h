#pragma once
// The maker's base between AudioEffectX and the instance: recognising the host
// from its vendor text, the bypass flag, the host-private switch, the
// program-loader words, and the operations for programs, presets, state,
// content paths and the audio context that the instance overrides.
//
// Threads: host/GUI thread unless a line says otherwise.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/AudioEffectX.h"

class BWChunk;
class BWSystemInfo;
class PresetInfo;

// Which host runs the plug-in, from its vendor text.
enum HostCode : int32_t {
    kHostUnknown = 0,
    kHostBrindlewick = 1,
    kHostNativeInstruments = 2,  // both spellings of the maker's name
    kHostFxpansion = 4,
    kHostAtomix = 5,
    kHostSteinberg = 6,
    kHostPresonus = 7,
    kHostAbleton = 8,
    kHostAvid = 9,
};

// The code of the first known maker's name found in the vendor text, letters
// A to Z compared as lower case; kHostUnknown when none is.  Any thread.
int32_t hostCodeFromVendor(std::string_view vendorText);

class BWPluginBase : public AudioEffectX {
public:
    BWPluginBase(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams, bool hostPrivate);

    // Asks the host for its vendor text and stores its code; a host that does
    // not answer counts as unknown.  Run once by the instance's constructor.
    void detectHostVendor();
    int32_t getHostCode() const { return hostCode; }

    // Stores the host's bypass request and answers it.
    bool setBypass(bool onOff) override;
    // Audio thread or any.
    bool isBypassed() const { return bypass.load(std::memory_order_relaxed); }

    bool isHostPrivate() const { return hostPrivate; }
    // With the host-private switch on, sends the host the private request
    // (opcode 1234567) and ignores its answer.
    void hostPrivateCall();

    virtual std::string getCurrentProgramName() { return "implement"; }
    virtual void reloadPresetLibrary() {}
    // Applies a preset or state held in the chunk.  force overrides the
    // keep-unless-forced values and locks; quiet shows no message; noWait is
    // for the program loader, which does not wait for the audio thread;
    // resolveFiles looks named presets up on disk afterwards.  True when the
    // state was applied.
    virtual bool loadPresetFile(BWChunk* /*chunk*/, int32_t /*kind*/, bool /*force*/, bool /*quiet*/,
                                bool /*noWait*/, bool /*resolveFiles*/) {
        return false;
    }
    // loadPresetFile with every flag clear; true when the state was applied.
    virtual bool loadPresetFileSimple(BWChunk* /*chunk*/, int32_t /*kind*/) { return false; }
    // Writes the state of one preset kind (0 is the whole state) into the chunk.
    virtual void writeState(BWChunk* /*chunk*/, int32_t /*kind*/, PresetInfo* /*info*/) {}
    // Where the library holds a preset of the current program's name.
    virtual bool lookupLibraryEntry(int32_t* /*bank*/, int32_t* /*index*/) { return false; }
    // Appends the program names; does not clear the list.
    virtual void getProgramNames(std::vector<std::string>& /*names*/) {}

    // Writes the default content folder ("contentpath"), for the maker's
    // three instruments with writeLibraryPaths also the instrument folder
    // (and for "Mirelle" the sample folder), then "updatePathes" 0.  The
    // instance's override decides when this is needed.  Nothing is written
    // when the settings cannot be opened.
    virtual void setupPaths(std::string_view productName, bool writeLibraryPaths, bool unused);

    virtual BWSystemInfo* getSystemInfo() { return nullptr; }

protected:
    const bool hostPrivate;
    int32_t hostCode = kHostUnknown;
    std::atomic<bool> bypass{false};

    // Program loader: busy while it applies a preset, the program it was asked
    // for (-1 none), and the hold word.  Shared by the host, loader and audio
    // threads.
    std::atomic<int32_t> loaderBusy{0};
    std::atomic<int32_t> requestedProgram{-1};
    std::atomic<int32_t> loaderHold{0};
};
