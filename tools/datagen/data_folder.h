// The whole data folder in one call: every writer of the generator, in a fixed order.
#pragma once

#include <filesystem>

namespace pelx {

// Writes showDir / "data/..." completely. Prints one line per part with the time it took.
// False if any part failed (the others are still written).
bool writeDataFolder(const std::filesystem::path& showDir);

} // namespace pelx
