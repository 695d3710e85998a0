#include "plugin/BWPluginBase.h"

#include <array>

#include "persistence/PathStrings.h"
#include "persistence/SettingNames.h"
#include "persistence/SettingsKey.h"
#include "platform/UserFolders.h"

namespace {

// Searched in this order; the first name found decides.
struct VendorName {
    const char* name;
    int32_t code;
};
constexpr VendorName kVendorNames[] = {
    {"brindlewick", kHostBrindlewick},
    {"native instruments", kHostNativeInstruments},
    {"native-instruments", kHostNativeInstruments},
    {"fxpansion", kHostFxpansion},
    {"atomix", kHostAtomix},
    {"steinberg", kHostSteinberg},
    {"presonus", kHostPresonus},
    {"ableton", kHostAbleton},
    {"avid", kHostAvid},
};

constexpr int32_t kHostPrivateOpcode = 1234567;

// Hosts write at most 64 characters; the rest of the buffer is slack for
// those that do not keep to it.
constexpr size_t kVendorTextSize = 256;

// The products whose library folders this base sets up.
bool hasLibraryFolders(std::string_view productName) {
    return productName == "Zorvane" || productName == "Mirelle" || productName == "Strumvale";
}

// "<base without its final separator> Library/<folder>/".
std::string libraryFolder(std::string base, std::string_view folder) {
    if (!base.empty() && isPathSeparator(base.back())) base.pop_back();
    base += " Library";
    appendBackslash(base);
    base += folder;
    appendBackslash(base);
    return base;
}

}  // namespace

int32_t hostCodeFromVendor(std::string_view vendorText) {
    const std::string lower = toLowerCopy(vendorText);
    for (const VendorName& vendor : kVendorNames)
        if (lower.find(vendor.name) != std::string::npos) return vendor.code;
    return kHostUnknown;
}

BWPluginBase::BWPluginBase(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams,
                           bool hostPrivate)
    : AudioEffectX(audioMaster, numPrograms, numParams), hostPrivate(hostPrivate) {}

void BWPluginBase::detectHostVendor() {
    std::array<char, kVendorTextSize> text{};
    if (!getHostVendorString(text.data())) text[0] = '\0';
    text.back() = '\0';
    hostCode = hostCodeFromVendor(text.data());
}

bool BWPluginBase::setBypass(bool onOff) {
    bypass.store(onOff, std::memory_order_relaxed);
    return onOff;
}

void BWPluginBase::hostPrivateCall() {
    if (hostPrivate && audioMaster) callHost(kHostPrivateOpcode);
}

void BWPluginBase::setupPaths(std::string_view productName, bool writeLibraryPaths, bool /*unused*/) {
    SettingsKey key(productName);  // when it cannot be opened the writes below do nothing
    std::string contentPath = platform::documentsFolder().string();
    appendBackslash(contentPath);
    contentPath += kMakerName;
    contentPath += '/';
    contentPath += productName;
    appendBackslash(contentPath);
    key.setString(SettingNames::kContentPath, contentPath);

    if (writeLibraryPaths && hasLibraryFolders(productName)) {
        std::string base;
        if (!key.getString(SettingNames::kInstallPath, base)) base = contentPath;
        const std::string instruments = libraryFolder(base, "Instrument");
        key.setString(SettingNames::kInstrumentsPath, instruments);
        if (productName == "Mirelle") {
            if (!key.getString(SettingNames::kInstallPath, base)) base = instruments;
            key.setString(SettingNames::kSamplesPath, libraryFolder(base, "Samples"));
        }
    }
    key.writeDword(SettingNames::kUpdatePaths, 0);
}
