// The process-wide records that every layer may read.
#include "platform/display_state.h"
#include "platform/launch_options.h"

namespace pelx {

LaunchOptions launchOptions;
DisplayState displayState;

} // namespace pelx
