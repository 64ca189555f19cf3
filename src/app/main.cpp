// Program entry: the launch dialog, then the show if "Launch" was pressed. The command line
// is ignored; the dialog is the only way to configure the show.
#include "app/launch_dialog.h"
#include "platform/launch_options.h"
#include "timeline/demo_sequence.h"

using namespace pelx;

int main(int, char**) {
    launchOptions = LaunchOptions{};
    runLaunchDialog();
    if (launchOptions.cancelled == 0 && launchOptions.launchRequested == 1) runDemo(nullptr);
    return 0;
}
