#include "host/PluginModule.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "host/ResultText.h"

namespace {

template <typename Proc>
bool resolve(void* handle, const char* name, Proc& proc, std::string& problem) {
    proc = reinterpret_cast<Proc>(dlsym(handle, name));
    if (!proc) problem = std::string("the module has no entry point ") + name;
    return proc != nullptr;
}

}  // namespace

PluginModule::PluginModule(const std::string& path) {
    if (!std::filesystem::exists(path)) {
        problem = "no plug-in module at " + path;
        return;
    }
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        problem = "cannot load the plug-in module " + path + ": " + (why ? why : "unknown error");
        return;
    }
    if (!resolve(handle, "ACFRegisterPlugin", registerPlugin, problem) || !resolve(handle, "ACFRegisterComponent", registerComponent, problem) ||
        !resolve(handle, "ACFGetClassFactory", getClassFactory, problem) || !resolve(handle, "ACFCanUnloadNow", canUnload, problem) ||
        !resolve(handle, "ACFStartup", startup, problem) || !resolve(handle, "ACFShutdown", shutdown, problem) ||
        !resolve(handle, "ACFGetSDKVersion", sdkVersion, problem))
        return;
    uint64_t version = 0;
    sdkVersion(&version);
    if (startup(host.unknown()) != ACF_OK) {
        problem = "the plug-in module did not start";
        return;
    }
    IACFUnknown* definition = nullptr;
    registration = registerPlugin(host.unknown(), &definition);
    if (definition) definition->Release();
    if (registration != ACF_OK) {
        problem = "the plug-in module refused to register: " + resultText(registration);
        return;
    }
    effectDescriptor = host.effect();
    if (!effectDescriptor) problem = "the plug-in module registered no effect";
}

PluginModule::~PluginModule() {
    if (!handle) return;
    if (shutdown) shutdown();
    // The module stays mapped until the process ends: its static objects
    // (the instrument library, the settings lock) are torn down by the
    // runtime after the host's own, and sanitizer reports can still name it.
}

std::string PluginModule::defaultPath(const char* argv0) {
    if (const char* fromEnvironment = std::getenv("ZORVANE_MODULE"); fromEnvironment && *fromEnvironment) return fromEnvironment;
    return modulePathBeside(argv0);
}

std::string modulePathBeside(const char* argv0) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error && argv0) self = std::filesystem::absolute(argv0, error);
    return (self.parent_path() / "Zorvane.so").string();
}
