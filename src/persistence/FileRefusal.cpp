#include "persistence/FileRefusal.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "persistence/BWFileio.h"
#include "platform/Framework.h"

std::string unreadableFileReason(const std::string& file) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (!std::filesystem::exists(status)) return "The file could not be found:";
    if (!std::filesystem::is_regular_file(status)) return "This is no file to load:";
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size == 0) return "The file is empty:";
    if (BWFileio::fileSize(file.c_str()) == 0) return "The file could not be read:";
    char text[128];
    std::snprintf(text, sizeof text, "\t This is no valid %s format!", getProductName());
    return text;
}

void refuseFile(const std::string& reason, const std::string& file) { AlertPrintf("%s\n%s", reason.c_str(), file.c_str()); }
