#pragma once
// The file paths of a "text/uri-list" (what other programs offer when files
// are dragged): one URI a line, "#" lines are comments, only "file:" URIs
// count ("file:///path" or "file://host/path"), percent escapes decoded.
// Any bytes are accepted; what is no file URI is left out.

#include <string>
#include <vector>

namespace platform {

std::vector<std::string> pathsOfUriList(const std::string& list);

}  // namespace platform
