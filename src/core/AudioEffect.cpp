#include "core/AudioEffect.h"

#include <cmath>
#include <cstring>

#include "core/NumberFormat.h"
#include "core/VstOpcodes.h"

namespace {

AudioEffect* owner(AEffect* effect) { return static_cast<AudioEffect*>(effect->object); }

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
    // Padding and reserved space included: hosts may compare or dump the record.
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = EffectFlags::CanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kNoUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
    cEffect.undo = undoClass;
    cEffect.redo = redoClass;
    cEffect.openHookMenu = openHookMenuClass;
    cEffect.openManual = openManualClass;
    cEffect.hook5 = hook5Class;
    cEffect.isKeyInputBlocked = isKeyInputBlockedClass;
    cEffect.isPageVisible = isPageVisibleClass;
}

AudioEffect::~AudioEffect() {
    if (!editor) return;
    if (editor->isOpen()) editor->close();
    delete editor;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
    case EffectOpcode::Open: open(); return 0;
    case EffectOpcode::Close: close(); return 0;
    case EffectOpcode::SetProgram:
        if (value < numPrograms) setProgram(static_cast<int32_t>(value));
        return 0;
    case EffectOpcode::GetProgram: return getProgram();
    case EffectOpcode::SetProgramName: setProgramName(static_cast<const char*>(ptr)); return 0;
    case EffectOpcode::GetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
    case EffectOpcode::GetParameterLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
    case EffectOpcode::GetParameterDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
    case EffectOpcode::GetParameterName: getParameterName(index, static_cast<char*>(ptr)); return 0;
    case EffectOpcode::SetSampleRate: setSampleRate(opt); return 0;
    case EffectOpcode::SetBlockSize: setBlockSize(static_cast<int32_t>(value)); return 0;
    case EffectOpcode::SuspendResume:
        if (value == 0) suspend(); else resume();
        return 0;
    case EffectOpcode::EditorGetRect:
    case EffectOpcode::EditorOpen:
    case EffectOpcode::EditorClose:
    case EffectOpcode::EditorDraw:
    case EffectOpcode::EditorMouse:
    case EffectOpcode::EditorKey:
    case EffectOpcode::EditorIdle: return editor ? dispatchToEditor(opcode, index, value, ptr) : 0;
    case EffectOpcode::Identify: return kIdentifyAnswer;
    case EffectOpcode::GetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
    case EffectOpcode::SetChunk: return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default: return 0;
    }
}

intptr_t AudioEffect::dispatchToEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr) {
    switch (opcode) {
    case EffectOpcode::EditorGetRect: return editor->getRect(static_cast<ERect**>(ptr));
    case EffectOpcode::EditorOpen: return editor->open(ptr);
    case EffectOpcode::EditorClose: editor->close(); return 0;
    case EffectOpcode::EditorDraw: editor->draw(static_cast<ERect*>(ptr)); return 0;
    case EffectOpcode::EditorMouse: return editor->mouse(index, value);
    case EffectOpcode::EditorKey: return editor->key(value);
    case EffectOpcode::EditorIdle: editor->idle(); return 0;
    default: return 0;
    }
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(HostOpcode::Automate, index, 0, nullptr, value);
}

int32_t AudioEffect::getMasterVersion() {
    const auto version = static_cast<int32_t>(callHost(HostOpcode::Version));
    return version != 0 ? version : 1;
}

int32_t AudioEffect::getCurrentUniqueId() { return static_cast<int32_t>(callHost(HostOpcode::CurrentId)); }

void AudioEffect::masterIdle() { callHost(HostOpcode::Idle); }

// The host answers 0 for a connected pin.
bool AudioEffect::isInputConnected(int32_t input) {
    return callHost(HostOpcode::PinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
    return callHost(HostOpcode::PinConnected, output, 1) == 0;
}

void AudioEffect::dB2string(float value, char* text, int32_t maxLen) {
    if (value > 0)
        float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
    else
        copyTextLimited(text, "-oo", maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, int32_t maxLen) {
    const float hertz = samples != 0 ? getSampleRate() / samples : 0.0f;
    float2string(hertz, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, int32_t maxLen) {
    const double milliseconds = static_cast<double>(samples) * 1000.0 / getSampleRate();
    float2string(static_cast<float>(milliseconds), text, maxLen);
}

void AudioEffect::float2string(float value, char* text, int32_t maxLen) {
    formatFloatField(value, text, maxLen);
}

void AudioEffect::int2string(int32_t value, char* text, int32_t maxLen) {
    formatInteger(value, text, maxLen);
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(EffectFlags::HasEditor, newEditor != nullptr);
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(int32_t flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

intptr_t dispatchEffectClass(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt) {
    AudioEffect* object = owner(effect);
    if (opcode != EffectOpcode::Close) return object->dispatcher(opcode, index, value, ptr, opt);
    // Closing ends the instance; the record goes with it.
    object->dispatcher(opcode, index, value, ptr, opt);
    delete object;
    return 1;
}

void processClass(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    owner(effect)->process(inputs, outputs, sampleFrames);
}

void setParameterClass(AEffect* effect, int32_t index, float value) {
    owner(effect)->setParameter(index, value);
}

float getParameterClass(AEffect* effect, int32_t index) { return owner(effect)->getParameter(index); }

void processClassReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    owner(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t sampleFrames) {
    owner(effect)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void undoClass(AEffect* effect) { owner(effect)->undo(); }

void redoClass(AEffect* effect) { owner(effect)->redo(); }

void openHookMenuClass(AEffect* effect) { owner(effect)->openHookMenu(); }

void openManualClass(AEffect* effect) { owner(effect)->openManual(); }

void hook5Class(AEffect* effect) { owner(effect)->hook5(); }

bool isKeyInputBlockedClass(AEffect* effect) { return owner(effect)->isKeyInputBlocked(); }

bool isPageVisibleClass(AEffect* effect, int32_t page) { return owner(effect)->isPageVisible(page); }
