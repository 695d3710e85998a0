#include "platform/FileFilters.h"

#include <algorithm>

namespace platform {

namespace {
constexpr size_t kMaxJoined = 100;

std::string dosExtension(const FileDialogType& type) {
    const std::string& e = type.dotExtension;
    return !e.empty() && e[0] == '.' ? e.substr(1) : e;
}
}  // namespace

std::vector<FileFilter> buildFileFilters(const std::vector<FileDialogType>& types) {
    std::vector<FileFilter> filters;
    std::vector<std::string> distinct;
    for (const FileDialogType& type : types) {
        const std::string dos = dosExtension(type);
        std::string pattern = "*." + dos;
        if (!type.unixType.empty() && type.unixType != dos) pattern += ";*." + type.unixType;
        filters.push_back({type.name + " (*." + dos + ")", pattern});
        if (distinct.size() < kMaxJoined && std::find(distinct.begin(), distinct.end(), dos) == distinct.end())
            distinct.push_back(dos);
    }
    if (distinct.size() >= 2) {
        std::string joined;
        for (const std::string& dos : distinct) joined += (joined.empty() ? "*." : ";*.") + dos;
        filters.push_back({"All Types: (" + joined + ")", joined});
    }
    filters.push_back({"Any Type (*.*)", "*.*"});
    return filters;
}

}  // namespace platform
