// A sample chunk that refers to an audio file: the harness writes the input's
// bytes as the file the chunk names, in a folder of its own, then reads the
// chunk.  The sample must hold exactly what the audio file reader takes from
// the file, or nothing with the reference kept, and a referring sample must
// write a chunk that reads back the same.
//
// Input: one control byte, then the audio file's bytes.  The control byte's
// bits: 0 spells the path with "\" separators, 1 turns the loop on, 2 stores
// the chunk without its marker, 3 and up give the loop start.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/AudioFile.h"
#include "engine/BWSampleData.h"
#include "persistence/BWChunk.h"
#include "support/Check.h"
#include "support/QuietMessages.h"
#include "support/SavedWords.h"
#include "support/TempFolder.h"

namespace {

std::vector<uint32_t> referenceWords(const std::string& path, uint8_t control) {
    std::vector<uint32_t> words;
    if ((control & 4) == 0) words = {BWSampleData::kMarker, 1};
    const uint32_t loopStart = control >> 3;
    words.insert(words.end(), {1000, 0, loopStart, loopStart + 64, (control & 2) ? 1u : 0u});
    words.push_back(uint32_t(path.size()));
    const size_t at = words.size();
    words.resize(at + (path.size() + 3) / 4, 0);
    std::memcpy(words.data() + at, path.data(), path.size());
    return words;
}

// What the importer must take from the file: the exact 16-bit values, or
// nothing (frames -1).
struct Expected {
    int32_t frames = -1;
    int32_t channels = 0;
    std::vector<int16_t> left, right;
};

Expected expectedFrom(const std::string& path) {
    Expected expected;
    AudioFile file;
    if (file.open(path.c_str()) != kAudioOpened) return expected;
    const int32_t rate = file.getSampleRate();
    if (rate < 1 || rate > 1000000) return expected;
    // Room for one value more, so that no frames still give arrays to read into.
    expected.left.resize(size_t(file.getFrames()) + 1);
    expected.right.resize(size_t(file.getFrames()) + 1);
    if (file.readExactInt16(expected.left.data(), expected.right.data()) != 1) return expected;
    expected.left.pop_back();
    expected.right.pop_back();
    expected.frames = file.getFrames();
    expected.channels = file.getChannels();
    return expected;
}

void checkHolds(const BWSampleData& sample, const Expected& expected, const std::string& reference) {
    check(sample.getFileName() == reference && !sample.isEmbedData(), "the sample keeps its reference");
    if (expected.frames < 0) {
        check(sample.getFrames() == 0, "a file that does not import leaves the sample empty");
        return;
    }
    check(sample.getFrames() == expected.frames, "the sample holds the file's frames");
    check(sample.isStereo() == (expected.channels == 2 && expected.frames > 0), "the sample has the file's channels");
    if (expected.frames == 0) return;
    check(std::equal(expected.left.begin(), expected.left.end(), sample.getLeft()), "left values as in the file");
    check(!sample.isStereo() || std::equal(expected.right.begin(), expected.right.end(), sample.getRight()),
          "right values as in the file");
    check(!sample.isLoopOn() || sample.getLoopStart() < uint32_t(sample.getFrames()), "the loop starts in the sample");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quietMessages();
    static TempFolder folder("sample_reference");
    if (size == 0 || size > (1u << 20) || !folder.exists()) return 0;
    const uint8_t control = data[0];
    const std::string path = (folder / "take one.wav").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
        if (!out) return 0;
    }
    std::string reference = path;
    if (control & 1) std::replace(reference.begin(), reference.end(), '/', '\\');

    std::vector<uint32_t> words = referenceWords(reference, control);
    BWChunk chunk(words.data(), uint32_t(words.size() * 4));
    chunk.setRecordingFiles(true);
    BWSampleData sample;
    const int32_t result = sample.readChunk(&chunk, false);
    const Expected expected = expectedFrom(path);
    check(result == (expected.frames >= 0 ? kChunkReadOk : kChunkReadFailed), "the read tells whether the file imported");
    check(chunk.getPosition() == words.size(), "the read takes the whole chunk");
    const auto& listed = expected.frames >= 0 ? chunk.usedFiles() : chunk.missingFiles();
    check(listed.size() == 1 && listed[0] == reference, "the file is listed as used or missing");
    checkHolds(sample, expected, reference);

    // Written again, the sample still refers to the file and reads back the same.
    std::vector<uint32_t> written = wordsOf(sample);
    BWChunk again(written.data(), uint32_t(written.size() * 4));
    BWSampleData copy;
    const int32_t reread = copy.readChunk(&again, false);
    check(expected.frames <= 0 || reread == kChunkReadOk, "the written reference reads back");
    check(reread != kChunkReadOk || wordsOf(copy) == written, "the read-back sample writes the same");
    return 0;
}
