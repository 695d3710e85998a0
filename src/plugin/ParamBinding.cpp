#include "plugin/ParamBinding.h"

#include <charconv>

#include "persistence/BWChunkableClass.h"
#include "persistence/Settings.h"

ParamBinding::ParamBinding(int32_t id, int32_t tag, int32_t valueWord, std::atomic<float>* value,
                           BWChunkableClass* object,
                           const char* name, const char* label, int32_t type, float randomDepth)
    : id(id),
      tag(tag),
      valueWord(valueWord),
      value(value),
      randomDepth(randomDepth),
      object(object),
      name(name ? name : ""),
      label(label ? label : ""),
      type(type) {}

void ParamBinding::rememberInSettings() const {
    if (rememberAsText) {
        const char* text = object ? object->getName() : nullptr;
        if (text) setSettingString(name, text);
        return;
    }
    if (!value) return;
    // "%f" of the C locale, whatever locale the host has set.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(read()),
                                      std::chars_format::fixed, 6);
    if (result.ec == std::errc()) setSettingString(name, std::string_view(text, result.ptr));
}
