// Whole-or-nothing file writing with POSIX calls: an exclusive create beside the final name
// (the process's umask applies, as for any new file), then rename, which replaces the final
// name in one step within a folder. No fsync: this guards against a failed write and a killed
// process, not against a power cut.
#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace pelx {

namespace {

// Numbers the temporary files of this process; threads may write files side by side.
std::atomic<unsigned> temporaryCount{0};

std::string temporaryNameFor(const std::string& path, unsigned number) {
    const std::filesystem::path final(path);
    const std::string name = "." + final.stem().string() + ".part-" + std::to_string(getpid()) + "-" +
                             std::to_string(number) + final.extension().string();
    return (final.parent_path() / name).string();
}

} // namespace

AtomicFile::AtomicFile(std::string path) : finalPath(std::move(path)) {}

AtomicFile::~AtomicFile() {
    if (!committed) discard();
}

bool AtomicFile::open() {
    if (file || committed) return fail(EINVAL);
    for (;;) {
        temporary = temporaryNameFor(finalPath, temporaryCount++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            // A leftover of an earlier process with the same number: take the next one.
            if (errno == EEXIST) continue;
            const int errnum = errno;
            temporary.clear();
            return fail(errnum);
        }
        file = fdopen(fd, "wb");
        if (!file) {
            const int errnum = errno;
            ::close(fd);
            return fail(errnum);
        }
        return true;
    }
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!file) return fail(EBADF);
    if (std::fwrite(data, 1, size, file) != size) return fail(errno ? errno : EIO);
    return true;
}

bool AtomicFile::commit() {
    if (!file) return fail(EBADF);
    errno = 0;
    // A full disk often shows only when the last buffer goes out, here or at the close.
    if (std::fflush(file) != 0 || std::ferror(file)) return fail(errno ? errno : EIO);
    std::FILE* closing = file;
    file = nullptr;
    if (std::fclose(closing) != 0) return fail(errno ? errno : EIO);
    if (std::rename(temporary.c_str(), finalPath.c_str()) != 0) return fail(errno);
    committed = true;
    return true;
}

void AtomicFile::discard() {
    if (committed) return;
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
}

bool AtomicFile::fail(int errnum) {
    // The first failure is the one worth reporting; what follows is its consequence.
    if (problem.empty()) problem = "cannot write " + finalPath + ": " + std::strerror(errnum);
    discard();
    return false;
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string* error) {
    AtomicFile file(path);
    const bool ok = file.open() && file.write(data, size) && file.commit();
    if (!ok && error) *error = file.error();
    return ok;
}

} // namespace pelx
