#include "host/HostDescription.h"

#include <cstdio>
#include <sstream>

namespace {

std::string format(const char* pattern, auto... values) {
    char text[256];
    std::snprintf(text, sizeof(text), pattern, values...);
    return text;
}

// Four printable characters read as a four-character code, else a number.
std::string valueText(int32_t value) {
    const uint32_t word = uint32_t(value);
    char code[5] = {char(word >> 24), char(word >> 16), char(word >> 8), char(word), 0};
    bool printable = true;
    for (int i = 0; i < 4; ++i) printable = printable && code[i] >= 0x20 && code[i] < 0x7F;
    if (printable && word > 0xFFFFFF) return format("'%s'", code);
    return format("%d (0x%X)", value, word);
}

}  // namespace

// ---- property map -----------------------------------------------------------

ACFRESULT HostPropertyMap::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFPropertyMap, IID_IACFPropertyMap_V2, IID_IACFPropertyMap_V3});
}

int32_t HostPropertyMap::GetProperty(int32_t property, int32_t* value) const {
    for (const auto& [id, stored] : values)
        if (id == property) {
            if (value) *value = stored;
            return 1;
        }
    return 0;
}

AAX_Result HostPropertyMap::AddProperty(int32_t property, int32_t value) {
    RemoveProperty(property);
    values.emplace_back(property, value);
    return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::RemoveProperty(int32_t property) {
    std::erase_if(values, [&](const auto& entry) { return entry.first == property; });
    return AAX_SUCCESS;
}

int32_t HostPropertyMap::GetPointerProperty(int32_t property, intptr_t* value) const {
    const auto found = pointers.find(property);
    if (found == pointers.end()) return 0;
    if (value) *value = found->second;
    return 1;
}

AAX_Result HostPropertyMap::AddPointerProperty(int32_t property, intptr_t value) {
    pointers[property] = value;
    return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::RemovePointerProperty(int32_t property) {
    pointers.erase(property);
    return AAX_SUCCESS;
}

// ---- component descriptor -------------------------------------------------

ACFRESULT HostComponentDescriptor::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFComponentDescriptor});
}

AAX_Result HostComponentDescriptor::Clear() {
    fields.clear();
    process = nullptr;
    processProperties = nullptr;
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAudioIn(uint32_t field) {
    return note(format("field %u: audio input", field));
}
AAX_Result HostComponentDescriptor::AddAudioOut(uint32_t field) {
    return note(format("field %u: audio output", field));
}
AAX_Result HostComponentDescriptor::AddAudioBufferLength(uint32_t field) {
    return note(format("field %u: audio buffer length", field));
}
AAX_Result HostComponentDescriptor::AddSampleRate(uint32_t field) {
    return note(format("field %u: sample rate", field));
}
AAX_Result HostComponentDescriptor::AddDataInPort(uint32_t field, uint32_t size, int32_t portType) {
    return note(format("field %u: data-in port, %u bytes, port type %d", field, size, portType));
}
AAX_Result HostComponentDescriptor::AddPrivateData(uint32_t field, int32_t size, int32_t options) {
    return note(format("field %u: private data, %d bytes, options %d", field, size, options));
}
AAX_Result HostComponentDescriptor::AddMIDINode(uint32_t field, int32_t nodeType, const char* name, uint32_t channelMask) {
    return note(format("field %u: MIDI node type %d \"%s\", channel mask 0x%X", field, nodeType, name ? name : "", channelMask));
}
AAX_Result HostComponentDescriptor::AddProcessProc_Native(AAX_ProcessProc proc, IACFUnknown* properties, AAX_InitProc init,
                                                          AAX_BackgroundProc background, int32_t* selector) {
    if (!proc) return AAX_ERROR_NULL_ARGUMENT;
    process = proc;
    processProperties = dynamic_cast<const HostPropertyMap*>(properties);
    fields.push_back(format("native process procedure%s%s", init ? ", init procedure" : "", background ? ", background procedure" : ""));
    if (selector) *selector = 0;
    return AAX_SUCCESS;
}
AAX_Result HostComponentDescriptor::AddProcessProc_TI(const char*, const char*, IACFUnknown*, const char*, const char*, int32_t*) {
    return AAX_ERROR_UNIMPLEMENTED;
}

int32_t HostComponentDescriptor::outputStemFormat() const {
    int32_t format = 0;
    if (processProperties) processProperties->GetProperty(AAX_eProperty_OutputStemFormat, &format);
    return format;
}

// ---- effect descriptor ----------------------------------------------------

ACFRESULT HostEffectDescriptor::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFEffectDescriptor});
}

