#include "persistence/PathStrings.h"

#include <cstring>

namespace {

// Index of the last separator at or after `from`, or npos.
size_t lastSeparator(std::string_view path, size_t from = 0) {
    for (size_t i = path.size(); i > from; --i)
        if (isPathSeparator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

}  // namespace

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

bool appendBackslash(std::string& path) {
    if (path.empty() || isPathSeparator(path.back())) return false;
    path += '/';
    return true;
}

bool hasSuffix(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }

std::string getFileName(std::string_view path) {
    const size_t separator = lastSeparator(path);
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string getBaseName(std::string_view path) {
    const std::string name = getFileName(path);
    return name.substr(0, name.rfind('.'));
}

std::string getFolderName(std::string_view path) {
    const size_t last = lastSeparator(path);
    if (last == std::string_view::npos || last == 0) return std::string(path);
    const size_t before = lastSeparator(path.substr(0, last));
    if (before == std::string_view::npos) return std::string(path);
    return std::string(path.substr(before + 1, last - before - 1));
}

void stripFileName(std::string& path) {
    const size_t separator = lastSeparator(path, 1);
    path.resize(separator == std::string_view::npos ? 0 : separator + 1);
}

void replaceExtension(std::string& path, std::string_view extension) {
    const size_t separator = lastSeparator(path);
    const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const size_t dot = path.find('.', nameStart);
    if (dot != std::string::npos) path.resize(dot);
    if (!extension.starts_with('.')) path += '.';
    path += extension;
}

bool hasExtension(std::string_view name, const char* extension) {
    if (name.size() < 2) return false;
    size_t pending = extension ? std::strlen(extension) : 0;  // characters not yet compared
    for (size_t i = name.size() - 1; i >= 2; --i) {
        const char c = name[i];
        if (pending > 1) {
            if (c != extension[pending - 1]) return false;
            --pending;
        }
        if (isPathSeparator(c)) return false;
        if (c == '.') return true;
    }
    return false;
}

std::string toLowerCopy(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string toUpperCopy(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}
