#pragma once
// What the preset consistency pass gathers while it walks the preset
// folders: the files the presets miss, the files they use, a per-preset
// account, and the tempo of the preset last loaded.  One process-wide report
// that a pass holds for its whole run, so that two instances running the
// pass at once take turns instead of mixing their lists.  GUI thread.

#include <mutex>
#include <string>
#include <vector>

class BWChunk;

class ConsistencyReport {
public:
    // The report and the pass's right to it, held for one pass.
    class Pass {
    public:
        explicit Pass(ConsistencyReport& report);
        ConsistencyReport* operator->() const { return &report; }

    private:
        std::lock_guard<std::mutex> hold;
        ConsistencyReport& report;
    };

    static ConsistencyReport& process();

    void clear();
    void append(const std::string& text) { perPreset += text; }
    // Takes a loaded preset's tempo and the files it missed and used.
    void collect(BWChunk& chunk);
    // Writes "Consistency.txt" into the folder: the missing and the used
    // files (sorted, each once) and the per-preset account.  False when the
    // file could not be written.
    bool write(const std::string& folder) const;

    float lastTempo() const { return tempo; }
    const std::string& perPresetText() const { return perPreset; }

private:
    std::mutex passLock;
    std::vector<std::string> missing;
    std::vector<std::string> used;
    std::string perPreset;
    float tempo = -1.0f;
};

// printf-style formatting into a string of any length.
std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
