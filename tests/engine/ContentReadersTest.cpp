// Every reader of content files (presets and chord banks, instruments,
// samples) answers at once when the path names no regular file: a named
// pipe in a content folder, a link to one, or a socket never holds the
// plug-in waiting for a writer.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/AudioFile.h"
#include "engine/BWRompler.h"
#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/BWStreamChunk.h"
#include "support/HangWatchdog.h"
#include "support/MessageCapture.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

namespace fs = std::filesystem;

TEST(ContentReaders, RefuseNamedPipesSocketsAndLinksToThemAtOnce) {
    const HangWatchdog watchdog;
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_symlink(dir / "pipe", dir / "link");
    ASSERT_TRUE(makeSocketFile(dir / "socket"));

    const struct {
        const char* reader;
        std::function<bool(const char* path)> reads;
    } readers[] = {
        {"preset or chord bank", [](const char* path) { return BWChunk().loadFromFile(path, true); }},
        {"preset header", [](const char* path) {
             char header[20];
             return BWFileio::readWhole(path, header, sizeof header);
         }},
        {"instrument stream", [](const char* path) { return BWStreamChunk().openForReading(path); }},
        {"instrument", [](const char* path) { return BWRompler().loadFile(path); }},
        {"sample", [](const char* path) { return AudioFile().open(path) != kAudioCannotOpen; }},
    };
    for (const auto& r : readers)
        for (const char* name : {"pipe", "link", "socket"}) {
            MessageCapture messages;
            EXPECT_FALSE(r.reads((dir / name).c_str())) << r.reader << " " << name;
        }
}
