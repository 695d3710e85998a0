#pragma once
// Counts the files renamed into a folder while the watch lives: how often
// the atomic writer replaced a file there.  Linux inotify.

#include <filesystem>
#include <map>
#include <string>

class RenameWatch {
public:
    explicit RenameWatch(const std::filesystem::path& folder);
    ~RenameWatch();
    RenameWatch(const RenameWatch&) = delete;
    RenameWatch& operator=(const RenameWatch&) = delete;

    // Renames onto that name since the watch began.
    int renamesOnto(const std::string& name);

private:
    int descriptor;
    std::map<std::string, int> counts;
};
