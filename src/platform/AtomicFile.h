#pragma once
// Replacing a file so that no reader and no crash ever sees it half written:
// the bytes go to a temporary file beside the target, which is flushed to
// disk and then renamed over the target.

#include <filesystem>
#include <string_view>

namespace platform {

// Writes the bytes as the whole new content of target.  False when any step
// fails; the target then keeps its old content and no temporary file is left.
// Any thread but the audio thread.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace platform
