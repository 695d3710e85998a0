// zorvane-factory <output folder>: writes the factory instruments and their
// samples into the folder (see FactoryContent.h).

#include <cstdio>
#include <string>

#include "ToolArguments.h"
#include "factory/FactoryContent.h"

namespace {

const char* const kUsage =
    "usage: zorvane-factory FOLDER\n"
    "  Writes the factory instruments (\"Soft Keys\", \"Warm Pad\", \"Nylon Pluck\",\n"
    "  \"Round Bass\") into FOLDER/Instruments and their samples into\n"
    "  FOLDER/Samples/Factory: a content folder for zorvane-host --content.\n";

}  // namespace

int main(int argc, char** argv) {
    const ToolArguments args = readToolArguments(argc, argv, "zorvane-factory", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    std::string error;
    if (!writeFactoryContent(args.path, error)) {
        std::fprintf(stderr, "zorvane-factory: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
