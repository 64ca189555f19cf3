// Why a scene file cannot be read, in words a user can act on; the loader itself only knows
// that it could not open or walk the file.
#include "inspect.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace pelx::inspect {

std::string fileProblem(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) return std::string("cannot be read: ") + std::strerror(errno);
    // A folder opens for reading on Linux; only reading it fails.
    if (S_ISDIR(status.st_mode)) return "cannot be read: it is a folder";
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return std::string("cannot be read: ") + std::strerror(errno);
    std::fclose(file);
    return "";
}

} // namespace pelx::inspect
