#pragma once
// A private folder under the temporary folder for harnesses whose readers
// follow paths to real files; removed with everything in it when the
// process ends normally.

#include <cstdlib>
#include <filesystem>
#include <string>

class TempFolder {
public:
    explicit TempFolder(const char* name) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) base = "/tmp";
        std::string pattern = (base / (std::string("zorvane-") + name + "-XXXXXX")).string();
        if (mkdtemp(pattern.data())) folder = pattern;
    }
    ~TempFolder() {
        std::error_code error;
        if (!folder.empty()) std::filesystem::remove_all(folder, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool exists() const { return !folder.empty(); }
    std::filesystem::path operator/(const std::string& name) const { return folder / name; }
    const std::filesystem::path& path() const { return folder; }

private:
    std::filesystem::path folder;
};
