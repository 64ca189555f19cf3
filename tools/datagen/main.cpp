// pelx-datagen SHOWDIR: writes the show's data folder, SHOWDIR/data/..., with the same relative
// paths the show opens ("data/load.jpg", "data/brick.jpg", ...), so the show plays when started
// from SHOWDIR. Every run writes the same bytes.
#include "command_line.h"
#include "data_folder.h"

#include <filesystem>
#include <string>

namespace {

const char* const USAGE =
    "Usage: pelx-datagen SHOWDIR\n"
    "Writes the show's data folder, SHOWDIR/data/: six scenes, their pictures and textures, the\n"
    "fire logo's mask and the soundtrack, the same bytes on every run. The show plays these data\n"
    "when it is started from SHOWDIR. Exit status 1 when a file cannot be written.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

const pelx::cli::Tool TOOL{"pelx-datagen", USAGE};

} // namespace

int main(int argc, char** argv) {
    pelx::cli::CommandLine line(argc, argv);
    std::string showDir;
    try {
        while (line.next()) {
            // A word that looks like an option is one we do not know, never a folder to fill.
            if (line.isOption()) {
                line.answerOrRefuse(TOOL);
            } else if (showDir.empty()) {
                showDir = line.word();
            } else {
                line.refuse("one show folder at a time (" + showDir + ", then " + line.word() + ")");
            }
        }
        if (showDir.empty()) line.refuse("which show folder?");
    } catch (const pelx::cli::UsageError& problem) {
        pelx::cli::exitWithUsageError(TOOL, problem.what());
    }
    return pelx::writeDataFolder(std::filesystem::path(showDir)) ? 0 : 1;
}
