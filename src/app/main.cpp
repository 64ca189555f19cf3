// Program entry: the launch dialog, then the show if "Launch" was pressed. The command line
// is ignored; the dialog is the only way to configure the show.
#include "app/launch_dialog.h"
#include "platform/launch_options.h"
#include "platform/stop_signal.h"
#include "timeline/demo_sequence.h"

using namespace pelx;

int main(int, char**) {
    launchOptions = LaunchOptions{};
    // In the dialog a signal ends the program at once: nothing has been changed yet.
    if (!runLaunchDialog()) return 1;
    if (launchOptions.cancelled == 0 && launchOptions.launchRequested == 1) {
        // During the show a signal ends it through the teardown, which gives back the screen
        // mode and the cursor.
        installStopSignals();
        runDemo(nullptr);
        if (const int signal = stopSignal()) endByStopSignal(signal);
    }
    return 0;
}
