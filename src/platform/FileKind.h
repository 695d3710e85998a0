#pragma once
// What a path names when it is not a regular file, in the words the
// readers' and the writer's refusals use ("it is a named pipe, ...").

#include <sys/stat.h>

namespace platform {

inline const char* describeFileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "something other than a file";
}

}  // namespace platform
