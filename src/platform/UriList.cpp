#include "platform/UriList.h"

namespace platform {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> pathsOfUriList(const std::string& list) {
    std::vector<std::string> paths;
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find('\n', at);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 5, "file:") != 0) continue;
        std::string rest = line.substr(5);
        if (rest.compare(0, 2, "//") == 0) {
            const size_t slash = rest.find('/', 2);
            rest = slash == std::string::npos ? std::string() : rest.substr(slash);
        }
        std::string path = decoded(rest);
        if (!path.empty() && path.find('\0') == std::string::npos) paths.push_back(path);
    }
    return paths;
}

}  // namespace platform
