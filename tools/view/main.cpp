// pelx-view: one 3DS scene, drawn and played by the show's own layers.
#include "view_options.h"

int main(int argc, char** argv) {
    using namespace pelx::view;
    const ViewOptions options = parseViewOptions(argc, argv);
    return options.snapshot.empty() ? runViewer(options) : runSnapshot(options);
}
