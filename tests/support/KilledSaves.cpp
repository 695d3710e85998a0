#include "support/KilledSaves.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/WriterTemporary.h"
#include "support/ChildProcess.h"

namespace fs = std::filesystem;

std::string versionBytes(uint32_t version) {
    const uint32_t length = 8 + (version * 7919u) % 90000u;
    std::string bytes(length, '\0');
    std::memcpy(bytes.data(), &length, 4);
    std::memcpy(bytes.data() + 4, &version, 4);
    for (uint32_t i = 8; i < length; ++i) bytes[i] = char(version * 31u + i * 7u + (i >> 8));
    return bytes;
}

std::optional<uint32_t> wholeVersion(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    const std::string bytes = text.str();
    uint32_t version = 0;
    if (bytes.size() >= 8) std::memcpy(&version, bytes.data() + 4, 4);
    return bytes.size() >= 8 && bytes == versionBytes(version) ? std::optional(version) : std::nullopt;
}

KilledSavesTally killWhileSaving(const fs::path& file, int kills, const std::function<void(uint32_t)>& save) {
    KilledSavesTally tally;
    std::mt19937 random(20261207);
    const std::optional<uint32_t> first = wholeVersion(file);
    EXPECT_TRUE(first.has_value()) << file;
    uint32_t latest = first.value_or(0);
    for (int kill = 0; kill < kills; ++kill) {
        int started[2];
        if (pipe(started) != 0) {
            ADD_FAILURE() << "no pipe";
            break;
        }
        const pid_t child = forkRunning([&] {
            std::freopen("/dev/null", "w", stderr);  // the saver's own chatter, thousands of times over
            // Says when the first save is done, so that a slow start under
            // load does not take up the time the kill is spread over.
            for (uint32_t version = latest + 1;; ++version) {
                save(version);
                if (version == latest + 1) (void)!write(started[1], "!", 1);
            }
        });
        close(started[1]);
        char byte;
        (void)!read(started[0], &byte, 1);
        close(started[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        killAndReap(child);
        const std::optional<uint32_t> version = wholeVersion(file);
        if (!version || *version < latest) {
            ADD_FAILURE() << "kill " << kill << " left " << file << " torn or older";
            break;
        }
        tally.advanced += *version > latest;
        latest = *version;
        int temporaries = 0;
        for (const auto& entry : fs::directory_iterator(file.parent_path())) {
            const auto owner = platform::writerTemporaryOwner(entry.path().filename().string());
            temporaries += owner.has_value();
            tally.insideSave += owner == child;
        }
        EXPECT_LE(temporaries, 1) << "kill " << kill;  // at most this child's: it swept the earlier ones
    }
    std::cout << "[          ] " << kills << " kills: " << tally.insideSave << " inside a save, " << tally.advanced
              << " after a new version\n";
    return tally;
}
