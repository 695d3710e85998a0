// Runs a fuzz target over every file of the folders (or files) it is given, so
// that the regression corpus runs as an ordinary test under the sanitizers.
//
// For a target that reuses one subject between inputs (ReusedSubject.h) it
// also proves the reuse sound: every input, and a few mutations of each made
// the same way every time, runs on the reused subject and then on a fresh
// one, and any difference in what the two observed fails the replay.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) void ZorvaneWantDigests();
extern "C" __attribute__((weak)) int ZorvaneFreshSubjectAgrees(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

constexpr int kMutantsPerInput = 6;

std::vector<uint8_t> readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A flipped byte, a word of an edge value, a cut, or a repeated stretch.
std::vector<uint8_t> mutated(std::vector<uint8_t> bytes, std::mt19937& random) {
    if (bytes.empty()) return {uint8_t(random())};
    const size_t at = random() % bytes.size();
    switch (random() % 4) {
        case 0: bytes[at] ^= uint8_t(1u << (random() % 8)); break;
        case 1: {
            static constexpr uint32_t kEdges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x7FC00000, 4096};
            const uint32_t word = kEdges[random() % std::size(kEdges)];
            for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) bytes[at + i] = uint8_t(word >> (8 * i));
            break;
        }
        case 2: bytes.resize(at); break;
        default: {
            const size_t length = std::min<size_t>(1 + random() % 64, bytes.size() - at);
            const std::vector<uint8_t> stretch(bytes.begin() + long(at), bytes.begin() + long(at + length));
            bytes.insert(bytes.begin() + long(at), stretch.begin(), stretch.end());
            break;
        }
    }
    return bytes;
}

int disagreements = 0;

void replay(const std::vector<uint8_t>& bytes, const std::string& name) {
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    if (ZorvaneFreshSubjectAgrees && !ZorvaneFreshSubjectAgrees(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "%s: the reused subject and a fresh one observed different things\n", name.c_str());
        ++disagreements;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::recursive_directory_iterator(path))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else if (fs::is_regular_file(path)) {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    if (ZorvaneWantDigests) ZorvaneWantDigests();
    std::mt19937 random(20260511);
    size_t count = 0;
    for (const fs::path& file : files) {
        const std::vector<uint8_t> bytes = readAll(file);
        replay(bytes, file.string());
        ++count;
        if (!ZorvaneFreshSubjectAgrees) continue;
        for (int k = 0; k < kMutantsPerInput; ++k, ++count)
            replay(mutated(bytes, random), file.string() + " mutation " + std::to_string(k));
    }
    // An empty input is always worth one run.
    replay({}, "the empty input");
    std::printf("replayed %zu inputs%s\n", count + 1,
                ZorvaneFreshSubjectAgrees ? ", each on the reused subject and on a fresh one" : "");
    return disagreements == 0 ? 0 : 1;
}
