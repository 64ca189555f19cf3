// The show from first to last step: display, loading, music, the six scenes, teardown.
#pragma once

namespace pelx {

void runDemo(void* instance);

} // namespace pelx
