#pragma once
// The effect record through which a host drives a plug-in object, and the
// host callback that the object calls back through.
//
// The record is a binary interface: the 64-bit VST 2.4 effect layout followed
// by eleven pointers of our own that reach the editor hooks.  The adapter
// keeps the record's address as its handle of the instance, so the layout is
// pinned below field by field.

#include <cstddef>
#include <cstdint>

struct AEffect;

// intptr result = audioMaster(effect, opcode, index, value, ptr, opt).
using audioMasterCallback = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt);

using AEffectDispatcherProc = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                                    int32_t sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          int32_t sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, int32_t index, float value);
using AEffectGetParameterProc = float (*)(AEffect* effect, int32_t index);
using AEffectHookProc = void (*)(AEffect* effect);
using AEffectQueryHookProc = bool (*)(AEffect* effect);
using AEffectPageHookProc = bool (*)(AEffect* effect, int32_t page);

// A four-character code read as a big-endian number, as hosts print them.
constexpr int32_t fourCharCode(const char (&text)[5]) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

constexpr int32_t kEffectMagic = fourCharCode("VstP");
constexpr int32_t kNoUniqueId = fourCharCode("NoEf");     // until the plug-in sets its own
constexpr int32_t kIdentifyAnswer = fourCharCode("NvEf");  // the answer to the identify opcode

// Bits of AEffect::flags.
namespace EffectFlags {
enum : int32_t {
    HasEditor = 0x1,
    HasClip = 0x2,
    HasVu = 0x4,
    CanMono = 0x8,
    CanReplacing = 0x10,
    ProgramChunks = 0x20,
    IsSynth = 0x100,
    NoSoundInStop = 0x200,
    AsyncOperation = 0x400,
    ExternalBuffer = 0x800,
    CanDoubleReplacing = 0x1000,
};
}

struct AEffect {
    int32_t magic;
    int32_t padding0;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // accumulating
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    int32_t padding1;
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;  // the owning AudioEffect
    void* user;
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
    // Our extensions: the editor hooks of the plug-in object.
    AEffectHookProc undo;
    AEffectHookProc redo;
    AEffectHookProc openHookMenu;
    AEffectHookProc openManual;
    AEffectHookProc hook5;
    AEffectQueryHookProc isKeyInputBlocked;
    AEffectPageHookProc isPageVisible;
    void* unusedExtensions[4];  // reserved; never set
};

static_assert(sizeof(AEffect) == 280);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, future) == 136);
static_assert(offsetof(AEffect, undo) == 192);
static_assert(offsetof(AEffect, unusedExtensions) == 248);
