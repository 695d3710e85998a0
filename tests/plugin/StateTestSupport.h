#pragma once
// Chunks of a live instance as words, and hand-made state bodies in the
// stored layout, for the state and preset tests.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/BWUniClient.h"

inline std::vector<uint32_t> chunkWords(BWUniClient& instance) {
    void* data = nullptr;
    const int32_t bytes = instance.getChunk(&data, false);
    std::vector<uint32_t> words(size_t(bytes) / 4);
    if (bytes > 0) std::memcpy(words.data(), data, size_t(bytes));
    return words;
}

inline std::vector<uint32_t> stateWords(BWUniClient& instance, int32_t kind) {
    BWChunk chunk;
    instance.saveStateToChunk(&chunk, kind, nullptr);
    std::vector<uint32_t> words(chunk.getDataLength());
    std::memcpy(words.data(), chunk.getWords(), words.size() * 4);
    return words;
}

inline int32_t applyWords(BWUniClient& instance, std::vector<uint32_t> words) {
    return instance.setChunk(words.data(), int32_t(words.size() * 4), false);
}

// Appends words in the stored forms; header() fixes the length word.
struct WordWriter {
    std::vector<uint32_t> words;

    WordWriter& put(int32_t w) {
        words.push_back(uint32_t(w));
        return *this;
    }
    WordWriter& real(float f) {
        uint32_t w;
        std::memcpy(&w, &f, 4);
        words.push_back(w);
        return *this;
    }
    WordWriter& text(const std::string& s) {
        put(int32_t(s.size()));
        std::vector<uint32_t> padded((s.size() + 3) / 4, 0);
        std::memcpy(padded.data(), s.data(), s.size());
        words.insert(words.end(), padded.begin(), padded.end());
        return *this;
    }
    static WordWriter header(uint32_t format = 26101977) {
        WordWriter w;
        w.put(0).put(9).real(120.0f).real(44100.0f).put(int32_t(format));
        return w;
    }
    std::vector<uint32_t> done() {
        words[0] = uint32_t(words.size());
        return words;
    }
};
