// zorvane-gui-sheet --images <file.png>: a contact sheet of the interface
// images, for a person to look at.

#include <cstdio>
#include <string>

#include "gui-sheet/ImageSheet.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--images") return sheet::writeImageSheet(argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: zorvane-gui-sheet --images <file.png>\n");
    return 2;
}
