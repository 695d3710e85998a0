#pragma once
// The floats and texts the interface's widgets follow that the plug-in
// object does not hold in the widget's own form: a button's state index and
// a menu's entry index (the object stores them as 0..1 values), a value
// display's value in its unit (milliseconds, decibels, hertz, a list
// position, a number), the picture displays' indicators, the key marker's
// offset, the object views' fixed geometry, and the names the preset and
// instrument menus show.
//
// The editor owns them and computes them from the plug-in object's stored
// parameter values (read with relaxed loads) at its open and at every idle,
// before the widgets follow them: the GUI thread is their only writer and
// only reader, and their addresses stay put for the editor's life.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class BWUniClient;

// What a rule reads: the stored parameter values and the tempo.
class ParameterReader {
public:
    explicit ParameterReader(BWUniClient& client) : client(client) {}
    float operator()(int32_t index) const;
    double tempo() const;

private:
    BWUniClient& client;
};

class InterfaceValues {
public:
    static constexpr int32_t kTags = 400;
    static constexpr int32_t kObjects = 8;
    using Rule = float (*)(const ParameterReader& raw);
    enum class Name : int32_t { chordBank, layer1, layer2, layer3, presets0, presets1, presets2, count };

    // The state index of a switch of n states (buttons) or the entry index of
    // a menu of n entries: min(trunc(n v), n - 1) of the tag's own value.
    void trackState(int32_t tag, int32_t states);
    // A display's value in its unit, or an indicator; false when the tag has
    // no rule.
    bool trackDisplay(int32_t tag);
    // Stops following everything (the editor closed).
    void clear();

    // Recomputes everything followed from the plug-in object.  GUI thread.
    void update(BWUniClient& client);

    // The float of a tag (stable address), null outside 0..399.
    float* at(int32_t tag);
    const std::string* name(Name which) const { return &names[static_cast<size_t>(which)]; }

    // The object views' inputs that are copied once, when the views are
    // built: bars and sprites one lane step wide, their places and sprite
    // rows, the bar view's alpha and one colour for both.
    struct ObjectGeometry {
        std::array<float, kObjects> spriteTop{};      // the sprite view's y and sprite x
        std::array<float, kObjects> spriteWidth{};
        std::array<float, kObjects> spriteHeight{};
        std::array<float, kObjects> barTop{};
        std::array<float, kObjects> barWidth{};
        std::array<float, kObjects> barSpriteX{};
        std::array<float, kObjects> barSpriteY{};
        float barAlpha = 255.0f;
        float colour = 0.0f;
    };
    ObjectGeometry& geometry() { return objects; }

private:
    struct Followed {
        int32_t tag;
        int32_t states;  // 0: by rule
        Rule rule;
    };
    std::array<float, kTags> values{};
    std::vector<Followed> followed;
    std::array<std::string, static_cast<size_t>(Name::count)> names;
    ObjectGeometry objects = defaultGeometry();

    static ObjectGeometry defaultGeometry();
};

// The rule of a display or indicator tag, null when it has none
// (DisplayRules.cpp).
InterfaceValues::Rule displayRule(int32_t tag);
