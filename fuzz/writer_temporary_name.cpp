// Feeds arbitrary bytes as a file name to the recogniser of the atomic
// writer's temporaries, which reads the names of whatever lies in a folder;
// and makes a temporary name for the bytes as a target, which must be
// recognised as the writer's own.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/WriterTemporary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    platform::writerTemporaryOwner(name);
    if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos ||
        name == "." || name == "..")
        return 0;
    const pid_t pid = 1 + pid_t(size % 4194304);
    const std::string temporary = platform::writerTemporaryFor("folder/" + name, pid, unsigned(size)).filename().string();
    if (platform::writerTemporaryOwner(temporary) != pid || temporary.size() > 255) std::abort();
    return 0;
}
