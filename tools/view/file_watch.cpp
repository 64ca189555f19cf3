// File stamps: size and modification time, or "missing".
#include "file_watch.h"

namespace pelx::view {

std::vector<FileStamp> stampFiles(const std::vector<std::string>& paths) {
    std::vector<FileStamp> stamps;
    for (const std::string& path : paths) {
        FileStamp stamp;
        stamp.path = path;
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        stamp.exists = !error && std::filesystem::exists(status);
        if (stamp.exists) {
            if (std::filesystem::is_regular_file(status))
                stamp.size = std::filesystem::file_size(path, error);
            stamp.modified = std::filesystem::last_write_time(path, error);
        }
        stamps.push_back(stamp);
    }
    return stamps;
}

void FileWatch::watch(const std::vector<std::string>& paths) {
    watched = paths;
    stamps = stampFiles(paths);
}

bool FileWatch::changed() {
    std::vector<FileStamp> now = stampFiles(watched);
    if (now == stamps) return false;
    stamps = std::move(now);
    return true;
}

} // namespace pelx::view
