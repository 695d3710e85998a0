#include "host/TreeRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Far deeper than the folders removed here (a settings store is three deep);
// what lies deeper is left.
constexpr int kDeepest = 16;
constexpr size_t kListingBytes = 2048;
// A listing read while its entries go may pass some over: the folder is
// listed again until a listing finds nothing, this many times at most.
constexpr int kListings = 8;

bool emptyFolder(int folder, int depth);

void removeEntry(int folder, const char* name, int depth) {
    if (unlinkat(folder, name, 0) == 0 || errno != EISDIR) return;
    if (depth < kDeepest) {
        const int inner = openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (inner >= 0) {
            emptyFolder(inner, depth + 1);
            close(inner);
        }
    }
    unlinkat(folder, name, AT_REMOVEDIR);
}

bool isDotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// True when a listing found the folder empty.
bool emptyFolder(int folder, int depth) {
    alignas(dirent64) char listing[kListingBytes];
    for (int round = 0; round < kListings; ++round) {
        if (lseek(folder, 0, SEEK_SET) < 0) return false;
        bool found = false;
        for (ssize_t got; (got = getdents64(folder, listing, sizeof listing)) != 0;) {
            if (got < 0) return false;
            for (ssize_t at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(listing + at);
                at += entry->d_reclen;
                if (isDotOrDotDot(entry->d_name)) continue;
                found = true;
                removeEntry(folder, entry->d_name, depth);
            }
        }
        if (!found) return true;
    }
    return false;
}

}  // namespace

bool removeTreeAsync(const char* path) {
    const int folder = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return errno == ENOENT;
    emptyFolder(folder, 0);
    close(folder);
    return rmdir(path) == 0 || errno == ENOENT;
}
