#include "ProgramRuns.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/TempDir.h"

int run(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof(buffer), pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runMeasured(const std::string& command, std::string& output, long& peakKilobytes) {
    static const std::string kPeak = "peak resident memory ";
    const int status = run("/usr/bin/time -f '" + kPeak + "%M kB' " + command, output);
    const size_t at = output.rfind(kPeak);
    peakKilobytes = at == std::string::npos ? -1 : std::atol(output.c_str() + at + kPeak.size());
    return status;
}

const std::vector<uint8_t>& demoState() {
    static const std::vector<uint8_t> bytes = [] {
        TempDir folder;
        const std::string path = (folder.path() / "demo.state").string();
        std::string output;
        if (run("ZORVANE_SETTINGS_DIR=" + folder.str() + "/settings " + kDemoStateProgram + " " + path, output) != 0) return std::vector<uint8_t>();
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
