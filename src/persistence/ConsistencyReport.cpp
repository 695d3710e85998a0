#include "persistence/ConsistencyReport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/PathStrings.h"

namespace {

std::vector<std::string> sortedOnce(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

std::string formatString(const char* format, ...) {
    char small[128];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (n >= 0 && size_t(n) < sizeof small) {
        text = small;
    } else if (n >= 0) {
        text.resize(size_t(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(size_t(n));
    }
    va_end(again);
    return text;
}

ConsistencyReport::Pass::Pass(ConsistencyReport& r) : hold(r.passLock), report(r) {}

ConsistencyReport& ConsistencyReport::process() {
    static ConsistencyReport report;
    return report;
}

void ConsistencyReport::clear() {
    missing.clear();
    used.clear();
    perPreset.clear();
}

void ConsistencyReport::collect(BWChunk& chunk) {
    tempo = chunk.getTempo();
    if (!chunk.missingFiles().empty()) {
        perPreset += "\n" + chunk.getSourcePath();
        for (const std::string& file : chunk.missingFiles()) {
            perPreset += " " + file + " ";
            missing.push_back(file);
        }
    }
    used.insert(used.end(), chunk.usedFiles().begin(), chunk.usedFiles().end());
}

bool ConsistencyReport::write(const std::string& folder) const {
    std::string text = "Missing:\n";
    for (const std::string& file : sortedOnce(missing)) text += "missing " + file + "\n";
    text += "\nFiles in use:\n";
    for (const std::string& file : sortedOnce(used)) text += "used " + file + "\n";
    text += "\nMissing per Preset:\n " + perPreset;
    std::string path = folder;
    appendBackslash(path);
    path += "Consistency.txt";
    return BWFileio::writeWhole(path.c_str(), text.data(), text.size());
}
