#include "plugin/BWPluginBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/PluginTestSupport.h"
#include "core/VstOpcodes.h"
#include "persistence/Settings.h"
#include "support/RecordingHost.h"

namespace {

const char* vendorAnswer = nullptr;  // null: the host does not answer

intptr_t vendorHost(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    if (opcode != HostOpcode::GetVendorString || !vendorAnswer) return 0;
    std::strcpy(static_cast<char*>(ptr), vendorAnswer);
    return 1;
}

}  // namespace

TEST(BWPluginBase, HostCodeIsTheFirstMakerFoundInTheLowerCasedVendorText) {
    const std::pair<const char*, int32_t> cases[] = {
        {"Native Instruments GmbH", 2}, {"native-instruments", 2},   {"Steinberg Media Technologies", 6},
        {"Avid", 9},                    {"", 0},                     {"ABLETON", 8},
        {"Steinberg for Avid", 6},      {"Brindlewick", 1},          {"FXpansion", 4},
        {"ATOMIX productions", 5},      {"PreSonus Audio", 7},       {"Bitwig", 0},
        {"nativeinstruments", 0},       {"Ableton & Avid", 8},
    };
    for (const auto& [vendor, code] : cases) {
        EXPECT_EQ(hostCodeFromVendor(vendor), code) << vendor;
        vendorAnswer = vendor;
        TestPluginBase plugin(vendorHost);
        plugin.detectHostVendor();
        EXPECT_EQ(plugin.getHostCode(), code) << vendor;
    }
    vendorAnswer = nullptr;  // a host that does not answer, and no host at all
    TestPluginBase silentHost(vendorHost), noHost;
    silentHost.detectHostVendor();
    noHost.detectHostVendor();
    EXPECT_TRUE(silentHost.getHostCode() == kHostUnknown && noHost.getHostCode() == kHostUnknown);
}

TEST(BWPluginBase, BypassAndThePrivateRequest) {
    RecordingHost host;
    TestPluginBase plain(RecordingHost::callback), hostPrivate(RecordingHost::callback, true);
    EXPECT_TRUE(plain.setBypass(true) && plain.isBypassed());
    EXPECT_FALSE(plain.dispatcher(EffectOpcode::SetBypass, 0, 0, nullptr, 0.0f) || plain.isBypassed());

    plain.hostPrivateCall();
    EXPECT_TRUE(host.requests().empty());
    hostPrivate.hostPrivateCall();
    ASSERT_EQ(host.requests().size(), 1u);
    EXPECT_EQ(host.requests()[0], (HostRequest{hostPrivate.getAeffect(), 1234567, 0, 0, nullptr, 0.0f}));
    EXPECT_EQ(TestPluginBase().getCurrentProgramName(), "implement");
}

TEST(BWPluginBase, SetupPathsWritesTheContentAndLibraryFolders) {
    struct Case {
        const char* product;
        bool writeLibraryPaths;
        const char* installPath;  // null: missing
        const char* instruments;  // "<docs>" stands for the documents folder
        const char* samples;
    };
    const Case cases[] = {
        {"Zorvane", false, nullptr, "<missing>", "<missing>"},
        {"Zorvane", true, nullptr, "<docs>/Brindlewick/Zorvane Library/Instrument/", "<missing>"},
        {"Zorvane", true, "/opt/Zorvane/", "/opt/Zorvane Library/Instrument/", "<missing>"},
        {"Zorvane", true, "/opt/Zorvane", "/opt/Zorvane Library/Instrument/", "<missing>"},
        {"Zorvane", true, "C:\\Prog\\Zorvane\\", "C:\\Prog\\Zorvane Library/Instrument/", "<missing>"},
        {"Strumvale", true, "/opt/S/", "/opt/S Library/Instrument/", "<missing>"},
        {"Mirelle", true, "/opt/M/", "/opt/M Library/Instrument/", "/opt/M Library/Samples/"},
        {"Mirelle", true, nullptr, "<docs>/Brindlewick/Mirelle Library/Instrument/",
         "<docs>/Brindlewick/Mirelle Library/Instrument Library/Samples/"},
        {"Other", true, "/opt/O/", "<missing>", "<missing>"},
    };
    for (const Case& c : cases) {
        UserFoldersSandbox sandbox;
        const auto expand = [&](std::string text) {
            if (text.rfind("<docs>", 0) == 0) text.replace(0, 6, sandbox.documents());
            return text;
        };
        SettingsKey key(c.product);
        ASSERT_TRUE(key.writeDword("updatePathes", 1));
        if (c.installPath) {
            ASSERT_TRUE(key.setString("installpath", c.installPath));
        }

        TestPluginBase().setupPaths(c.product, c.writeLibraryPaths, true);
        SCOPED_TRACE(std::string(c.product) + " " + (c.installPath ? c.installPath : "(no install path)"));
        EXPECT_EQ(sandbox.value("contentpath", c.product), expand("<docs>/Brindlewick/") + c.product + "/");
        EXPECT_EQ(sandbox.value("InstrumentsPath", c.product), expand(c.instruments));
        EXPECT_EQ(sandbox.value("SamplesPath", c.product), expand(c.samples));
        uint32_t update = 7;
        EXPECT_TRUE(key.readDword("updatePathes", &update) && update == 0);
    }
}