AAX_Result HostEffectDescriptor::AddComponent(IACFUnknown* component) {
    auto* descriptor = dynamic_cast<HostComponentDescriptor*>(component);
    if (!descriptor) return AAX_ERROR_NULL_ARGUMENT;
    components.push_back(descriptor);
    return AAX_SUCCESS;
}
AAX_Result HostEffectDescriptor::AddName(const char* name) {
    names.emplace_back(name ? name : "");
    return AAX_SUCCESS;
}
AAX_Result HostEffectDescriptor::AddCategory(uint32_t category) {
    categories.push_back(category);
    return AAX_SUCCESS;
}
AAX_Result HostEffectDescriptor::AddCategoryBypassParameter(uint32_t, const char*) { return AAX_SUCCESS; }
AAX_Result HostEffectDescriptor::AddProcPtr(void* procedure, int32_t procID) {
    procedures.emplace_back(procID, procedure);
    return AAX_SUCCESS;
}
AAX_Result HostEffectDescriptor::SetProperties(IACFUnknown* map) {
    properties = dynamic_cast<const HostPropertyMap*>(map);
    return AAX_SUCCESS;
}
AAX_Result HostEffectDescriptor::AddResourceInfo(int32_t, const char*) { return AAX_SUCCESS; }

void* HostEffectDescriptor::procedure(int32_t id) const {
    for (const auto& [procID, pointer] : procedures)
        if (procID == id) return pointer;
    return nullptr;
}

// ---- collection -------------------------------------------------------------

ACFRESULT HostCollection::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFCollection});
}
AAX_Result HostCollection::AddEffect(const char* effectID, IACFUnknown* descriptor) {
    auto* effect = dynamic_cast<HostEffectDescriptor*>(descriptor);
    if (!effect || !effectID) return AAX_ERROR_NULL_ARGUMENT;
    effects.emplace_back(effectID, effect);
    return AAX_SUCCESS;
}
AAX_Result HostCollection::SetManufacturerName(const char* name) {
    manufacturer = name ? name : "";
    return AAX_SUCCESS;
}
AAX_Result HostCollection::AddPackageName(const char* name) {
    packages.emplace_back(name ? name : "");
    return AAX_SUCCESS;
}
AAX_Result HostCollection::SetPackageVersion(uint32_t) { return AAX_SUCCESS; }
AAX_Result HostCollection::SetProperties(IACFUnknown*) { return AAX_SUCCESS; }

// ---- registrar --------------------------------------------------------------

HostRegistrar::HostRegistrar() = default;
HostRegistrar::~HostRegistrar() = default;

ACFRESULT HostRegistrar::QueryInterface(const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    *out = nullptr;
    if (iid == IID_IACFUnknown || iid == IID_IACFComponentFactory) *out = static_cast<IACFComponentFactory*>(this);
    else if (iid == IID_IACFHostServices) *out = static_cast<AAX_IACFHostServices*>(this);
    else if (iid == IID_IACFCollection) *out = static_cast<AAX_IACFCollection*>(&collection);
    else return ACF_E_NOINTERFACE;
    static_cast<IACFUnknown*>(*out)->AddRef();
    return ACF_OK;
}

ACFRESULT HostRegistrar::CreateComponent(const acfIID& classID, const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    *out = nullptr;
    IACFUnknown* made = nullptr;
    if (classID == CLSID_HostServices) {
        made = static_cast<AAX_IACFHostServices*>(this);
    } else if (classID == CLSID_PropertyMap) {
        maps.push_back(std::make_unique<HostPropertyMap>());
        made = maps.back().get();
    } else if (classID == CLSID_EffectDescriptor && !refuseDescriptors) {
        effects.push_back(std::make_unique<HostEffectDescriptor>());
        made = effects.back().get();
    } else if (classID == CLSID_ComponentDescriptor) {
        components.push_back(std::make_unique<HostComponentDescriptor>());
        made = components.back().get();
    } else {
        return ACF_E_NOINTERFACE;
    }
    return made->QueryInterface(iid, out);
}

AAX_Result HostRegistrar::HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t) {
    asserts.push_back(format("%s:%d: %s", file ? file : "", line, expression ? expression : ""));
    return AAX_SUCCESS;
}

AAX_Result HostRegistrar::Trace(int32_t priority, const char* text) {
    traces.push_back(format("0x%X %s", uint32_t(priority), text ? text : ""));
    return AAX_SUCCESS;
}

const HostEffectDescriptor* HostRegistrar::effect() const {
    return collection.effects.empty() ? nullptr : collection.effects.front().second;
}

std::string HostRegistrar::describe() const {
    std::ostringstream out;
    out << "manufacturer \"" << collection.manufacturer << "\"\n";
    for (const std::string& package : collection.packages) out << "package \"" << package << "\"\n";
    for (const auto& [id, effect] : collection.effects) {
        out << "effect \"" << id << "\"\n";
        for (const std::string& name : effect->names) out << "  name \"" << name << "\"\n";
        for (uint32_t category : effect->categories) out << format("  category 0x%X\n", category);
        if (effect->properties)
            for (const auto& [property, value] : effect->properties->values) out << "  property " << property << " = " << valueText(value) << "\n";
        for (const auto& [procID, pointer] : effect->procedures) out << "  creation procedure " << procID << (pointer ? "" : " (null)") << "\n";
        for (const HostComponentDescriptor* component : effect->components) {
            out << format("  component 0x%X\n", uint32_t(component->outputStemFormat()));
            for (const std::string& field : component->fields) out << "    " << field << "\n";
            if (component->processProperties)
                for (const auto& [property, value] : component->processProperties->values)
                    out << "    property " << property << " = " << valueText(value) << "\n";
        }
    }
    return out.str();
}
