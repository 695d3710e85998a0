#include "plugin/ConsistencyPass.h"

#include <filesystem>

#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/ConsistencyReport.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/Framework.h"
#include "platform/UserFolders.h"
#include "plugin/BWUniClient.h"

namespace {

struct PassContext {
    BWUniClient* core;
    void (*step)(const char* path, BWUniClient* core);
};

void visit(const char* path, void* context) {
    auto* pass = static_cast<PassContext*>(context);
    pass->step(path, pass->core);
}

// Walks one preset folder (its sub-folders' files first, then its own) and
// writes the report of that walk to the desktop.
void runPass(BWUniClient* core, const char* folderSetting, void (*step)(const char*, BWUniClient*)) {
    ConsistencyReport::Pass report(ConsistencyReport::process());
    report->clear();
    std::string folder;
    getSettingString(folderSetting, folder);
    appendBackslash(folder);
    PassContext context{core, step};
    if (!folder.empty()) BWFileio::listFiles(folder, visit, &context, 1);
    const std::filesystem::path desktop = platform::desktopFolder();
    std::error_code ignored;
    std::filesystem::create_directories(desktop, ignored);
    report->write(desktop.string());
}

// Loads the file into a chunk; false (with the account's line) when it fails.
bool loadsAsChunk(const char* path) {
    BWChunk chunk;
    if (chunk.loadFromFile(path, true)) return true;
    ConsistencyReport::process().append(formatString("\n LoadFail %s", path));
    return false;
}

}  // namespace

void collectPresetFiles(BWChunk* chunk, void*) { ConsistencyReport::process().collect(*chunk); }

void resaveConsistencyPreset(const char* path, BWUniClient* core) {
    if (!loadsAsChunk(path)) return;
    if (!hasSuffix(path, "zvp")) {
        ConsistencyReport::process().append(formatString("\n Wrong Format %s", path));
        return;
    }
    // A preset that did not apply is left as it is on disk: writing the
    // instance's state over it would replace it with another preset.
    if (!core->loadPresetFromFile(path, 0, nullptr, collectPresetFiles, nullptr)) return;
    core->getSystemInfo()->setTempo(ConsistencyReport::process().lastTempo());
    core->savePreset(path, 0, "zvp", getProductName(), nullptr);
}

void checkConsistencyFile(const char* path, BWUniClient*) {
    if (!loadsAsChunk(path)) return;
    if (!hasSuffix(path, "zvq"))
        ConsistencyReport::process().append(formatString("\n Wrong Format %s", path));
}

void BWUniClient::checkPresetConsistency() { runPass(this, "presetpath0", resaveConsistencyPreset); }

void BWUniClient::checkPresetConsistency1() { runPass(this, "presetpath1", checkConsistencyFile); }
