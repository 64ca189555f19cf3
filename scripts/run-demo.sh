#!/usr/bin/env bash
# Starts the show from the build folder, where data/ is generated. Without a display it
# says so and names the command that renders the show without one.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display to show the demo on (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "To render the show to files without a screen, run for example:"
  echo "  cd $build && xvfb-run -a -s '-screen 0 1280x1024x24' bin/pelx-capture --out frames"
  exit 1
fi
cd "$build"
exec bin/pelx-demo
