#pragma once
// A settings sandbox with an instrument folder that "InstrumentsPath" points
// to, and small instrument files to fill it with.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/BWRompler.h"
#include "engine/BWSampleZone.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "support/MessageCapture.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

class BWRomplerLibraryFixture : public testing::Test {
protected:
    BWRomplerLibraryFixture() {
        std::filesystem::create_directories(folder);
        pointLibraryAt(folder);
    }

    static void pointLibraryAt(const std::filesystem::path& where) {
        ASSERT_TRUE(setSettingString(SettingNames::kInstrumentsPath, where.string()));
    }

    // An instrument file of `zones` zones side by side: zone i holds keys
    // 10 i to 10 i + 9 (the last one up to 127) with a short mono sample.
    static void writeInstrument(const std::filesystem::path& file, int zones = 1) {
        std::filesystem::create_directories(file.parent_path());
        BWRompler instrument;
        for (int i = 0; i < zones; ++i) {
            BWSampleZone* zone = instrument.addZone();
            zone->setKeyRange(10 * i, i + 1 == zones ? 127 : 10 * i + 9);
            zone->setRootKey(10 * i + 5);
            const int16_t values[] = {int16_t(i + 1), int16_t(-i - 1), 3, -3};
            ASSERT_TRUE(zone->getSample().setData(values, nullptr, 4, 44100.0f));
            zone->getSample().setEmbedData(true);
        }
        ASSERT_TRUE(instrument.saveFile(file.c_str()));
    }

    static void writeText(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    SettingsSandbox settings;
    TempDir content;
    std::filesystem::path folder = content / "Instruments";
    MessageCapture messages;
};
