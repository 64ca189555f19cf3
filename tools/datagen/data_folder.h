// The whole data folder in one call: every writer of the generator, in a fixed order.
#pragma once

#include <filesystem>

namespace pelx {

// Writes showDir / "data/..." completely. Prints one line per part with the time it took.
// False if any part failed. A file that cannot be written (a full disk) stops every part at
// once, with one message; no file is left half-written under its name.
bool writeDataFolder(const std::filesystem::path& showDir);

} // namespace pelx
