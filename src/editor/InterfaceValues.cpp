#include "editor/InterfaceValues.h"

#include <algorithm>

#include "core/SharedFloat.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"

float ParameterReader::operator()(int32_t index) const {
    const float* value = client.parameterValue(index);
    return value ? loadShared(*value) : 0.0f;
}

double ParameterReader::tempo() const { return client.getSystemInfo()->tempo.load(); }

void InterfaceValues::trackState(int32_t tag, int32_t states) {
    if (tag >= 0 && tag < kTags && states > 0) followed.push_back({tag, states, nullptr});
}

bool InterfaceValues::trackDisplay(int32_t tag) {
    const Rule rule = displayRule(tag);
    if (!rule || tag < 0 || tag >= kTags) return false;
    followed.push_back({tag, 0, rule});
    return true;
}

void InterfaceValues::clear() { followed.clear(); }

void InterfaceValues::update(BWUniClient& client) {
    ZORVANE_ASSERT_GUI_THREAD();
    const ParameterReader raw(client);
    for (const Followed& f : followed) {
        float& value = values[static_cast<size_t>(f.tag)];
        if (f.rule) {
            value = f.rule(raw);
        } else {
            const int32_t step = static_cast<int32_t>(raw(f.tag) * static_cast<float>(f.states));
            value = static_cast<float>(std::clamp(step, 0, f.states - 1));
        }
    }
    auto set = [&](Name which, std::string text) { names[static_cast<size_t>(which)] = std::move(text); };
    const char* bank = client.patterns().chordList.getName();
    set(Name::chordBank, bank ? bank : "");
    set(Name::layer1, client.soundLayer(0).getInstrumentName());
    set(Name::layer2, client.soundLayer(1).getInstrumentName());
    set(Name::layer3, client.soundLayer(2).getInstrumentName());
    set(Name::presets0, client.presetName(0));
    set(Name::presets1, client.presetName(1));
    set(Name::presets2, client.presetName(2));
}

float* InterfaceValues::at(int32_t tag) {
    return tag >= 0 && tag < kTags ? &values[static_cast<size_t>(tag)] : nullptr;
}

// A lane step is 14 pixels (48 steps over 673): sprites and bars one step
// wide less a gap, the sprites filling the 7-pixel strip, the bars standing
// on the bottom of the 34-pixel view (29 pixels high when shown).
InterfaceValues::ObjectGeometry InterfaceValues::defaultGeometry() {
    ObjectGeometry g;
    g.spriteWidth.fill(12.0f);
    g.spriteHeight.fill(7.0f);
    g.barTop.fill(5.0f);
    g.barWidth.fill(12.0f);
    return g;
}
