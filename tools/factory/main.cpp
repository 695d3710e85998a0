// zorvane-factory <output folder>: writes the factory instruments, their
// samples, presets and chord banks into the folder (see FactoryContent.h and
// FactoryPresets.h).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "ToolArguments.h"
#include "factory/FactoryContent.h"
#include "factory/FactoryPresets.h"
#include "platform/Framework.h"

namespace {

const char* const kUsage =
    "usage: zorvane-factory FOLDER\n"
    "  Writes the factory instruments (\"Soft Keys\", \"Warm Pad\", \"Nylon Pluck\",\n"
    "  \"Round Bass\") into FOLDER/Instruments/Factory, their samples into\n"
    "  FOLDER/Samples/Factory, and the factory presets into FOLDER/Global Presets\n"
    "  (the banks \"Factory\" and \"MIDI PROGRAMS\"), FOLDER/Sounds, FOLDER/Sequences\n"
    "  and FOLDER/Chord Banks: a content folder for zorvane-host --content.\n";

// The presets are saved by instances of the plug-in object, which read and
// write the settings and make their default folders as they start.  They
// get settings and documents folders of their own for the run, so that the
// person's own are never touched.
class ScratchUserFolders {
public:
    ScratchUserFolders() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-factory-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        folder = pattern;
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        setenv("ZORVANE_DOCUMENTS_DIR", (folder / "Documents").c_str(), 1);
        setenv("ZORVANE_DESKTOP_DIR", (folder / "Desktop").c_str(), 1);
    }
    ~ScratchUserFolders() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    ScratchUserFolders(const ScratchUserFolders&) = delete;
    ScratchUserFolders& operator=(const ScratchUserFolders&) = delete;
    bool ready() const { return !folder.empty(); }

private:
    std::filesystem::path folder;
};

}  // namespace

int main(int argc, char** argv) {
    const ToolArguments args = readToolArguments(argc, argv, "zorvane-factory", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    const ScratchUserFolders scratch;
    std::string error;
    if (!scratch.ready()) error = "cannot make a temporary folder";
    if (error.empty()) {
        initFramework(defaultProductInfo(), 1, true);
        if (writeFactoryContent(args.path, error)) writeFactoryPresets(args.path, error);
    }
    if (error.empty()) return 0;
    std::fprintf(stderr, "zorvane-factory: %s\n", error.c_str());
    return 1;
}
