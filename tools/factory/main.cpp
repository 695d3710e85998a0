// zorvane-factory <output folder>: writes the factory instruments and their
// samples into the folder (see FactoryContent.h).

#include <cstdio>
#include <string>

#include "factory/FactoryContent.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argc > 0 ? argv[0] : "zorvane-factory");
        return 2;
    }
    std::string error;
    if (!writeFactoryContent(argv[1], error)) {
        std::fprintf(stderr, "zorvane-factory: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
