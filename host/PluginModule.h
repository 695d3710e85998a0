#pragma once
// The plug-in module as a host loads it: dlopen, the seven entry points by
// name, start-up, registration, and shut-down in the host's order.  Host
// main thread.

#include <memory>
#include <string>

#include "aax/ACFExports.h"
#include "host/HostDescription.h"

class PluginModule {
public:
    // Loads and registers; error() says why when loaded() is false.
    explicit PluginModule(const std::string& path);
    // Shuts the module down and unloads it when it allows.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool loaded() const { return effectDescriptor != nullptr; }
    const std::string& error() const { return problem; }
    const HostEffectDescriptor& effect() const { return *effectDescriptor; }
    HostRegistrar& registrar() { return host; }
    int32_t canUnloadNow() const { return canUnload ? canUnload() : -1; }
    ACFRESULT registerResult() const { return registration; }

    // The default module: $ZORVANE_MODULE, else Zorvane.so beside the program.
    static std::string defaultPath(const char* argv0);

    ACFRegisterPluginProc registerPlugin = nullptr;
    ACFRegisterComponentProc registerComponent = nullptr;
    ACFGetClassFactoryProc getClassFactory = nullptr;
    ACFCanUnloadNowProc canUnload = nullptr;
    ACFStartupProc startup = nullptr;
    ACFShutdownProc shutdown = nullptr;
    ACFGetSDKVersionProc sdkVersion = nullptr;

private:
    HostRegistrar host;
    void* handle = nullptr;
    const HostEffectDescriptor* effectDescriptor = nullptr;
    std::string problem;
    ACFRESULT registration = -1;
};

// Default module path for programs started from the build folder.
std::string modulePathBeside(const char* argv0);
