#include "BenchFolder.h"

#include <cstdlib>
#include <string>

#include "factory/FactoryContent.h"

const std::filesystem::path& benchFolder() {
    static const std::filesystem::path root = [] {
        char pattern[] = "/tmp/zorvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        const std::filesystem::path folder(made ? made : "/tmp");
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        setenv("ZORVANE_DOCUMENTS_DIR", (folder / "Documents").c_str(), 1);
        std::string error;
        writeFactoryContent(folder / "content", error);
        return folder;
    }();
    return root;
}
