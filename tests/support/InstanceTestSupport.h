#pragma once
// Instances for the tests of the plug-in object and of the views that edit
// its models: built inside a settings and documents sandbox, with a host
// callback that names the host's product.

#include <cstring>
#include <memory>
#include <string>

#include "support/PluginTestSupport.h"
#include "core/VstOpcodes.h"
#include "plugin/BWUniClient.h"

// Answers the product-string request with `product`, everything else 0.
struct ProductHost {
    static inline std::string product = "Test Host";
    static intptr_t callback(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
        if (opcode != 33 || !ptr) return 0;  // audioMasterGetProductString
        std::strcpy(static_cast<char*>(ptr), product.c_str());
        return 1;
    }
};

inline std::unique_ptr<BWUniClient> makeInstance(int32_t mode = 1, audioMasterCallback host = nullptr) {
    return std::make_unique<BWUniClient>(host, mode, false);
}

class InstanceTest : public ::testing::Test {
protected:
    UserFoldersSandbox sandbox;
    std::unique_ptr<BWUniClient> instance = makeInstance();
    EngineState& state = instance->state();
    PatternModels& models = instance->patterns();

    // A parameter set as the host sets it, derived at once (as the next
    // tick would).
    void set(int32_t index, float v) {
        instance->setParameter(index, v);
        ASSERT_TRUE(instance->deriveNow());
    }
    // A button pressed and let go.
    void click(int32_t index) {
        set(index, 1.0f);
        set(index, 0.0f);
    }
};
