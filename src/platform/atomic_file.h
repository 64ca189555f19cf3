// Files that appear whole or not at all: written under a temporary name in the same folder and
// renamed over the final name only once complete. A failed or abandoned write removes the
// temporary file, and whatever stood under the final name before stays as it was.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace pelx {

class AtomicFile {
  public:
    explicit AtomicFile(std::string path);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file ".NAME.part-PID-N.EXT" beside the final name. It keeps the
    // final name's extension, so a program that picks a format by the extension (ffmpeg) picks
    // the same one. False, with error() set, when the folder takes no new file.
    bool open();
    std::FILE* stream() const { return file; }
    // For a program that writes the file itself: it writes here, and commit renames.
    const std::string& temporaryPath() const { return temporary; }
    const std::string& path() const { return finalPath; }

    // Appends bytes; false, with error() set, when they cannot all be written (a full disk).
    bool write(const void* data, size_t size);
    // Flushes, closes and renames the file to its final name. False, with error() set and the
    // temporary file removed, when any of it fails.
    bool commit();
    // Closes and removes the temporary file; the final name is not touched.
    void discard();

    // "cannot write PATH: reason" once something failed, else empty.
    const std::string& error() const { return problem; }

  private:
    bool fail(int errnum);

    std::string finalPath;
    std::string temporary;
    std::FILE* file = nullptr;
    bool committed = false;
    std::string problem;
};

// The whole file in one call. False, with "cannot write PATH: reason" in *error, on failure.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string* error);

} // namespace pelx
